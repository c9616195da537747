// The registry on Linux: registry export files read (headers, encodings, key
// and value lines), values written back (a value set in place with every
// other byte kept), and the store in the file named by XQ_UTILS_REGISTRY.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <tuple>

#include "platform/platform.h"
#include "platform/regfile/regfile.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace {

namespace rf = xq::regfile;
using namespace std::string_literals;
using xq::test::read_bytes;
using xq::test::utf16_bytes;
using xq::test::write_bytes;

const std::string K = "HKEY_CURRENT_USER\\Software\\Brenvik\\Test";
const std::string X = "HKEY_LOCAL_MACHINE\\SOFTWARE\\X";

// A value as stored: type and data; the values of a key by name, in order.
using Stored = std::pair<std::uint32_t, std::string>;
using Values = std::vector<std::pair<std::string, Stored>>;
std::string z16(const std::u16string& text) { return rf::to_le_bytes(text + u'\0'); }
Stored sz(const std::u16string& text, std::uint32_t type = rf::kRegSz) { return {type, z16(text)}; }
Stored dword(std::uint32_t n) { return {rf::kRegDword, {char(n), char(n >> 8), char(n >> 16), char(n >> 24)}}; }

Values values_of(const rf::Registry& registry, const std::string& key) {
    Values values;
    if (const rf::Key* k = registry.find(key))
        for (const rf::Value& v : k->values) values.emplace_back(v.name, Stored{v.type, v.data});
    return values;
}

// The single-key reader (what a lookup uses) answers every name as the full
// parse does: the names stored, and single letters that the file may have
// refused or deleted.
void expect_reader_agrees(const std::string& file, const char* label) {
    const rf::Registry registry = rf::parse(file).registry;
    const rf::KeyReader reader(file);
    const rf::Key* key = registry.find(K);
    EXPECT_EQ(reader.exists(K), key != nullptr) << label;
    std::vector<std::string> names = {"", "sp", "W=E", "q\"", "b\\3", "Name"};
    for (char c = 'a'; c <= 'z'; ++c) names.emplace_back(1, c);
    for (const std::string& name : names) {
        const rf::Value* value = key != nullptr ? key->find(name) : nullptr;
        EXPECT_EQ(reader.query(K, name), value ? std::optional(rf::query_bytes(*value)) : std::nullopt) << label << ": " << name;
    }
}

TEST(RegfileRead, HeaderDecidesWhetherAnythingIsRead) {
    using H = rf::Header;
    const std::pair<std::string, H> rows[] = {
        {"REGEDIT4", H::regedit4}, {" \tREGEDIT4 ", H::regedit4}, {"Windows Registry Editor Version 5.00 ", H::version5},
        {"Regedit4", H::rejected}, {"\xEF\xBB\xBFREGEDIT4", H::rejected}, {"Windows Registry Editor Version 5", H::rejected},
        {"REGEDIT4 FOO", H::inert}, {"REGEDIT", H::inert}};
    for (const auto& [first_line, header] : rows) {
        const rf::Parsed parsed = rf::parse(first_line + "\n[" + K + "]\n\"v\"=\"x\"\n");
        EXPECT_EQ(parsed.layout.header, header) << first_line;
        EXPECT_EQ(!values_of(parsed.registry, K).empty(), header == H::regedit4 || header == H::version5);
    }
    EXPECT_TRUE(rf::parse("\nREGEDIT4\n[" + K + "]\n").registry.keys().empty()) << "blank line before header";
}

