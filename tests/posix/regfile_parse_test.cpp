// Reading registry export files: headers, encodings, keys, values, deletions.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/regfile/regfile.h"
#include "support/file_bytes.h"

namespace {

namespace rf = xq::regfile;
using xq::test::utf16_bytes;

const std::string K = "HKEY_CURRENT_USER\\Software\\Brenvik\\Test";
const std::string H = "REGEDIT4\n\n[" + K + "]\n";

struct Stored {
    std::uint32_t type;
    std::string data;
    bool operator==(const Stored&) const = default;
};

Stored sz(std::u16string text, std::uint32_t type = rf::kRegSz) { return {type, rf::to_le_bytes(text + u'\0')}; }
Stored raw(std::uint32_t type, std::string bytes) { return {type, std::move(bytes)}; }
Stored dword(std::uint32_t n) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((n >> shift) & 0xFFU);
    return {rf::kRegDword, bytes};
}

std::optional<Stored> value_of(const rf::Registry& registry, const std::string& key, const std::string& name) {
    const rf::Key* k = registry.find(key);
    const rf::Value* v = k != nullptr ? k->find(name) : nullptr;
    if (v == nullptr) return std::nullopt;
    return Stored{v->type, v->data};
}


TEST(RegfileHeader, DecidesWhetherAnythingIsRead) {
    struct Case {
        std::string first_line;
        rf::Header header;
    };
    const std::vector<Case> cases = {
        {"REGEDIT4", rf::Header::regedit4},
        {" \tREGEDIT4", rf::Header::regedit4},
        {"Windows Registry Editor Version 5.00", rf::Header::version5},
        {"regedit4", rf::Header::rejected},
        {"Regedit4", rf::Header::rejected},
        {"AREGEDIT4", rf::Header::rejected},
        {"Windows Registry Editor Version 4.00", rf::Header::rejected},
        {"Windows Registry Editor Version 5", rf::Header::rejected},
        {"WINDOWS REGISTRY EDITOR VERSION 5.00", rf::Header::rejected},
        {"\xEF\xBB\xBFREGEDIT4", rf::Header::rejected},  // UTF-8 byte-order mark
        {"", rf::Header::rejected},
        {"REGEDIT4 FOO", rf::Header::inert},
        {"REGEDIT5", rf::Header::inert},
        {"REGEDIT", rf::Header::inert},
    };
    for (const Case& c : cases) {
        const rf::Parsed parsed = rf::parse(c.first_line + "\n[" + K + "]\n\"v\"=\"x\"\n");
        EXPECT_EQ(parsed.layout.header, c.header) << c.first_line;
        const bool read = c.header == rf::Header::regedit4 || c.header == rf::Header::version5;
        EXPECT_EQ(value_of(parsed.registry, K, "v").has_value(), read) << c.first_line;
    }
    EXPECT_TRUE(rf::parse("\nREGEDIT4\n[" + K + "]\n").registry.keys().empty()) << "blank line before header";
}

