// ANSI code page conversions and scratch blocks in movable global memory.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "platform/fault.h"
#include "platform/platform.h"

namespace xq::os {
namespace {

TEST(Encoding, RoundTripsAndMarksUnmappableCharacters) {
    EXPECT_EQ(narrow_to_wide(""), u"");
    EXPECT_EQ(wide_to_narrow(u""), "");
    EXPECT_EQ(narrow_to_wide("[s]\r\nk=v"), u"[s]\r\nk=v");
    EXPECT_EQ(wide_to_narrow(u"[s]\r\nk=v"), "[s]\r\nk=v");
    EXPECT_EQ(wide_to_narrow(std::u16string_view(u"a\0b", 3)), std::string("a\0b", 3));
    if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
    EXPECT_EQ(wide_to_narrow(u"Gr\u00fc\u00dfe \u4e2d"), "Gr\xfc\xdf" "e ?");
    EXPECT_EQ(narrow_to_wide("Gr\xfc\xdf" "e"), u"Gr\u00fc\u00dfe");
}

TEST(ScratchMemory, BlocksAreWritableMovableAndFreed) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{100'000}}) {
        void* block = memory_alloc(size);
        ASSERT_NE(block, nullptr);
        std::memset(block, 0xA5, size);
        HGLOBAL handle = GlobalHandle(block);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(GlobalFlags(handle) & GMEM_LOCKCOUNT, 1u);
        memory_free(block);
    }
    memory_free(nullptr);
    fault_arm({.kind = Op::alloc, .fail_at = 1});
    EXPECT_EQ(memory_alloc(16), nullptr);
    fault_disarm();
}

}  // namespace
}  // namespace xq::os