// Every value of the key, in order: the lines not listed stored nothing.
TEST(RegfileRead, ValueLinesStoreExactlyTheseValues) {
    const std::tuple<const char*, std::string, Values> rows[] = {
        {"dwords", "\"a\"=dword:00000123\n\"b\"=dword:1\n\"c\"=dword:ABCdef12\n\"d\"=dword:1234;5678",
         {{"a", dword(0x123)}, {"b", dword(1)}, {"c", dword(0xabcdef12)}, {"d", dword(0x1234)}}},
        {"bad dwords and quotes", "\"b\"=dword:123456789\n\"c\"=dword:0x123\n\"d\"=dword:000000001\n\"e\"=dword:\n"
         "\"f\"=dword:1234 5678\n\"g\"=dword:hello\n\"h\"=DWORD:1\n\"i\"=\"foo\"bar\"\n\"j\"=\"foo\"\"bar\"\n"
         "\"k\"=\"open\n\"l\"=\n\"m\"=\"\"\n\"n\"=\"\n\"o\"=\" ;c\n  \"sp\" =\t\"x\"\n\"W=E\"=\"y\"\nNoQuotes=\"z\"\n\"NoEnd=\"z\"\n"
         "\"t\"x\"y\"\n\"u\" \"y\"",
         {{"m", sz(u"")}, {"sp", sz(u"x")}, {"W=E", sz(u"y")}}},
        {"default, later lines, comments after values", "@=\"T\"\n\"\"=\"O\"\n\"Name\"=\"1\"\n\"NAME\"=\"2\"\n\"a\"=\"1\"#c\n"
         "\"b\"=\"2\";c\n\"c\"=dword:1 #c\n\"d\"=dword:2 ;c\n\"e\"=\"x\"  #c",
         {{"", sz(u"O")}, {"Name", sz(u"2")}, {"b", sz(u"2")}, {"d", dword(2)}}},
        {"escapes", "\"q\\\"\"=\"v \\\"o\\\" n\"\n\"b\\\\3\"=\"x\"\n\"z\"=\"\\0\"\n\"y\"=\"\\\\0\"\n\"p\"=\"C:\\D\\n\"",
         {{"q\"", sz(u"v \"o\" n")}, {"b\\3", sz(u"x")}, {"y", sz(u"\\0")}, {"p", sz(u"C:\\D\\n")}}},
        {"deletions", "\"a\"=\"1\"\n\"b\"=\"1\"\n\"c\"=\"1\"\n\"d\"=\"1\"\n\"f\"=\"1\"\n"
                      "\"a\"=-\n\"b\"=  \t-\t  \n\"c\"=- ;comment\n\"d\"=-\"Test\"\n\"f\"=- #comment",
         {{"d", sz(u"1")}, {"f", sz(u"1")}}},
        {"hex types", "\"a\"=hex(0):56,61,6c,75,65,00\n\"b\"=hex(100):01\n\"c\"=hex(100000000):01\n\"d\"=hex(0x2):01\n"
                      "\"e\"=hex(ffffffff):\n\"f\"=hex:\n\"g\"=hex(2):\n\"h\"=hex:1,0f,FF,\n\"i\"=hex:aB,Cd",
         {{"a", Stored(0, "Value\0"s)}, {"b", Stored(0x100, "\x01")}, {"e", Stored(0xffffffff, "")}, {"f", Stored(3, "")},
          {"g", Stored(2, "")}, {"h", Stored(3, "\x01\x0f\xff")}, {"i", Stored(3, "\xab\xcd")}}},
        {"bad hex lists", "\"a\"=hex:100\n\"b\"=hex:,01\n\"c\"=hex:63,,6f\n\"d\"=hex:01#c\n\"e\"=Hex:01\n"
                          "\"f\"=hex:01 ;c\n\"g\"=hex:01,", {{"f", Stored(3, "\x01")}, {"g", Stored(3, "\x01")}}},
        {"string types as hex get a terminator", "\"a\"=hex(7):4c,69,6e,65\n\"b\"=hex(7):4c,69,6e,65,00,00\n\"o\"=hex(1):c4,80",
         {{"a", sz(u"Line", 7)}, {"b", sz(u"Line\0"s, 7)}, {"o", Stored(1, "\x00\x01\0\0"s)}}},
        {"continuation, to a line without ,\\", "\"a\"=hex:11,22,\\;c\n\n  ; note\n  55,66,\\\n  77,88\n"
         "\"w\"=hex(7):4c,69,\\\n  6e,65,00,00\n\"b\"=hex:01,\\\n 02,\n\"c\"=hex:03,\\\n 04,;c\n\"d\"=\"kept\"",
         {{"a", Stored(3, "\x11\x22\x55\x66\x77\x88")}, {"w", sz(u"Line\0"s, 7)}, {"b", Stored(3, "\x01\x02")},
          {"c", Stored(3, "\x03\x04")}, {"d", sz(u"kept")}}},
        {"broken continuations; a dangling one swallows the next line", "\"a\"=hex:11,22\\\n  55\n\"b\"=hex:01,\\\n,02\n"
         "\"c\"=hex:4\\\n1,00\n\"d\"=hex:25,48\\,4f\n\"e\"=hex:\\25\n\"f\"=hex:01,\\\n\\\n\"g\"=\"after\"\n"
         "\"h\"=hex(2):4c,69,\\\n\"i\"=\"Test value\"\n\"j\"=\"kept\"\n\"x\"=hex:01,\\\n#comment\n\"y\"=\"set\"",
         {{"g", sz(u"after")}, {"j", sz(u"kept")}, {"y", sz(u"set")}}},
        {"blocks of a key merge; nothing after a deletion or a bad key", "\"a\"=\"1\"\n[-" + K + "\\D]\n\"x\"=dword:1\n"
         "[HKEY_CURRENT_USERS\\X]\n\"y\"=dword:1\n[" + K + "\\Other]\n[HKEY_CURRENT_USER\\SOFTWARE\\BRENVIK\\TEST]\n"
         "\"b\"=\"2\"\n[" + K + "]\n\"a\"=\"3\"", {{"a", sz(u"3")}, {"b", sz(u"2")}}},
        // A key line that only seems to go on from the one before (a longer root, an empty component right after
        // the shared part) opens no block: the hex line after it is skipped, not continued over the next key line.
        {"no block", "[HKEY_USERS]\n[HKEY_USERSS\\X]\n\"a\"=hex:01,\\\n[" + K + "]\n\"a\"=\"v\"\n[HKEY_USERS\\A]\n"
         "[HKEY_USERS\\A\\\\B]\n\"b\"=hex:01,\\\n[" + K + "]\n\"b\"=\"w\"", {{"a", sz(u"v")}, {"b", sz(u"w")}}},
        {"line ends CR LF and CR; end of file after ,\\ keeps the bytes", "\"a\"=\"1\"\r\n\"b\"=\"2\"\r\"c\"=hex:01,02,\\\n",
         {{"a", sz(u"1")}, {"b", sz(u"2")}, {"c", Stored(3, "\x01\x02")}}},
        {"non-ASCII text", "\"gr\xC3\xB6\xC3\x9F" "e\"=\"\xE2\x82\xAC \xF0\x9D\x84\x9E\"\n\"bad\"=\"\xFF\xC3(\"",
         {{"gr\xC3\xB6\xC3\x9F" "e", sz(u"\u20AC \U0001D11E")}, {"bad", sz(u"?\?(")}}},
    };
    for (const auto& [label, body, expect] : rows) {
        const std::string file = "REGEDIT4\n\n[" + K + "]\n" + body;
        EXPECT_EQ(values_of(rf::parse(file).registry, K), expect) << label;
        expect_reader_agrees(file, label);
    }
}