TEST(RegfileValues, ImportRules) {
    struct Expect {
        std::string name;
        std::optional<Stored> value;
    };
    struct Case {
        const char* label;
        std::string body;
        std::vector<Expect> expect;
    };
    const std::vector<Case> cases = {
        {"dword", "\"w1\"=dword:00000123\n\"a\"=dword:1\n\"b\"=dword:ABCdef12",
         {{"w1", dword(0x123)}, {"a", dword(1)}, {"b", dword(0xabcdef12)}}},
        {"bad dwords",
         "\"b\"=dword:123456789\n\"c\"=dword:0x123\n\"d\"=dword:000000001\n\"e\"=dword:\n"
         "\"f\"=dword:1234 5678\n\"g\"=dword:hello\n\"h\"=DWORD:1\n\"i\"=dword:1234;5678",
         {{"b", {}}, {"c", {}}, {"d", {}}, {"e", {}}, {"f", {}}, {"g", {}}, {"h", {}}, {"i", dword(0x1234)}}},
        {"default value", "@=\"Test string\"\n\"\"=\"Other\"", {{"", sz(u"Other")}}},
        {"comments after values", "\"w10\"=\"Value 1\"#comment\n\"w11\"=\"Value 2\";comment\n"
         "\"w12\"=dword:01020304 #comment\n\"w13\"=dword:02040608 ;comment\n\"w14\"=\"x\"  #c",
         {{"w10", {}}, {"w11", sz(u"Value 2")}, {"w12", {}}, {"w13", dword(0x2040608)}, {"w14", {}}}},
        {"quotes", "\"a\"=\"foo\"bar\"\n\"b\"=\"foo\"\"bar\"\n\"c\"=\"open\n\"d\"=\n\"e\"=\"\"",
         {{"a", {}}, {"b", {}}, {"c", {}}, {"d", {}}, {"e", sz(u"")}}},
        {"escapes", "\"double\\\"quote\"=\"valid \\\"or\\\" not\"\n\"back\\\\31\"=\"x\"\n"
         "\"w70\"=\"\\0\"\n\"w69\"=\"\\\\0\"\n\"path\"=\"C:\\Data\\n\"",
         {{"double\"quote", sz(u"valid \"or\" not")}, {"back\\31", sz(u"x")}, {"w70", {}},
          {"w69", sz(u"\\0")}, {"path", sz(u"C:\\Data\\n")}}},
        {"blanks and names", "  \"sp\" =\t\"x\"\n\"With=Equals\"=\"y\"\nNoQuotes=\"z\"\n\"NoEnd=\"z\"",
         {{"sp", sz(u"x")}, {"With=Equals", sz(u"y")}, {"NoQuotes", {}}, {"NoEnd", {}}}},
        {"later lines win, first spelling kept", "\"Name\"=\"one\"\n\"NAME\"=\"two\"", {{"name", sz(u"two")}}},
        {"deletions", "\"a\"=\"1\"\n\"b\"=\"1\"\n\"c\"=\"1\"\n\"d\"=\"1\"\n\"f\"=\"1\"\n"
         "\"a\"=-\n\"b\"=  \t-\t  \n\"c\"=- ;comment\n\"d\"=-\"Test\"\n\"f\"=- #comment",
         {{"a", {}}, {"b", {}}, {"c", {}}, {"d", sz(u"1")}, {"f", sz(u"1")}}},
        {"hex types", "\"a\"=hex(0):56,61,6c,75,65,00\n\"b\"=hex(100):01\n\"c\"=hex(100000000):01\n"
         "\"d\"=hex(0x2):01\n\"e\"=hex(ffffffff):\n\"f\"=hex:\n\"g\"=hex(2):\n\"h\"=hex:1,0f,FF,",
         {{"a", raw(0, std::string("Value\0", 6))}, {"b", raw(0x100, "\x01")}, {"c", {}}, {"d", {}},
          {"e", raw(0xffffffff, "")}, {"f", raw(3, "")}, {"g", raw(2, "")}, {"h", raw(3, "\x01\x0f\xff")}}},
        {"bad hex lists", "\"a\"=hex:100\n\"b\"=hex:,01\n\"c\"=hex:63,,6f\n\"d\"=hex:01#c\n\"e\"=Hex:01\n\"f\"=hex:01 ;c",
         {{"a", {}}, {"b", {}}, {"c", {}}, {"d", {}}, {"e", {}}, {"f", raw(3, "\x01")}}},
        {"string types as hex get a terminator",
         "\"a\"=hex(7):4c,69,6e,65\n\"b\"=hex(7):4c,69,6e,65,00,00\n\"m\"=hex(7):61,00,62,00,00,00,00,00",
         {{"a", sz(u"Line", 7)}, {"b", sz(std::u16string(u"Line\0", 5), 7)},
          {"m", sz(std::u16string(u"a\0b\0\0\0\0", 7), 7)}}},
        {"continuation", "\"a\"=hex:11,22,33,44,\\;comment\n\n  ; note\n  55,66,\\\n  77,88\n"
         "\"w3\"=hex(7):4c,69,6e,65,20,\\\n  63,6f,6e,63,61,74,00,00",
         {{"a", raw(3, "\x11\x22\x33\x44\x55\x66\x77\x88")}, {"w3", sz(std::u16string(u"Line concat\0", 12), 7)}}},
        {"continuation ends at a line without ,\\",
         "\"a\"=hex:01,\\\n 02,\n\"b\"=hex:03,\\\n 04,;c\n\"c\"=\"kept\"",
         {{"a", raw(3, "\x01\x02")}, {"b", raw(3, "\x03\x04")}, {"c", sz(u"kept")}}},
        {"broken continuations",
         "\"a\"=hex:11,22\\\n  55\n\"b\"=hex:01,\\\n,02\n\"c\"=hex:4\\\n1,00\n\"d\"=hex:25,48\\,4f\n\"e\"=hex:\\25\n"
         "\"f\"=hex:01,\\\n\\\n\"g\"=\"after\"",
         {{"a", {}}, {"b", {}}, {"c", {}}, {"d", {}}, {"e", {}}, {"f", {}}, {"g", sz(u"after")}}},
        {"dangling continuation swallows the next line",
         "\"a\"=hex(2):4c,69,\\\n\"b\"=\"Test value\"\n\"c\"=\"kept\"\n\"x\"=hex:01,\\\n#comment\n\"y\"=\"set\"",
         {{"a", {}}, {"b", {}}, {"c", sz(u"kept")}, {"x", {}}, {"y", sz(u"set")}}},
        {"end of file after ,\\ keeps the bytes", "\"a\"=hex:01,02,\\\n", {{"a", raw(3, "\x01\x02")}}},
        {"non-ASCII text", "\"gr\xC3\xB6\xC3\x9F" "e\"=\"\xE2\x82\xAC \xF0\x9D\x84\x9E\"\n\"bad\"=\"\xFF\"",
         {{"gr\xC3\xB6\xC3\x9F" "e", sz(u"\u20AC \U0001D11E")}, {"bad", sz(u"?")}}},
    };
    for (const Case& c : cases) {
        const rf::Registry registry = rf::parse(H + c.body).registry;
        for (const Expect& e : c.expect) {
            EXPECT_EQ(value_of(registry, K, e.name), e.value) << c.label << ": " << e.name;
        }
    }
}

