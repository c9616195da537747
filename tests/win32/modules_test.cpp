// Windows pieces beneath the catalogue: the string tables of xq_utils.dll and
// of the resource-only German module beside the test program, stored under
// German (Germany); ANSI code page conversions; scratch blocks in movable
// global memory.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "platform/platform.h"

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

TEST(Win32Encoding, RoundTripsAndMarksUnmappableCharacters) {
    const std::pair<std::string, std::u16string> same[] = {{"", u""}, {{"[s]\r\na\0b", 9}, {u"[s]\r\na\0b", 9}}};
    for (const auto& [narrow, wide] : same) EXPECT_TRUE(narrow_to_wide(narrow) == wide && wide_to_narrow(wide) == narrow);
    if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
    EXPECT_EQ(wide_to_narrow(u"Gr\u00fc\u00dfe \u4e2d"), "Gr\xfc\xdf" "e ?");
    EXPECT_EQ(narrow_to_wide("Gr\xfc\xdf" "e"), u"Gr\u00fc\u00dfe");
}

TEST(Win32ScratchMemory, BlocksAreWritableMovableAndFreed) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{100'000}}) {
        void* block = memory_alloc(size);
        ASSERT_NE(block, nullptr);
        std::memset(block, 0xA5, size);
        EXPECT_EQ(GlobalFlags(GlobalHandle(block)) & GMEM_LOCKCOUNT, 1u);
        memory_free(block);
    }
    memory_free(nullptr);
}

}  // namespace
}  // namespace xq::os