TEST(RegfileRead, EdgesOfLinesAndSequences) {
    // A sequence broken by a non-continuation byte: each of its bytes becomes '?', the byte after is kept.
    const std::pair<std::string, std::u16string> utf8[] = {
        {"\xC3" "A", u"?A"}, {"\xF0\x9D\x84" "A", u"???A"}, {"\xF0\x9D" "\xC3\xA9", u"??\u00E9"}, {"\x7F\x80", u"\x7F?"},
        {"\xC2\x80" "\xE0\xA0\x80" "\xF0\x90\x80\x80", u"\u0080\u0800\U00010000"}};  // the least of each length
    for (const auto& [text, units] : utf8) EXPECT_EQ(rf::utf8_to_utf16(text), units) << text;
    // An odd last byte of a UTF-16 file stays inside the last line: the line ends and the file ends with it.
    const rf::Layout odd = rf::split_lines("\xFF\xFE" "A\0\r\0\n\0" "B\0" "C"s);
    ASSERT_EQ(odd.lines.size(), 2U);
    EXPECT_EQ(std::tie(odd.lines[0].begin, odd.lines[0].end, odd.lines[0].next, odd.lines[1].begin, odd.lines[1].end,
                       odd.lines[1].next, odd.lines[1].text), std::make_tuple(2U, 4U, 8U, 8U, 11U, 11U, "B"s));
    EXPECT_TRUE(rf::split_lines("\xFF\xFE" "A"s).lines.empty());  // the odd byte alone makes no line
    // A CR at the end of the text ends its line, whatever byte lies beyond the text.
    EXPECT_EQ(rf::split_lines(std::string_view("A\r\n").substr(0, 2)).lines.back().next, 2U);
    // A byte of 0 or above 127 in a value's text, and an empty component in a key path, are found at every
    // place of the words they are scanned in.
    for (std::size_t at = 0; at < 4 * 20; ++at) {
        std::string text(20, 'a');
        text[at / 4] = "\0\x80\xC3\xFF"[at % 4];
        expect_reader_agrees("REGEDIT4\n[" + K + "]\n\"a\"=\"" + text + "\"\n", "odd byte");
        EXPECT_TRUE(rf::parse("REGEDIT4\n[HKEY_USERS\\" + std::string(at / 4, 'x') + "\\\\y]\n").registry.keys().empty()) << at;
    }
}