TEST(RegfileValues, LineEndsAndEncodings) {
    const std::string body = "\"a\"=\"1\"";
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        const std::string file = "REGEDIT4" + end + "[" + K + "]" + end + body;  // no final line end
        EXPECT_EQ(value_of(rf::parse(file).registry, K, "a"), sz(u"1")) << static_cast<int>(end.back());
    }
    // UTF-16LE: text in any script, string hex bytes kept as they are, either header.
    const std::u16string text = u"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Gr\u00FC\u00DFe]\r\n\"\u00C4\"=\"\U0001D11E\"\r\n"
                                u"\"h\"=hex(2):41,00,42,00\r\n";
    const rf::Parsed parsed = rf::parse(utf16_bytes(text));
    EXPECT_EQ(parsed.layout.encoding, rf::Encoding::utf16le);
    const std::string key = "HKEY_LOCAL_MACHINE\\Gr\xC3\xBC\xC3\x9F" "e";
    EXPECT_EQ(value_of(parsed.registry, key, "\xC3\x84"), sz(u"\U0001D11E"));
    EXPECT_EQ(value_of(parsed.registry, key, "h"), sz(u"AB", rf::kRegExpandSz));
    EXPECT_TRUE(rf::parse(rf::to_le_bytes(text)).registry.keys().empty()) << "UTF-16 without BOM";
}

TEST(RegfileKeys, KeyLines) {
    struct Case {
        const char* label;
        std::string text;
        std::vector<std::pair<std::string, bool>> exists;
    };
    const std::vector<Case> cases = {
        {"blank after [, trailing blank is part of the name",
         "[ " + K + "\\Sub1a]\n[" + K + "\\Sub1c ]\n",
         {{K + "\\Sub1a", false}, {K + "\\Sub1c ", true}, {K + "\\Sub1c", false}}},
        {"parents are created, roots in any case",
         "[hkey_CURRENT_user\\Software\\Brenvik\\Test\\A\\B]\n", {{K, true}, {K + "\\A", true}, {K + "\\a\\b", true}}},
        {"trailing backslashes", "[" + K + "\\E\\\\]\n", {{K + "\\E", true}}},
        {"path to the last ]", "[" + K + "\\A]B] ;x\n[" + K + "\\https://x.org]\n",
         {{K + "\\A]B", true}, {K + "\\https://x.org", true}}},
        {"unknown root, abbreviation, empty component",
         "[HKEY_CURRENT_USERS\\S]\n[HKCU\\S]\n[" + K + "\\\\S]\n[" + K + "\n",
         {{"HKEY_CURRENT_USER\\S", false}, {K + "\\S", false}, {K, false}}},
        {"deletion in another case removes subkeys",
         "[" + K + "\\Subkey3a\\Deep]\n[" + K + "\\Subkey3ab]\n[-HKEY_current_USER\\Software\\Brenvik\\Test\\sUBKEY3A]\n",
         {{K + "\\Subkey3a", false}, {K + "\\Subkey3a\\Deep", false}, {K + "\\Subkey3ab", true}, {K, true}}},
        {"malformed deletions do nothing", "[" + K + "\\D]\n[ -" + K + "\\D]\n[- " + K + "\\D]\n", {{K + "\\D", true}}},
        {"dangling continuation swallows a key line", H + "\"a\"=hex(2):4c,\\\n[" + K + "\\Sub1]\n",
         {{K + "\\Sub1", false}}},
    };
    for (const Case& c : cases) {
        const rf::Registry registry = rf::parse("REGEDIT4\n" + c.text).registry;
        for (const auto& [path, exists] : c.exists) {
            EXPECT_EQ(registry.find(path) != nullptr, exists) << c.label << ": " << path;
        }
    }
}

TEST(RegfileKeys, ValuesFollowTheirKeyLine) {
    const rf::Registry registry = rf::parse(
        "REGEDIT4\n[" + K + "]\n\"a\"=\"1\"\n"
        "[-" + K + "\\Sub4a]\n\"w46a\"=dword:12345678\n"
        "[HKEY_CURRENT_USERS\\X]\n\"w46b\"=dword:1\n"
        "[" + K + "\\Other]\n[" + K.substr(0, 17) + "\\SOFTWARE\\BRENVIK\\TEST]\n\"b\"=\"2\"\n"
        "[" + K + "]\n\"a\"=\"3\"\n").registry;
    const rf::Key* key = registry.find(K);
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->values.size(), 2u) << "blocks of one key merge; nothing after a deletion or a bad key";
    EXPECT_EQ(key->values[0].name, "a");
    EXPECT_EQ(value_of(registry, K, "a"), sz(u"3"));
    EXPECT_EQ(value_of(registry, K, "b"), sz(u"2"));
    EXPECT_EQ(registry.keys().begin()->first, "HKEY_CURRENT_USER") << "roots spelled in full capitals";
    EXPECT_NE(registry.keys().find(K), registry.keys().end());
    EXPECT_EQ(registry.keys().find(K)->first, K) << "first spelling kept";
}

}  // namespace
