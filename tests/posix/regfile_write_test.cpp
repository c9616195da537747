// Writing registry files: whole exports, and one value set in place with
// every other line kept byte for byte.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/regfile/regfile.h"
#include "support/file_bytes.h"
#include "support/posix/regfile_export.h"

namespace {

namespace rf = xq::regfile;
using xq::test::utf16_bytes;

const std::string K = "HKEY_CURRENT_USER\\Software\\Brenvik\\Test";
const std::string X = "HKEY_LOCAL_MACHINE\\SOFTWARE\\X";

std::string sz(const std::u16string& text) { return rf::to_le_bytes(text + u'\0'); }

// The query bytes of a value in a file, or nullopt.
std::optional<std::string> read_back(const std::string& file, const std::string& key, const std::string& name) {
    const rf::Registry registry = rf::parse(file).registry;
    const rf::Key* k = registry.find(key);
    const rf::Value* v = k != nullptr ? k->find(name) : nullptr;
    return v != nullptr ? std::optional(rf::query_bytes(*v)) : std::nullopt;
}

TEST(RegfileExport, ByteExactLayout) {
    rf::Registry registry;
    registry.create("HKEY_CURRENT_USER\\Elsewhere").set("x", rf::kRegSz, sz(u"not exported"));
    rf::Key& key = registry.create(K);
    const std::u16string header = u"Windows Registry Editor Version 5.00\r\n\r\n";
    const std::u16string key_line = u"[HKEY_CURRENT_USER\\Software\\Brenvik\\Test]\r\n";
    EXPECT_EQ(rf::export_file(registry, rf::Format::version5, K), utf16_bytes(header + key_line + u"\r\n"));
    key.set("DWORD", rf::kRegDword, std::string("\x00\x01\x00\x00", 4));
    key.set("String", rf::kRegSz, sz(u"Your text here..."));
    key.set("Backslash", rf::kRegSz, sz(u"Use \\\\ to escape a backslash"));
    EXPECT_EQ(rf::export_file(registry, rf::Format::version5, K),
              utf16_bytes(header + key_line + u"\"DWORD\"=dword:00000100\r\n\"String\"=\"Your text here...\"\r\n"
                         u"\"Backslash\"=\"Use \\\\\\\\ to escape a backslash\"\r\n\r\n"));
    registry.create(K + "\\b");
    registry.create(K + "\\A");
    EXPECT_EQ(rf::export_file(registry, rf::Format::regedit4, K + "\\A"), "REGEDIT4\r\n\r\n[" + K + "\\A]\r\n\r\n");
    const std::string all = rf::export_file(registry, rf::Format::regedit4, K);
    EXPECT_LT(all.find("Test\\A]"), all.find("Test\\b]")) << "subkeys in name order";
}

// "41,41,...": `n` bytes 0x41.
std::string hex_run(std::size_t n) {
    std::string out = "41";
    for (std::size_t i = 1; i < n; ++i) out += ",41";
    return out;
}

TEST(RegfileExport, ValueLines) {
    struct Case {
        std::string name;
        std::uint32_t type;
        std::string data;
        std::string line;  // REGEDIT4 form
    };
    const std::vector<Case> cases = {
        {"", rf::kRegSz, sz(u"d"), "@=\"d\""},
        {"q\"\\", rf::kRegSz, sz(u"a\"b\\c"), "\"q\\\"\\\\\"=\"a\\\"b\\\\c\""},
        {"e", rf::kRegSz, sz(u""), "\"e\"=\"\""},
        {"lf", rf::kRegSz, sz(u"a\nb"), "\"lf\"=hex(1):61,0a,62,00"},
        {"nul", rf::kRegSz, rf::to_le_bytes(u"a"), "\"nul\"=hex(1):61"},
        {"x", rf::kRegExpandSz, sz(u"%P%"), "\"x\"=hex(2):25,50,25,00"},
        {"d0", rf::kRegDword, "", "\"d0\"=hex(4):"},
        {"d3", rf::kRegDword, "abc", "\"d3\"=hex(4):61,62,63"},
        {"n", rf::kRegNone, "", "\"n\"=hex(0):"},
        {"q", 0xb, std::string(8, '\x01'), "\"q\"=hex(b):01,01,01,01,01,01,01,01"},
        {"t", 0xabcd, "\xff", "\"t\"=hex(abcd):ff"},
        {"b", rf::kRegBinary, "\x12\xab", "\"b\"=hex:12,ab"},
        // Wrapped once a line reaches 77 characters: 17 bytes here, then 25 a line.
        {"Multiple strings", rf::kRegNone, std::string(44, 'A'),
         "\"Multiple strings\"=hex(0):" + hex_run(17) + ",\\\r\n  " + hex_run(25) + ",\\\r\n  " + hex_run(2)},
    };
    for (const Case& c : cases) {
        rf::Registry registry;
        registry.create(K).set(c.name, c.type, c.data);
        const std::string file = rf::export_file(registry, rf::Format::regedit4, K);
        EXPECT_NE(file.find("]\r\n" + c.line + "\r\n\r\n"), std::string::npos) << c.name << "\n" << file;
    }
}

TEST(RegfileExport, ReadsBackAsWritten) {
    rf::Registry registry;
    rf::Key& key = registry.create(K + "\\A]B\\\xC3\xA4 x");
    key.set("", rf::kRegSz, sz(u"default"));
    key.set("q\"\\;#=", rf::kRegSz, sz(u"\u20AC\U0001D11E \"\\ ;#"));
    key.set("lines", rf::kRegSz, sz(u"a\r\nb"));
    key.set("inner nul", rf::kRegSz, sz(std::u16string(u"a\0b", 3)));
    key.set("multi", rf::kRegMultiSz, sz(std::u16string(u"a\0b\0", 4)));
    key.set("dword", rf::kRegDword, "\x01\x02\x03\x04");
    key.set("odd dword", rf::kRegDword, "\x01");
    key.set("blob", rf::kRegBinary, std::string(300, '\x7f'));
    registry.create("HKEY_USERS");
    for (const rf::Format format : {rf::Format::regedit4, rf::Format::version5}) {
        EXPECT_TRUE(rf::same_content(rf::parse(rf::export_file(registry, format)).registry, registry))
            << static_cast<int>(format);
    }
    // An unpaired surrogate survives in UTF-16 files only (as hex data).
    key.set("lone", rf::kRegSz, sz(std::u16string(1, char16_t{0xD800})));
    EXPECT_TRUE(rf::same_content(rf::parse(rf::export_file(registry, rf::Format::version5)).registry, registry));
}

TEST(RegfileSetString, ChangesOnlyTheValueLine) {
    const std::string before = "REGEDIT4\r\n\r\n; settings\r\n[" + X + "]\r\n\"Lang\"=\"ENG\" ;old\r\n"
                               "\"Other\"=dword:1\r\n  # stray\r\n\r\n[" + X + "\\Y]\r\n\"Lang\"=\"keep\"\r\n";
    struct Case {
        const char* label;
        std::string key, name, text;
        std::string after;
    };
    const std::vector<Case> cases = {
        {"replace", X, "LANG", "GER",
         "REGEDIT4\r\n\r\n; settings\r\n[" + X + "]\r\n\"Lang\"=\"GER\"\r\n"
         "\"Other\"=dword:1\r\n  # stray\r\n\r\n[" + X + "\\Y]\r\n\"Lang\"=\"keep\"\r\n"},
        {"add after the last value", X, "New", "a\"b\\c",
         "REGEDIT4\r\n\r\n; settings\r\n[" + X + "]\r\n\"Lang\"=\"ENG\" ;old\r\n"
         "\"Other\"=dword:1\r\n\"New\"=\"a\\\"b\\\\c\"\r\n  # stray\r\n\r\n[" + X + "\\Y]\r\n\"Lang\"=\"keep\"\r\n"},
        {"add to the last block, default value", X + "\\y", "", "d",
         "REGEDIT4\r\n\r\n; settings\r\n[" + X + "]\r\n\"Lang\"=\"ENG\" ;old\r\n"
         "\"Other\"=dword:1\r\n  # stray\r\n\r\n[" + X + "\\Y]\r\n\"Lang\"=\"keep\"\r\n@=\"d\"\r\n"},
    };
    for (const Case& c : cases) {
        const auto edited = rf::set_string(before, c.key, c.name, c.text);
        ASSERT_TRUE(edited) << c.label;
        EXPECT_EQ(edited->file, c.after) << c.label;
        EXPECT_TRUE(rf::same_content(edited->registry, rf::parse(c.after).registry)) << c.label;
    }
}

TEST(RegfileSetString, PlacesNewLinesWhereTheyTakeEffect) {
    struct Case {
        const char* label;
        std::string before, after;
    };
    const std::string h = "REGEDIT4\n[" + X + "]\n";
    const std::vector<Case> cases = {
        {"key without values", h, h + "\"v\"=\"new\"\n"},
        {"no final line end", h + "\"a\"=\"1\"", h + "\"a\"=\"1\"\n\"v\"=\"new\""},
        {"second block of the key", h + "[" + X + "\\C]\n[" + X + "]\n\"a\"=\"1\"\n[HKEY_USERS\\Z]\n",
         h + "[" + X + "\\C]\n[" + X + "]\n\"a\"=\"1\"\n\"v\"=\"new\"\n[HKEY_USERS\\Z]\n"},
        {"after a deletion of the value", h + "\"v\"=\"1\"\n\"v\"=-\n;end\n",
         h + "\"v\"=\"1\"\n\"v\"=-\n\"v\"=\"new\"\n;end\n"},
        {"whole multi-line definition replaced", h + "\"v\"=hex:01,\\\n  02,\\\n  03\n\"w\"=\"2\"\n",
         h + "\"v\"=\"new\"\n\"w\"=\"2\"\n"},
        {"key only a parent now: new block at the end", h + "[-" + X + "]\n[" + X + "\\C]\n",
         h + "[-" + X + "]\n[" + X + "\\C]\n\n[" + X + "]\n\"v\"=\"new\"\n"},
    };
    for (const Case& c : cases) {
        const auto edited = rf::set_string(c.before, X, "v", "new");
        ASSERT_TRUE(edited) << c.label;
        EXPECT_EQ(edited->file, c.after) << c.label;
    }
}

TEST(RegfileSetString, KeepsEncodingAndReadsBack) {
    const std::string before = utf16_bytes(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]"
                                          u"\r\n\"\u00C4\"=\"\u00E4\"\r\n");
    const auto edited = rf::set_string(before, X, "n", "\xE2\x82\xAC");
    ASSERT_TRUE(edited);
    EXPECT_EQ(edited->file, before + rf::to_le_bytes(u"\"n\"=\"\u20AC\"\r\n"));
    EXPECT_EQ(read_back(edited->file, X, "\xC3\x84"), "\xC3\xA4" + std::string(1, '\0'));
    // Line breaks go in as hex data, continued on further lines in the
    // file's own encoding; every text reads back whole.
    for (const std::string text : {"two\r\nlines, long enough for the hex data to take several lines",
                                   "\xF0\x9D\x84\x9E tab\t"}) {
        for (const std::string& file : {before, std::string("REGEDIT4\n[" + X + "]\n")}) {
            const auto again = rf::set_string(file, X, "t", text);
            ASSERT_TRUE(again);
            EXPECT_EQ(read_back(again->file, X, "t"), text + '\0');
        }
    }
}

TEST(RegfileSetString, RefusesWhatItCannotWrite) {
    const std::string file = "REGEDIT4\n[" + X + "]\n\"a\"=hex:01,\\\n";
    EXPECT_FALSE(rf::set_string(file, X + "\\Missing", "v", "x")) << "key must exist";
    EXPECT_FALSE(rf::set_string(file, X, "line\nbreak", "x")) << "name on one line";
    EXPECT_FALSE(rf::set_string("regedit4\n[" + X + "]\n", X, "v", "x")) << "rejected header";
    EXPECT_FALSE(rf::set_string(file, X, "v", "x")) << "a dangling ,\\ at the end would swallow the new line";
    const auto replaced = rf::set_string(file, X, "a", "x");
    ASSERT_TRUE(replaced) << "the dangling value itself can be replaced";
    EXPECT_EQ(replaced->file, "REGEDIT4\n[" + X + "]\n\"a\"=\"x\"\n");
}

}  // namespace