// Every key the lines make, in order and as spelled: parents are made too,
// roots in capitals, an existing key keeps its first spelling.
TEST(RegfileRead, KeyLinesMakeExactlyTheseKeys) {
    const std::string U = "HKEY_USERS";
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        {"[ HKEY_USERS\\A]\n[HKEY_USERS\\C ]", {U, U + "\\C "}},  // a blank after [ rejects; one before ] is kept
        {"[hkey_users\\A\\B]\n[HKEY_USERS\\a\\b\\C]", {U, U + "\\A", U + "\\A\\B", U + "\\A\\B\\C"}},
        {"[HKEY_USERS\\E\\\\]\n[HKEY_USERS\\A]B] ;x\n[HKEY_USERS\\https://x.org]",  // up to the last ]
         {U, U + "\\A]B", U + "\\E", U + "\\https://x.org"}},
        {"[HKEY_USERSS\\S]\n[HKU\\S]\n[HKEY_USERS\\\\S]\n[HKEY_USERS\\S", {}},  // bad root or name, no ]
        {"[HKEY_USERS\\A\\Deep]\n[HKEY_USERS\\AB]\n[-hkey_users\\a]", {U, U + "\\AB"}},  // a deletion takes the subkeys
        {"[HKEY_USERS\\D]\n[ -HKEY_USERS\\D]\n[- HKEY_USERS\\D]", {U, U + "\\D"}},  // malformed deletions do nothing
    };
    for (const auto& [text, keys] : rows) {
        const rf::Registry registry = rf::parse("REGEDIT4\n" + text + "\n").registry;
        std::vector<std::string> made;
        for (const auto& [path, key] : registry.keys()) made.push_back(path);
        EXPECT_EQ(made, keys) << text;
    }
}

// One value set: only its line changes, a new line goes where it takes effect.
TEST(RegfileWrite, SetStringChangesOnlyTheValueLine) {
    const std::string h = "REGEDIT4\n[" + X + "]\n";
    // File, value name, text, the file after.
    const std::tuple<std::string, std::string, std::string, std::string> rows[] = {
        {h + "\"a\"=\"1\"", "q\"\\;#=", "a\"b\\\u20AC\U0001D11E",  // quoted with '\' before '\' and '"'
         h + "\"a\"=\"1\"\n\"q\\\"\\\\;#=\"=\"a\\\"b\\\\\xE2\x82\xAC\xF0\x9D\x84\x9E\""},
        {h + "[" + X + "\\C]\n[" + X + "]\n\"a\"=\"1\"\n[HKEY_USERS\\Z]\n", "v", "new",
         h + "[" + X + "\\C]\n[" + X + "]\n\"a\"=\"1\"\n\"v\"=\"new\"\n[HKEY_USERS\\Z]\n"},
        {h + "\"v\"=\"1\"\n\"v\"=-\n;end\n", "v", "new", h + "\"v\"=\"1\"\n\"v\"=-\n\"v\"=\"new\"\n;end\n"},
        {h + "\"v\"=hex:01,\\\n  02,\\\n  03\n\"w\"=\"2\"\n", "V", "new", h + "\"v\"=\"new\"\n\"w\"=\"2\"\n"},
        {h + "[-" + X + "]\n[" + X + "\\C]\n", "v", "new",
         h + "[-" + X + "]\n[" + X + "\\C]\n\n[" + X + "]\n\"v\"=\"new\"\n"},  // a new block at the end
        {h + "\"a\"=hex:01,\\\n", "a", "x", h + "\"a\"=\"x\"\n"},
        // Line breaks go in as hex data continued in the file's own encoding, wrapped once a line reaches 77
        // characters.
        {utf16_bytes(u"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n\"\u00C4\"=\"\u00E4\"\r\n"), "t",
         "1\n\xE2\x82\xAC" "23456789012",
         utf16_bytes(u"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n\"\u00C4\"=\"\u00E4\"\r\n"
                     u"\"t\"=hex(1):31,00,0a,00,ac,20,32,00,33,00,34,00,35,00,36,00,37,00,38,00,39,00,\\\r\n"
                     u"  30,00,31,00,32,00,00,00\r\n")},
    };
    for (const auto& [file, name, text, after] : rows) {
        const auto edited = rf::set_string(file, X, name, text);
        ASSERT_TRUE(edited) << after;
        EXPECT_EQ(edited->file, after);
    }
    EXPECT_FALSE(rf::set_string("regedit4\n[" + X + "]\n", X, "v", "x")) << "rejected header";
    EXPECT_FALSE(rf::set_string(h + "\"a\"=hex:01,\\\n", X, "v", "x")) << "a dangling ,\\ at the end would swallow the new line";
    // Lines of types that only an export writes: the library sets strings only.
    EXPECT_EQ(rf::value_line({"d", rf::kRegDword, "\x00\x01\x02\x03"s, {}}, rf::Encoding::ansi, "\n"), "\"d\"=dword:03020100");
    EXPECT_EQ(rf::value_line({"t", 0xabcd, "\xff", {}}, rf::Encoding::ansi, "\n"), "\"t\"=hex(abcd):ff");
}

