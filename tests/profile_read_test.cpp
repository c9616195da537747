// Reading profile text: values, defaults, name lists, cuts and encodings.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "named/profile.h"
#include "platform/platform.h"
#include "support/buffer.h"

namespace {

using namespace std::string_literals;
using xq::test::GuardedBuffer;

constexpr std::uint32_t kMax = 260;

struct Read {
    const char* name;
    std::string file;
    const char* section;
    const char* entry;
    const char* fallback;
    std::uint32_t capacity;
    std::string written;  // every byte written, through the last NUL
    std::uint32_t result;
};

// Runs one read and checks the result, the bytes written and that the byte
// after them (and everything outside the capacity) was left alone.
void expect_read(const Read& r) {
    SCOPED_TRACE(r.name);
    GuardedBuffer buffer(r.capacity);
    const std::uint32_t got =
        xq::profile::get_string(r.file, r.section, r.entry, r.fallback, buffer.data(), r.capacity);
    EXPECT_EQ(got, r.result);
    const std::string raw = buffer.raw();
    ASSERT_LE(r.written.size(), raw.size());
    EXPECT_EQ(raw.substr(0, r.written.size()), r.written);
    if (r.written.size() < raw.size()) {
        EXPECT_EQ(raw[r.written.size()], GuardedBuffer::kFill);
    }
    EXPECT_TRUE(buffer.guards_intact());
}

std::string utf16le(std::u16string_view text, std::string_view mark = "\xFF\xFE") {
    std::string bytes(mark);
    for (const char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

std::string utf16be(std::u16string_view text) {
    std::string bytes("\xFE\xFF");
    for (const char16_t c : text) {
        bytes.push_back(static_cast<char>(c >> 8));
        bytes.push_back(static_cast<char>(c & 0xFF));
    }
    return bytes;
}

const std::string kF1 = "[section1]\r\nname1=val1\r\nname2=\"val2\"\r\nname3\r\nname4=a\r\n[section2]\r\n";

std::string with_cr_only(std::string text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        out.push_back(text[i] == '\n' ? '\r' : text[i]);
    }
    return out;
}

TEST(ProfileRead, ValuesAndDefaults) {
    const Read cases[] = {
        {"plain value", kF1, "section1", "name1", "default", kMax, "val1\0"s, 4},
        {"entry case ignored", kF1, "section1", "NaMe1", "default", kMax, "val1\0"s, 4},
        {"quotes stripped", kF1, "section1", "name2", "default", kMax, "val2\0"s, 4},
        {"after a line without =", kF1, "section1", "name4", "default", kMax, "a\0"s, 1},
        {"capacity 1", kF1, "section1", "name4", "default", 1, "\0"s, 0},
        {"value cut", kF1, "section1", "name1", "default", 4, "val\0"s, 3},
        {"capacity 0 writes nothing", kF1, "section1", "name1", "default", 0, "", 0},
        {"missing entry", kF1, "section1", "notakey", "default", kMax, "default\0"s, 7},
        {"missing section", kF1, "notasection", "name1", "default", kMax, "default\0"s, 7},
        {"default trailing spaces", kF1, "", "name1", "default  ", kMax, "default\0"s, 7},
        {"default inner space kept", kF1, "", "name1", "one two  ", kMax, "one two\0"s, 7},
        {"null default", kF1, "section1", "", nullptr, kMax, "\0"s, 0},
        {"empty default", kF1, "section2", "DoesntExist", "", kMax, "\0"s, 0},
        {"CR-only lines", with_cr_only(kF1), "section1", "name1", "default", kMax, "val1\0"s, 4},
        {"LF-only lines", "[Test]\nProfileInt=123\n", "Test", "ProfileInt", "", kMax, "123\0"s, 3},
        {"cut at capacity", "[s]\r\nk=abcdef\r\n", "s", "k", "d", 6, "abcde\0"s, 5},
        {"default cut too", "[s]\r\nk=abcdef\r\n", "s", "x", "defaultvalue", 5, "defa\0"s, 4},
        {"default blanks kept", "[s]\r\n", "s", "x", "  d \t  ", kMax, "  d \t\0"s, 5},
        {"no final line break", "[s]\r\nk=last", "s", "k", "d", kMax, "last\0"s, 4},
    };
    for (const Read& r : cases) expect_read(r);
}

TEST(ProfileRead, NullBufferReceivesNothing) {
    EXPECT_EQ(xq::profile::get_string(kF1, "section1", "name1", "d", nullptr, 10), 0U);
    EXPECT_EQ(xq::profile::get_string(kF1, "section1", nullptr, "d", nullptr, 10), 0U);
    EXPECT_EQ(xq::profile::get_string(kF1, nullptr, nullptr, "d", nullptr, 10), 0U);
}

TEST(ProfileRead, LineRules) {
    const Read cases[] = {
        {"blanks around value", "[sec]\r\nother = spaced value  \r\n", "sec", "other", "d", kMax,
         "spaced value\0"s, 12},
        {"tab and VT trimmed", "[s]\r\n\tk\t=\t x \v\r\n", "s", "k", "d", kMax, "x\0"s, 1},
        {"empty value is no default", "[s]\r\nk=\r\nb=   \r\n", "s", "k", "d", kMax, "\0"s, 0},
        {"blank value is no default", "[s]\r\nk=\r\nb=   \r\n", "s", "b", "d", kMax, "\0"s, 0},
        {"comment not readable", "[s]\r\n;k=1\r\n", "s", ";k", "d", kMax, "d\0"s, 1},
        {"indented comment", "[s]\r\n \t;k=1\r\n", "s", "k", "d", kMax, "d\0"s, 1},
        {"# is no comment", "[s]\r\n#k=1\r\n", "s", "#k", "d", kMax, "1\0"s, 1},
        {"no inline comments", "[s]\r\nk=v ;c\r\n", "s", "k", "d", kMax, "v ;c\0"s, 4},
        {"indented header", "  [a]  \r\nk=1\r\n", "a", "k", "d", kMax, "1\0"s, 1},
        {"blanks inside brackets", "[ x\t]\r\nk=1\r\n", "x", "k", "d", kMax, "1\0"s, 1},
        {"text after ] ignored", "[s]k=1\r\n", "s", "k", "d", kMax, "d\0"s, 1},
        {"header without ]", "[s   \r\nk=1\r\n", "s", "k", "d", kMax, "1\0"s, 1},
        {"name] is no header", "s]\r\nk=1\r\n", "s", "k", "d", kMax, "d\0"s, 1},
        {"first ] ends the name", "[sec]whoops]\r\nk=1\r\n", "sec", "k", "d", kMax, "1\0"s, 1},
        {"[ in name", "[[sec]\r\nk=1\r\n", "[sec", "k", "d", kMax, "1\0"s, 1},
        {"before first header", "k=nosec\r\n[s]\r\nj=1\r\n", "", "k", "d", kMax, "d\0"s, 1},
        {"empty section name", "[]\r\nk=v\r\n", "", "k", nullptr, kMax, "v\0"s, 1},
        {"empty entry name", "[s]\r\n=v\r\n", "s", "", nullptr, kMax, "v\0"s, 1},
        {"first entry wins", "[s]\r\nk=first\r\nk=second\r\n", "s", "k", "d", kMax, "first\0"s, 5},
        {"first section only", "[s]\r\n[s]\r\nk=v\r\n", "s", "k", "d", kMax, "d\0"s, 1},
        {"inner blanks of names count", "[s]\r\nmy  key=v\r\n", "s", "my key", "d", kMax, "d\0"s, 1},
        {"= inside value", "[s]\r\nk=a=b\r\n", "s", "k", "d", kMax, "a=b\0"s, 3},
        {"[ inside values", "[a]\r\nk=[b]\r\n x=[b]\r\n[b]\r\nk=2\r\n", "b", "k", "d", kMax, "2\0"s, 1},
        {"value looking like a header", "[a]\r\nk=[b]\r\n[b]\r\nk=2\r\n", "a", "k", "d", kMax, "[b]\0"s, 3},
        {"line without = not readable", "[s]\r\nname3\r\n", "s", "name3", "d", kMax, "d\0"s, 1},
        // Only ASCII letters fold: '@' and '`' differ by the case bit.
        {"no fold outside letters", "[@]\r\nk=v\r\n", "`", "k", "d", kMax, "d\0"s, 1},
        {"high bytes exact", "[\xC4]\r\nk=v\r\n", "\xE4", "k", "d", kMax, "d\0"s, 1},
        {"high bytes match", "[\xC4]\r\nk=v\r\n", "\xC4", "k", "d", kMax, "v\0"s, 1},
        {"UTF-8 mark is text", "\xEF\xBB\xBF[s]\r\nk=1\r\n[t]\r\nk=2\r\n", "s", "k", "d", kMax, "d\0"s, 1},
        {"after UTF-8 mark", "\xEF\xBB\xBF[s]\r\nk=1\r\n[t]\r\nk=2\r\n", "t", "k", "d", kMax, "2\0"s, 1},
        {"NUL ends a value", "[s]\r\nk=ab\0cd\r\nj=2\r\n"s, "s", "k", "d", kMax, "ab\0"s, 2},
        {"NUL ends a name", "[s]\r\nx\0y=3\r\n"s, "s", "x", "d", kMax, "3\0"s, 1},
        {"empty text", "", "s", "k", "d", kMax, "d\0"s, 1},
    };
    for (const Read& r : cases) expect_read(r);
}

TEST(ProfileRead, Quotes) {
    const Read cases[] = {
        {"inner blanks kept", "[s]\r\nk=  \"   v   \"  \r\n", "s", "k", nullptr, kMax, "   v   \0"s, 7},
        {"single quotes", "[s]\r\nk='hello'\r\n", "s", "k", "d", kMax, "hello\0"s, 5},
        {"mismatched kept", "[s]\r\nk=\"hello'\r\n", "s", "k", "d", kMax, "\"hello'\0"s, 7},
        {"outer pair only", "[s]\r\nk='\"x\"'\r\n", "s", "k", "d", kMax, "\"x\"\0"s, 3},
        {"doubled quotes", "[s]\r\nk=''x''\r\n", "s", "k", "d", kMax, "'x'\0"s, 3},
        {"empty quotes", "[s]\r\nk=\"\"\r\n", "s", "k", "d", kMax, "\0"s, 0},
        {"quote at both ends", "[s]\r\nk=\"a\" \"b\"\r\n", "s", "k", "d", kMax, "a\" \"b\0"s, 5},
        {"quoted value cut", "[s]\r\nk=\"hello\"\r\n", "s", "k", "d", 6, "hello\0"s, 5},
        {"quotes in names are text", "[\"s\"]\r\n'k'=v\r\n", "\"s\"", "'k'", "d", kMax, "v\0"s, 1},
        {"default quotes kept", "", "s", "k", "\"q\"", kMax, "\"q\"\0"s, 3},
    };
    for (const Read& r : cases) expect_read(r);
}

TEST(ProfileRead, Arguments) {
    const std::string file = "[s]\r\nk=v\r\n";
    const Read cases[] = {
        {"spaces stripped", file, " s ", " k ", "d", kMax, "v\0"s, 1},
        {"tab in section kept", file, "\ts", "k", "d", kMax, "d\0"s, 1},
        {"tab in entry kept", file, "s", "k\t", "d", kMax, "d\0"s, 1},
        {"; section never matches", "[;s]\r\nk=v\r\n", ";s", "k", "d", kMax, "d\0"s, 1},
        {"all spaces is the empty name", "[]\r\nk=v\r\n", "   ", "k", "d", kMax, "v\0"s, 1},
    };
    for (const Read& r : cases) expect_read(r);
}

TEST(ProfileRead, EntryLists) {
    const Read cases[] = {
        {"lines without = left out", kF1, "section1", nullptr, "default", kMax,
         "name1\0name2\0name4\0\0"s, 18},
        {"list cut", kF1, "section1", nullptr, "default", 16, "name1\0name2\0na\0\0"s, 14},
        {"comments left out", "[s]\r\n;a=1\r\nb=2\r\n", "s", nullptr, "d", kMax, "b\0\0"s, 2},
        {"duplicates listed", "[s]\r\nk=first\r\nk=second\r\n", "s", nullptr, "d", kMax, "k\0k\0\0"s, 4},
        {"capacity 2", "[s]\r\na=1\r\nb=2\r\n", "s", nullptr, "d", 2, "\0\0"s, 0},
        {"capacity 1", "[s]\r\na=1\r\nb=2\r\n", "s", nullptr, "d", 1, "\0"s, 0},
        {"cut to nothing", "[s]\r\nab=1\r\ncd=2\r\n", "s", nullptr, "d", 5, "ab\0\0\0"s, 3},
        {"names as written", "[s]\r\n  Mixed Case \t= 1\r\n", "s", nullptr, "d", kMax, "Mixed Case\0\0"s, 11},
        {"empty name left out", "[s]\r\n=v\r\nk=1\r\n", "s", nullptr, "d", kMax, "k\0\0"s, 2},
        {"section without entries", "[s]\r\n;c\r\n[t]\r\nk=1\r\n", "s", nullptr, "d", kMax, "\0"s, 0},
        {"missing section gives default", kF1, "nosuch", nullptr, "dflt  ", kMax, "dflt\0\0"s, 4},
        {"missing section, empty default", kF1, "nosuch", nullptr, "", kMax, "\0\0"s, 0},
        {"missing section, default cut", kF1, "nosuch", nullptr, "dflt", 4, "df\0\0"s, 2},
        {"missing section, capacity 2", kF1, "nosuch", nullptr, "dflt", 2, "\0\0"s, 0},
    };
    for (const Read& r : cases) expect_read(r);
}

TEST(ProfileRead, SectionLists) {
    const Read cases[] = {
        {"entry ignored", kF1, nullptr, "name1", "default", kMax, "section1\0section2\0\0"s, 18},
        {"list cut", kF1, nullptr, "name1", "default", 16, "section1\0secti\0\0"s, 14},
        {"fits only without final NUL", kF1, nullptr, nullptr, "d", 19, "section1\0section2\0\0"s, 17},
        {"duplicates listed", "[s]\r\n[t]\r\n[s]\r\n", nullptr, nullptr, "d", kMax, "s\0t\0s\0\0"s, 6},
        {"trimmed names", "[ section1 ]\r\n", nullptr, nullptr, "d", kMax, "section1\0\0"s, 9},
        {"no sections: one NUL", "k=v\r\n", nullptr, nullptr, "d", 10, "\0"s, 0},
        {"empty file: one NUL", "", nullptr, nullptr, "d", 10, "\0"s, 0},
        {"empty name left out", "[]\r\n[a]\r\n", nullptr, nullptr, "d", kMax, "a\0\0"s, 2},
        {"capacity 2", "[a]\r\n", nullptr, nullptr, "d", 2, "\0\0"s, 0},
    };
    for (const Read& r : cases) expect_read(r);
}

TEST(ProfileRead, Utf16Files) {
    const std::u16string text = u"[s]\r\nk=wide\r\nName=Gr\u00fc\u00dfe\r\n[T]\r\n";
    const std::string narrow_value = xq::os::wide_to_narrow(u"Gr\u00fc\u00dfe");
    const auto n = static_cast<std::uint32_t>(narrow_value.size());
    const Read cases[] = {
        {"value", utf16le(text), "s", "k", "d", kMax, "wide\0"s, 4},
        {"non-ASCII value", utf16le(text), "S", "name", "d", kMax, narrow_value + '\0', n},
        {"cut counts narrow bytes", utf16le(text), "s", "name", "d", 4, narrow_value.substr(0, 3) + '\0', 3},
        {"entry list", utf16le(text), "s", nullptr, "d", kMax, "k\0Name\0\0"s, 7},
        {"section list", utf16le(text), nullptr, nullptr, "d", kMax, "s\0T\0\0"s, 4},
        {"missing entry", utf16le(text), "s", "x", "d", kMax, "d\0"s, 1},
        {"mark only", "\xFF\xFE", "s", "k", "d", kMax, "d\0"s, 1},
        {"odd last byte", utf16le(u"[s]\r\nk=v\r\n") + 'x', "s", "k", "d", kMax, "v\0"s, 1},
        {"big-endian is not recognised", utf16be(u"[s]\r\nk=wide\r\n"), "s", "k", "d", kMax, "d\0"s, 1},
    };
    for (const Read& r : cases) expect_read(r);
}

TEST(ProfileRead, LongValuesAndLines) {
    const std::string big(100000, 'x');
    const std::string file = "[s]\r\nk=" + big + "\r\n[" + std::string(70000, 'n') + "]\r\nj=1\r\n";
    std::string buffer(big.size() + 10, '\0');
    EXPECT_EQ(xq::profile::get_string(file, "s", "k", "d", buffer.data(), static_cast<std::uint32_t>(buffer.size())),
              big.size());
    EXPECT_EQ(buffer.substr(0, big.size() + 1), big + '\0');
    const std::string long_name(70000, 'N');
    EXPECT_EQ(xq::profile::get_string(file, long_name.c_str(), "j", "d", buffer.data(), 10), 1U);
    EXPECT_EQ(buffer.substr(0, 2), "1\0"s);
}

// Many '[' characters that open no header must not slow the search down
// more than linearly, nor be mistaken for headers.
TEST(ProfileRead, BracketsInsideLines) {
    std::string file = "[a]\r\n";
    for (int i = 0; i < 20000; ++i) file += "k" + std::to_string(i) + "=[x] [y] \t[z]\r\n";
    file += "x[s]\r\n \t [s]\r\nk=found\r\n";
    GuardedBuffer buffer(kMax);
    EXPECT_EQ(xq::profile::get_string(file, "s", "k", "d", buffer.data(), kMax), 5U);
    EXPECT_EQ(buffer.text(), "found");
}

}  // namespace
