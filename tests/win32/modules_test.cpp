// Message modules on Windows: the string tables of xq_utils.dll and of the
// German module xq_utGER.DLL beside the test program stored under German
// (Germany), and the German module holding resources only.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// The file `name` in the test program's directory (bin/).
std::string beside_program(const char* name) {
    char self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string path(self, length);
    return path.substr(0, path.find_last_of('\\') + 1) + name;
}

// Owns a module loaded with the Windows loader directly.
struct Library {
    explicit Library(HMODULE h) : handle(h) {}
    ~Library() {
        if (handle != nullptr) FreeLibrary(handle);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    HMODULE handle;
};

TEST(Modules, TablesAreStoredUnderGermanGermany) {
    const WORD german = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
    ASSERT_EQ(german, 1031);
    for (const char* name : {"xq_utils.dll", "xq_utGER.DLL"}) {
        const Library library(LoadLibraryExA(beside_program(name).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_NE(library.handle, nullptr) << name;
        // Strings are stored in blocks of 16: block 2 holds 16 to 31.
        EXPECT_NE(FindResourceExA(library.handle, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(18 / 16 + 1), german),
                  nullptr)
            << name;
    }
}

TEST(Modules, GermanModuleIsResourceOnly) {
    const Library library(LoadLibraryA(beside_program("xq_utGER.DLL").c_str()));
    ASSERT_NE(library.handle, nullptr);
    const auto* base = reinterpret_cast<const unsigned char*>(library.handle);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    EXPECT_EQ(nt->OptionalHeader.AddressOfEntryPoint, 0u) << "no code runs when it is loaded";
    const auto& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.Size != 0) {
        const auto* first = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
        EXPECT_EQ(first->Name, 0u) << "it imports nothing";
    }
}

}  // namespace
