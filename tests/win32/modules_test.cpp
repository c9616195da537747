// Message modules on Windows: xq_utils.dll and the German module
// xq_utGER.DLL beside the test program, their string tables under German
// (Germany), and the bounds of string loading.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace {

struct Free {
    void operator()(xq::os::Module* module) const { xq::os::module_free(module); }
};
using Module = std::unique_ptr<xq::os::Module, Free>;

Module load(const char* name) { return Module(xq::os::module_load(name)); }

// String `id` read into `capacity` bytes; nullopt for 0 characters.
std::optional<std::string> string_of(const Module& module, unsigned id, std::size_t capacity = 261) {
    std::string out(capacity, 'z');
    const std::size_t length = xq::os::module_string(module.get(), id, out);
    if (length == 0) {
        EXPECT_EQ(out[0], '\0');
        return std::nullopt;
    }
    EXPECT_EQ(out[length], '\0');
    return out.substr(0, length);
}

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

TEST(Modules, FoundByNameWithoutRegardToCase) {
    const std::string german = xq::os::wide_to_narrow(u"Nicht gen\u00fcgend Arbeitsspeicher.");
    struct Case {
        const char* name;
        std::string text;
    } cases[] = {
        {"xq_utils.dll", "Not enough memory."},
        {"XQ_UTILS.DLL", "Not enough memory."},
        {"xq_utGER.DLL", german},
        {"xq_utger.dll", german},
    };
    for (const auto& c : cases) {
        const Module module = load(c.name);
        ASSERT_NE(module.get(), nullptr) << c.name;
        EXPECT_EQ(string_of(module, 1), c.text);
        EXPECT_EQ(string_of(module, 34), std::nullopt) << "a code without text";
    }
    EXPECT_EQ(load("xq_utZZZ.DLL").get(), nullptr);
    EXPECT_EQ(load("").get(), nullptr);
    EXPECT_EQ(load(nullptr).get(), nullptr);
}

TEST(Modules, StringsAreCutToTheBufferAndNumbersAre16Bits) {
    const Module module = load("xq_utils.dll");
    ASSERT_NE(module.get(), nullptr);
    EXPECT_EQ(string_of(module, 18, 5), "File");
    EXPECT_EQ(string_of(module, 18, 1), std::nullopt);
    EXPECT_EQ(xq::os::module_string(module.get(), 18, std::span<char>()), 0u);
    EXPECT_EQ(string_of(module, 65536 + 18), std::nullopt) << "not the text of the low 16 bits";
    EXPECT_EQ(string_of(nullptr, 18), std::nullopt) << "the test program has no string table";
}

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
