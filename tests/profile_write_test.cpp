// Replacing a value in profile text: which bytes change.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "profile/profile.h"
#include "platform/platform.h"
#include "support/buffer.h"
#include "support/profile_vectors.h"

namespace {

using namespace std::string_literals;
using xq::test::utf16_bytes;

struct Edit {
    const char* name;
    std::string before;
    const char* section;
    const char* entry;
    std::string value;
    std::optional<std::string> after;  // nullopt: refused
};

void expect_edit(const Edit& e) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(xq::profile::replace_value(e.before, e.section, e.entry, e.value), e.after);
}

std::string read(const std::string& text, const char* section, const char* entry) {
    xq::test::GuardedBuffer buffer(1024);
    xq::profile::get_string(text, section, entry, "<default>", buffer.data(), buffer.capacity());
    return buffer.text();
}

TEST(ProfileWrite, ReplacesOnlyTheValue) {
    const Edit cases[] = {
        {"spelling kept, no line end added", "[SectionName]\r\nTestKey=TestValue", "SECTIONNAME", "TESTKEY",
         "TestValue2", "[SectionName]\r\nTestKey=TestValue2"},
        {"value as given", "[S]\r\nK=1\r\n", "S", "K", " value ", "[S]\r\nK= value \r\n"},
        {"names trimmed of spaces", "[sec]\r\nkey=1\r\n", " sec ", " key ", "v", "[sec]\r\nkey=v\r\n"},
        {"empty value", "[App]\r\nkey=x\r\n", "App", "key", "", "[App]\r\nkey=\r\n"},
        {"untouched lines kept", "; top\r\n\r\n[s]\r\nk=1\r\n\r\n[t]\r\nx = y\r\n", "s", "k", "2",
         "; top\r\n\r\n[s]\r\nk=2\r\n\r\n[t]\r\nx = y\r\n"},
        {"indent kept, blanks around = dropped", "[s]\r\n  k = 1 \r\nj = 2\r\n", "s", "K", "9",
         "[s]\r\n  k=9\r\nj = 2\r\n"},
        {"LF file stays LF", "[s]\nk=1\nj=2\n", "s", "k", "5", "[s]\nk=5\nj=2\n"},
        {"CR file stays CR", "[s]\rk=1\rj=2\r", "s", "j", "5", "[s]\rk=1\rj=5\r"},
        {"first of duplicate sections", "[s]\r\na=1\r\n[s]\r\nb=1\r\n", "s", "b", "2", std::nullopt},
        {"first of duplicate entries", "[s]\r\nk=1\r\nk=2\r\n", "s", "k", "3", "[s]\r\nk=3\r\nk=2\r\n"},
        {"NUL bytes elsewhere kept", "[s]\r\nx=\0\0\r\nk=1\r\n"s, "s", "k", "2", "[s]\r\nx=\0\0\r\nk=2\r\n"s},
        {"same value, same text", "[s]\r\nk=1\r\n", "s", "k", "1", "[s]\r\nk=1\r\n"},
        {"missing entry", "[s]\r\nk=1\r\n", "s", "n", "v", std::nullopt},
        {"missing section", "[s]\r\nk=1\r\n", "t", "k", "v", std::nullopt},
        {";key never matches", "[S]\r\n;key=v\r\n", "S", ";key", "w", std::nullopt},
        {"null section", "[s]\r\nk=1\r\n", nullptr, "k", "v", std::nullopt},
        {"null entry", "[s]\r\nk=1\r\n", "s", nullptr, "v", std::nullopt},
        {"UTF-16 in place", utf16_bytes(u";\u00e9\r\n[s]\r\nk=1\r\n"), "s", "k", "22",
         utf16_bytes(u";\u00e9\r\n[s]\r\nk=22\r\n")},
    };
    for (const Edit& e : cases) expect_edit(e);
}

TEST(ProfileWrite, NarrowValuesWidenedForUtf16) {
    const std::string narrow = xq::os::wide_to_narrow(u"Gr\u00fc\u00dfe");
    const std::optional<std::string> text =
        xq::profile::replace_value(utf16_bytes(u"[s]\r\nk=1\r\n"), "s", "k", narrow);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, utf16_bytes(u"[s]\r\nk=Gr\u00fc\u00dfe\r\n"));
    EXPECT_EQ(read(*text, "s", "k"), narrow);
}

// What is written reads back, whatever the file looked like around it.
TEST(ProfileWrite, ValuesReadBack) {
    const std::string files[] = {
        "[s]\r\nk=old\r\n",
        "[S]\r\n  K = \"old\"  \r\n;c\r\n[t]\r\nk=other\r\n",
        "[t]\nx=1\n[s]\n;c\nk=2",
        "[s]\rk=1\r[s]\rk=2",
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::optional<std::string> text = xq::profile::replace_value(file, "s", "k", "'new value'");
        ASSERT_TRUE(text);
        EXPECT_EQ(read(*text, "s", "k"), "new value");
    }
}

}  // namespace