using Key = std::unique_ptr<xq::os::RegKey, decltype(&xq::os::reg_close)>;
constexpr std::uint32_t kQuery = xq::os::kKeyQueryValue, kSet = xq::os::kKeySetValue;

Key open(const char* path, std::uint32_t rights = kQuery, xq::os::RegKey* parent = nullptr) {
    return Key(xq::os::reg_open(parent, path, rights), xq::os::reg_close);
}
std::optional<std::string> query(const Key& key, const char* name, std::size_t capacity) {
    std::string out(capacity, '\x5A');
    return xq::os::reg_query_string(key.get(), name, out) ? std::optional(out) : std::nullopt;
}

// The store: keys read when opened, level by level, values of every type
// queried, values set by editing the file as it is now. (The test registry
// points the library back at its own file on its next use.)
TEST(PosixRegistry, KeysOpenedLevelByLevelValuesSetInTheFileAsItIsNow) {
    const xq::test::TempDirectory dir;
    const std::string store = dir.file("registry.reg");
    ::setenv("XQ_UTILS_REGISTRY", store.c_str(), 1);
    EXPECT_FALSE(open("SOFTWARE")) << "no file: no keys";
    write_bytes(store, "REGEDIT4\n\n[" + X + "\\4.1]\n\"utf8\"=\"\xC3\xA9\"\n\"binz\"=hex:61,00\n\"dw\"=dword:00000041\n"
                       "\"exp\"=hex(2):25,50,25\n@=\"def\"\n\"c\"=hex:43,\\\n  44\n\"d\"=\"1\"\n\"D\"=-\n");
    const Key software = open("software");
    std::filesystem::remove(store);  // the levels below come from what was read
    const Key version = open("x\\4.1", kQuery, software.get());
    ASSERT_TRUE(software && version);
    const std::pair<const char*, std::optional<std::string>> rows[] = {
        {"UTF8", "\xC3\xA9\0"s}, {"binz", "a\0"s}, {"dw", "A\0\0\0"s}, {"exp", "%P%\0"s},
        {"", "def\0"s},          {nullptr, "def\0"s}, {"c", "CD\0"s},  {"d", {}}};
    for (const auto& [name, delivered] : rows) {
        EXPECT_EQ(query(version, name, delivered ? delivered->size() : 8), delivered) << name;
        EXPECT_FALSE(delivered && query(version, name, delivered->size() - 1)) << "no room for all: " << name;
    }
    // Values set by editing the file as it is now, not as the key read it.
    write_bytes(store, "REGEDIT4\n[" + X + "]\n\"Lang\"=\"ENG\"\n");
    const Key first = open("SOFTWARE\\X", kSet), second = open("SOFTWARE\\X", kQuery | kSet);
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(xq::os::reg_set_string(first.get(), "Lang", "GER") && xq::os::reg_set_string(second.get(), "New", "1"));
    EXPECT_EQ(read_bytes(store), "REGEDIT4\n[" + X + "]\n\"Lang\"=\"GER\"\n\"New\"=\"1\"\n") << "both writes kept";
    EXPECT_EQ(query(second, "New", 2), "1\0"s) << "the key sees its own write";
    EXPECT_FALSE(query(first, "Lang", 4)) << "no query right";
    write_bytes(store, "REGEDIT4\n");
    EXPECT_FALSE(xq::os::reg_set_string(first.get(), "Lang", "ENG")) << "the key left the file";
}

}  // namespace
