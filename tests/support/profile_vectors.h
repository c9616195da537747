// Reads of profile text with every byte each must write: the table that the
// reader's tests check on every platform and that the side-by-side run under
// Wine also puts to the system's reader.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/file_bytes.h"

namespace xq::test {

constexpr std::uint32_t kProfileMax = 260;

// Wine's reader on a vector: the same bytes, an answer known to differ from
// the Windows one, or one where Windows is not established (not compared).
enum class Wine { same, differs, unchecked };

struct ProfileVector {
    const char* label;
    std::optional<std::string> file;  // nullopt: no such file
    const char *section, *entry, *fallback;
    std::uint32_t capacity;
    std::string written;  // every byte written, through the last NUL
    std::uint32_t result;
    Wine wine = Wine::same;
};

inline std::vector<ProfileVector> profile_vectors() {
    using namespace std::string_literals;
    constexpr std::uint32_t kMax = kProfileMax;
    constexpr Wine differs = Wine::differs;
    constexpr Wine unchecked = Wine::unchecked;
    const std::string f1 = "[section1]\r\nname1=val1\r\nname2=\"val2\"\r\nname3\r\nname4=a\r\n[section2]\r\n";
    const std::string dup = "[s]\r\nk=first\r\nk=second\r\n";
    const std::string az = "[Alpha Section Name Z]\r\nk=1\r\n[alpha section name y]\r\nk=2\r\n";
    const std::string bom8 = "\xEF\xBB\xBF[s]\r\nk=1\r\n[t]\r\nk=2\r\n";
    const std::string nul = "[s]\r\nk=ab\0cd\r\nj=2\r\n"s;
    const std::string kv = "[s]\r\nk=v\r\n";
    const std::string ab = "[s]\r\na=1\r\nb=2\r\n";
    const std::string br = "[a]\r\nk=[x] [y] \t[z]\r\nx[s]\r\nk=wrong\r\n \t [s]\r\nk=found\r\n";
    const std::string u16 = utf16_bytes(u"[s]\r\nk=wide\r\nName=v\r\n[T]\r\n");
    return {
        // Values and defaults.
        {"a value, entry case ignored", f1, "section1", "NaMe1", "default", kMax, "val1\0"s, 4},
        {"section case ignored, A to Z, past 16 characters", az, "alpha section name z", "k", "d", kMax, "1\0"s, 1},
        {"capacity 1", f1, "section1", "name4", "default", 1, "\0"s, 0},
        {"value cut", f1, "section1", "name1", "default", 4, "val\0"s, 3},
        {"value just fits", f1, "section1", "name1", "default", 5, "val1\0"s, 4},
        {"capacity 0 writes nothing", f1, "section1", "name1", "default", 0, "", 0},
        {"missing entry", f1, "section1", "notakey", "default", kMax, "default\0"s, 7},
        {"null default", f1, "section1", "", nullptr, kMax, "\0"s, 0},
        {"control character in a section name", "[a\x01" "b]\r\nk=1\r\n", "a\x01" "b", "k", "d", kMax, "1\0"s, 1},
        {"CR-only lines", "[s]\rk=1\rj\r[t]\rk=22\r", "t", "k", "d", kMax, "22\0"s, 2},
        {"LF-only lines", "[Test]\nProfileInt=123\n", "Test", "ProfileInt", "", kMax, "123\0"s, 3},
        {"no such file", std::nullopt, "section1", "name1", "default", kMax, "default\0"s, 7},
        {"default cut too", "[s]\r\nk=abcdef\r\n", "s", "x", "defaultvalue", 5, "defa\0"s, 4},
        {"default blanks kept", "[s]\r\n", "s", "x", "  d \t  ", kMax, "  d \t\0"s, 5},
        {"no final line break", "[s]\r\nk=last", "s", "k", "d", kMax, "last\0"s, 4},
        {"empty text", "", "s", "k", "d", kMax, "d\0"s, 1},
        // Line rules.
        {"tab and VT trimmed", "[s]\r\n\tk\t=\t x \v\r\n", "s", "k", "d", kMax, "x\0"s, 1},
        {"blank value is no default", "[s]\r\nb=   \r\n", "s", "b", "d", kMax, "\0"s, 0},
        {"comment not readable", "[s]\r\n;k=1\r\n", "s", ";k", "d", kMax, "d\0"s, 1, differs},
        {"indented comment", "[s]\r\n \t;k=1\r\n", "s", "k", "d", kMax, "d\0"s, 1},
        {"# is no comment", "[s]\r\n#k=1\r\n", "s", "#k", "d", kMax, "1\0"s, 1},
        {"no inline comments", "[s]\r\nk=v ;c\r\n", "s", "k", "d", kMax, "v ;c\0"s, 4},
        {"indented header", "  [a]  \r\nk=1\r\n", "a", "k", "d", kMax, "1\0"s, 1},
        {"blanks inside brackets", "[ x\t]\r\nk=1\r\n", "x", "k", "d", kMax, "1\0"s, 1},
        {"text after ] ignored", "[s]k=1\r\n", "s", "k", "d", kMax, "d\0"s, 1},
        {"header without ]", "[s   \r\nk=1\r\n", "s", "k", "d", kMax, "1\0"s, 1, differs},
        {"name] is no header", "s]\r\nk=1\r\n", "s", "k", "d", kMax, "d\0"s, 1},
        {"a longer header is another section", "[ab]\r\nk=1\r\n[a]\r\nk=2\r\n", "a", "k", "d", kMax, "2\0"s, 1},
        {"a header differing inside is another section", "[abc]\r\nk=1\r\n", "axc", "k", "d", kMax, "d\0"s, 1},
        {"first ] ends the name", "[sec]whoops]\r\nk=1\r\n", "sec", "k", "d", kMax, "1\0"s, 1, differs},
        {"[ in name", "[[sec]\r\nk=1\r\n", "[sec", "k", "d", kMax, "1\0"s, 1},
        {"before first header", "k=nosec\r\n[s]\r\nj=1\r\n", "", "k", "d", kMax, "d\0"s, 1, differs},
        // Wine reads the lines before the first header as a section "",
        // which then hides the "[]" section.
        {"empty section name", "[]\r\nk=v\r\n", "", "k", nullptr, kMax, "v\0"s, 1, differs},
        {"empty entry name", "[s]\r\n=v\r\n", "s", "", nullptr, kMax, "v\0"s, 1},
        {"first entry wins", dup, "s", "k", "d", kMax, "first\0"s, 5},
        {"first section only", "[s]\r\n[s]\r\nk=v\r\n", "s", "k", "d", kMax, "d\0"s, 1},
        {"inner blanks of names count", "[s]\r\nmy  key=v\r\n", "s", "my key", "d", kMax, "d\0"s, 1},
        {"= inside value", "[s]\r\nk=a=b\r\n", "s", "k", "d", kMax, "a=b\0"s, 3},
        {"blanks alone before [", br, "s", "k", "d", kMax, "found\0"s, 5},
        {"[ after other text", br, "y", "k", "d", kMax, "d\0"s, 1},
        {"[ inside values", "[a]\r\nk=[b]\r\n x=[b]\r\n[b]\r\nk=2\r\n", "b", "k", "d", kMax, "2\0"s, 1},
        {"line without = not readable", "[s]\r\nname3\r\n", "s", "name3", "d", kMax, "d\0"s, 1},
        // Only ASCII letters fold: '@' and '`' differ by the case bit.
        {"no fold outside letters", "[@]\r\nk=v\r\n", "`", "k", "d", kMax, "d\0"s, 1},
        {"high bytes exact", "[\xC4]\r\nk=v\r\n", "\xE4", "k", "d", kMax, "d\0"s, 1},
        {"high bytes match", "[\xC4]\r\nk=v\r\n", "\xC4", "k", "d", kMax, "v\0"s, 1},
        {"UTF-8 mark is text", bom8, "s", "k", "d", kMax, "d\0"s, 1, differs},
        {"after UTF-8 mark", bom8, "t", "k", "d", kMax, "2\0"s, 1},
        {"UTF-16 file", u16, "S", "K", "d", kMax, "wide\0"s, 4},
        {"UTF-16 entry list", u16, "s", nullptr, "d", kMax, "k\0Name\0\0"s, 7},
        {"UTF-16 section list", u16, nullptr, nullptr, "d", kMax, "s\0T\0\0"s, 4},
        {"UTF-16 mark only", "\xFF\xFE", "s", "k", "d", kMax, "d\0"s, 1},
        {"UTF-16 odd last byte", utf16_bytes(u"[s]\r\nk=v\r\n") + 'x', "s", "k", "d", kMax, "v\0"s, 1},
        {"big-endian is not recognised", utf16_bytes(u"[s]\r\nk=wide\r\n", true), "s", "k", "d", kMax, "d\0"s, 1,
         differs},
        // Windows is not established for NUL bytes; our reader follows Wine.
        {"NUL ends a value", nul, "s", "k", "d", kMax, "ab\0"s, 2},
        {"line after a NUL", nul, "s", "j", "d", kMax, "2\0"s, 1},
        {"NUL ends a name", "[s]\r\nx\0y=3\r\n"s, "s", "x", "d", kMax, "3\0"s, 1},
        // Quotes.
        {"inner blanks kept", "[s]\r\nk=  \"   v   \"  \r\n", "s", "k", nullptr, kMax, "   v   \0"s, 7},
        {"mismatched kept", "[s]\r\nk=\"hello'\r\n", "s", "k", "d", kMax, "\"hello'\0"s, 7},
        {"outer pair of either quote only", "[s]\r\nk='\"x\"'\r\n", "s", "k", "d", kMax, "\"x\"\0"s, 3},
        {"empty quotes", "[s]\r\nk=\"\"\r\n", "s", "k", "d", kMax, "\0"s, 0},
        {"quote at both ends", "[s]\r\nk=\"a\" \"b\"\r\n", "s", "k", "d", kMax, "a\" \"b\0"s, 5},
        {"quoted value cut", "[s]\r\nk=\"hello\"\r\n", "s", "k", "d", 6, "hello\0"s, 5, unchecked},
        {"quotes in names are text", "[\"s\"]\r\n'k'=v\r\n", "\"s\"", "'k'", "d", kMax, "v\0"s, 1},
        {"default quotes kept", "", "s", "k", "\"q\"", kMax, "\"q\"\0"s, 3, unchecked},
        // Arguments.
        {"spaces stripped", kv, " s ", " k ", "d", kMax, "v\0"s, 1},
        {"tab in section kept", kv, "\ts", "k", "d", kMax, "d\0"s, 1, differs},
        {"; section never matches", "[;s]\r\nk=v\r\n", ";s", "k", "d", kMax, "d\0"s, 1, unchecked},
        {"all spaces is the empty name", "[]\r\nk=v\r\n", "   ", "k", "d", kMax, "v\0"s, 1, unchecked},
        // Entry lists.
        {"lines without = left out", f1, "section1", nullptr, "default", kMax, "name1\0name2\0name4\0\0"s, 18},
        {"entry list cut", f1, "section1", nullptr, "default", 16, "name1\0name2\0na\0\0"s, 14},
        {"comments left out", "[s]\r\n;a=1\r\nb=2\r\n", "s", nullptr, "d", kMax, "b\0\0"s, 2},
        {"duplicates listed", dup, "s", nullptr, "d", kMax, "k\0k\0\0"s, 4},
        {"entry list capacity 2", ab, "s", nullptr, "d", 2, "\0\0"s, 0, differs},
        {"entry list capacity 1", ab, "s", nullptr, "d", 1, "\0"s, 0},
        {"cut to nothing", "[s]\r\nab=1\r\ncd=2\r\n", "s", nullptr, "d", 5, "ab\0\0\0"s, 3, unchecked},
        {"names as written", "[s]\r\n  Mixed Case \t= 1\r\n", "s", nullptr, "d", kMax, "Mixed Case\0\0"s, 11},
        {"empty name left out", "[s]\r\n=v\r\nk=1\r\n", "s", nullptr, "d", kMax, "k\0\0"s, 2, unchecked},
        {"section without entries", "[s]\r\n;c\r\n[t]\r\nk=1\r\n", "s", nullptr, "d", kMax, "\0"s, 0, unchecked},
        {"missing section gives default", f1, "nosuch", nullptr, "dflt  ", kMax, "dflt\0\0"s, 4, unchecked},
        {"missing section, default cut", f1, "nosuch", nullptr, "dflt", 4, "df\0\0"s, 2, unchecked},
        {"missing section, capacity 2", f1, "nosuch", nullptr, "dflt", 2, "\0\0"s, 0, unchecked},
        // Section lists.
        {"section list cut, entry ignored", f1, nullptr, "name1", "default", 16, "section1\0secti\0\0"s, 14},
        {"fits with its final NUL", f1, nullptr, nullptr, "d", 20, "section1\0section2\0\0"s, 18},
        {"fits only without final NUL", f1, nullptr, nullptr, "d", 19, "section1\0section2\0\0"s, 17, unchecked},
        {"sections listed twice", "[s]\r\n[t]\r\n[s]\r\n", nullptr, nullptr, "d", kMax, "s\0t\0s\0\0"s, 6},
        {"trimmed names", "[ section1 ]\r\n", nullptr, nullptr, "d", kMax, "section1\0\0"s, 9},
        {"no sections: one NUL", "k=v\r\n", nullptr, nullptr, "d", 10, "\0"s, 0},
        {"no file: one NUL", std::nullopt, nullptr, nullptr, "d", 10, "\0"s, 0},
        {"empty name left out of sections", "[]\r\n[a]\r\n", nullptr, nullptr, "d", kMax, "a\0\0"s, 2},
    };
}

}  // namespace xq::test
