// Windows pieces beneath the catalogue: the string tables of xq_utils.dll and
// of the resource-only German module beside the test program, stored under
// German (Germany).
#include <windows.h>

#include <gtest/gtest.h>

namespace xq::os {
namespace {

// Both modules are found beside the test program.
TEST(Win32Modules, TablesUnderGermanGermanyGermanModuleIsResourceOnly) {
    for (const char* name : {"xq_utils.dll", "xq_utGER.DLL"}) {
        const HMODULE data = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        // Strings are stored in blocks of 16: block 2 holds 16 to 31.
        EXPECT_NE(FindResourceExA(data, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(2), 1031), nullptr) << name;
        FreeLibrary(data);
    }
    const HMODULE german = LoadLibraryA("xq_utGER.DLL");
    ASSERT_NE(german, nullptr);
    const auto* base = reinterpret_cast<const unsigned char*>(german);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    EXPECT_EQ(nt->OptionalHeader.AddressOfEntryPoint, 0u) << "no code runs when it is loaded";
    const auto& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    EXPECT_TRUE(imports.Size == 0 || reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress)->Name == 0);
    FreeLibrary(german);
}

}  // namespace
}  // namespace xq::os
