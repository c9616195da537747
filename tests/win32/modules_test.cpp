// Windows pieces beneath the catalogue: the string tables of xq_utils.dll and
// of the resource-only German module beside the test program, stored under
// German (Germany); ANSI code page conversions; scratch blocks in movable
// global memory.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "platform/fault.h"
#include "platform/platform.h"

namespace xq::os {
namespace {

// A module beside the test program, loaded with the Windows loader directly.
struct Library {
    Library(const char* name, DWORD flags) {
        char self[MAX_PATH] = {};
        const std::string path(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
        handle = LoadLibraryExA((path.substr(0, path.find_last_of('\\') + 1) + name).c_str(), nullptr, flags);
    }
    ~Library() { if (handle != nullptr) FreeLibrary(handle); }
    HMODULE handle;
};

TEST(Win32Modules, TablesUnderGermanGermanyGermanModuleIsResourceOnly) {
    for (const char* name : {"xq_utils.dll", "xq_utGER.DLL"}) {
        const Library library(name, LOAD_LIBRARY_AS_DATAFILE);
        // Strings are stored in blocks of 16: block 2 holds 16 to 31.
        EXPECT_NE(FindResourceExA(library.handle, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(2), 1031), nullptr) << name;
    }
    const Library library("xq_utGER.DLL", 0);
    ASSERT_NE(library.handle, nullptr);
    const auto* base = reinterpret_cast<const unsigned char*>(library.handle);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    EXPECT_EQ(nt->OptionalHeader.AddressOfEntryPoint, 0u) << "no code runs when it is loaded";
    const auto& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.Size != 0) {
        EXPECT_EQ(reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress)->Name, 0u);
    }
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
    fault_arm({.kind = Op::alloc, .fail_at = 1});
    EXPECT_EQ(memory_alloc(16), nullptr);
    fault_disarm();
}

}  // namespace
}  // namespace xq::os
