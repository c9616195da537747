// SetError and the message catalogue: the record, inserts, the 261-byte
// text, the language module and its fallbacks, the message file format and
// the message modules as every platform loads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/regfile/regfile.h"
#include "status/catalogue.h"
#include "support/buffer.h"
#include "support/file_bytes.h"
#include "support/reset.h"
#include "support/test_registry.h"
#include "xq_utils.h"

namespace {

using xq::os::Op;
constexpr std::size_t kTextSize = sizeof(StatusRecord::Text);

// A German text as it arrives through the 8-bit interface.
std::string narrow(const std::string& utf8) { return xq::os::wide_to_narrow(xq::regfile::utf8_to_utf16(utf8)); }

// SetError's whole text (all 261 bytes, zeros cut from the end) after checking
// the flag, the stored origin, class and code, and the memory behind the record.
std::string report(int32_t code, const char* i1 = nullptr, const char* i2 = nullptr, const char* i3 = nullptr) {
    int32_t flag = 0;
    xq::test::GuardedBuffer memory(sizeof(StatusRecord));
    auto* record = new (memory.data()) StatusRecord;
    EXPECT_EQ(SetError(&flag, 7, 3, code, i1, i2, i3, record), 1);
    EXPECT_TRUE(flag == 1 && record->Origin == 7 && record->ErrorClass == 3 && record->ErrorCode == code) << code;
    EXPECT_TRUE(memory.guards_intact()) << "written past the record";
    const std::string text(record->Text, kTextSize);
    const std::size_t end = text.find('\0');
    EXPECT_EQ(text.substr(end), std::string(kTextSize - end, '\0')) << "zero after the text";
    return text.substr(0, end);
}

class Status : public ::testing::Test {
protected:
    void SetUp() override { xq::test::reset_library_state(), xq::test::registry_install("4.1", {{"Lang", "ENG"}}); }
    void TearDown() override { xq::os::fault_disarm(), xq::test::reset_library_state(); }
};

// Inserts up to the last non-null one are used, a null one reads as empty, a
// text is cut to 260 bytes and an insert is read only as far as the text fits.
// Codes outside 0 ... 65535 have no text, even when their low 16 bits have one.
TEST_F(Status, InsertsUpToTheLastNonNullOneTextCutTo260) {
    const std::string a300(300, 'a');
    const std::vector<char> unterminated(kTextSize - 1, 'b');
    const std::tuple<int32_t, const char*, const char*, const char*, std::string> rows[] = {
        {13, nullptr, nullptr, nullptr, "Could not find entry %s in section %s of file %s."},
        {13, "E", "S", "F", "Could not find entry E in section S of file F."},
        {13, nullptr, nullptr, "F", "Could not find entry  in section  of file F."},
        {0, "unused", "unused", "unused", "There was no error detected."},
        {18, "100%s %% %d", nullptr, nullptr, "File 100%s %% %d could not be found."},
        {13, a300.c_str(), unterminated.data(), nullptr, "Could not find entry " + std::string(239, 'a')},
        {5, unterminated.data(), nullptr, nullptr, std::string(260, 'b')},
        {34, "x", nullptr, nullptr, "No error text found."}, {65536 + 18, "x", nullptr, nullptr, "No error text found."},
        {-65536 + 18, "x", nullptr, nullptr, "No error text found."}};
    for (const auto& [code, i1, i2, i3, text] : rows) EXPECT_EQ(report(code, i1, i2, i3), text) << code;
    // Without a flag or without a record the rest is still done.
    StatusRecord record;
    int32_t flag = 0;
    EXPECT_EQ(SetError(nullptr, 2, 3, 18, "f", nullptr, nullptr, &record) +
              SetError(&flag, 2, 3, 18, "f", nullptr, nullptr, nullptr), 2);
    EXPECT_EQ(record.Text + std::to_string(flag), "File f could not be found.1");
}

// "%s" takes the next insert (none left: empty), "%%" is "%", any other "%" stays.
TEST(MessageFormat, PlaceholdersAndPercentSigns) {
    const std::array<std::string_view, 2> two = {"X", "Y"};
    const std::tuple<const char*, std::size_t, std::string> rows[] = {
        {"a%sb%sc%s", 2, "aXbYc"}, {"%s", 0, ""}, {"100%% %%s %d %s %S%ls end%", 2, "100% %s %d X %S%ls end%"}};
    for (const auto& [pattern, inserts, text] : rows) {
        std::string out(32, 'z');
        EXPECT_EQ(xq::status::format_message(pattern, std::span(two.data(), inserts), out), text.size());
        EXPECT_EQ(out, text + std::string(32 - text.size(), '\0')) << pattern;
    }
    EXPECT_EQ(xq::status::format_message("x", two, std::span<char>()), 0u);
}

// Module names compare without regard to case; a language without a module
// gives the library's own texts; each report reads the language anew. A
// module that does not load, or holds no text, falls back step by step.
TEST_F(Status, LanguageChoosesTheModuleFaultsFallBackStepByStep) {
    const std::string english = "File f could not be found.", german = narrow("Die Datei f wurde nicht gefunden.");
    const struct { const char* lang; xq::os::FaultPlan fault; int32_t code; std::string text; } rows[] = {
        {"ger", {}, 18, german},     {"GERM", {}, 18, english},     {"GE", {}, 18, english},  {"", {}, 18, english},
        {"GER", {Op::module_load, 1, false}, 15, "Turret mismatch."}, {"GER", {Op::module_load, 1, true}, 15, ""},
        {"GER", {Op::module_string, 1, false}, 15, narrow("Kein Fehlertext gefunden.")},
        {"GER", {Op::module_string, 1, true}, 15, ""},
    };
    for (const auto& r : rows) {
        xq::test::registry_install("4.1", {{"Lang", r.lang}});
        xq::os::fault_arm(r.fault);
        EXPECT_EQ(report(r.code, "f"), r.text) << r.lang << " " << r.code;
    }
    xq::os::fault_disarm();
    xq::test::registry_clear();
    EXPECT_EQ(report(18, "f"), english);
}

// Every text of the data files arrives through SetError byte for byte, the
// German ones in the 8-bit character set; both files agree on codes and on the
// number of placeholders.
TEST_F(Status, EveryCatalogueTextArrivesUnchanged) {
    const auto parse = [](const char* name) {
        return xq::resources::parse_messages(xq::test::read_bytes(std::string(XQ_RESOURCES_DIR) + "/" + name)).value();
    };
    const auto english = parse("messages.txt"), german = parse("messages_GER.txt");
    ASSERT_EQ(std::make_pair(english.size(), german.size()), std::make_pair(std::size_t{82}, std::size_t{82}));
    for (std::size_t i = 0; i < english.size(); ++i) {
        EXPECT_EQ(german[i].code, english[i].code);
        EXPECT_EQ(std::ranges::count(german[i].text, '%'), std::ranges::count(english[i].text, '%')) << german[i].code;
        EXPECT_EQ(report(english[i].code), english[i].text);
    }
    xq::test::registry_install("4.1", {{"Lang", "GER"}});
    for (const auto& m : german) EXPECT_EQ(report(m.code), narrow(m.text)) << m.code;
    EXPECT_EQ(report(1), xq::os::wide_to_narrow(u"Nicht gen\u00fcgend Arbeitsspeicher."));
}

TEST(MessageFile, ParsesCodesTextsAndEscapesRefusesMalformedLines) {
    const auto messages = xq::resources::parse_messages(
        "# comment\n\n18\tFile %s.\r\n7\ta\\\\b\\tc\\nd\n00009\t\n65535\tlast # not a comment\n60000\tno final LF");
    ASSERT_TRUE(messages.has_value());
    std::string all;
    for (const auto& m : *messages) all += std::to_string(m.code) + "=" + m.text + "|";
    EXPECT_EQ(all, "7=a\\b\tc\nd|9=|18=File %s.|60000=no final LF|65535=last # not a comment|");
    EXPECT_EQ(xq::resources::find_message(*messages, 8), nullptr);
    EXPECT_EQ(xq::resources::find_message(*messages, 9), &(*messages)[1]);
    for (const std::string bytes : {"18 no tab", "\tno code", "65536\ttoo big", "000009\tsix digits", "-1\tsigned",
                                    "1a\tletters", "1\tbad \\x escape", "1\tlone \\", "1\ta\n1\trepeated",
                                    "1\tok\n \n", "1\ta\rb", "1\ta\r\r\n"})
        EXPECT_FALSE(xq::resources::parse_messages(bytes)) << bytes;
    EXPECT_FALSE(xq::resources::parse_messages(std::string("1\ta\0b", 5)));
    EXPECT_TRUE(xq::resources::parse_module(std::string(xq::resources::kModuleMagic) + "\r\n1\ta\r\n"));
    for (const std::string bytes : {"1\ta\n", "", "XQ_UTILS MESSAGES 2\n1\ta\n", "# XQ_UTILS MESSAGES 1\n"})
        EXPECT_FALSE(xq::resources::parse_module(bytes)) << bytes;
}

// The library's own catalogue and the German module, found by name in any
// case; strings cut to the buffer; string numbers 16 bits wide.
TEST(Modules, FoundByNameStringsCutToTheBuffer) {
    const auto string_of = [](const char* name, unsigned id, std::size_t capacity = 261) {
        const std::unique_ptr<xq::os::Module, void (*)(xq::os::Module*)> module(xq::os::module_load(name),
                                                                                xq::os::module_free);
        if (name != nullptr && module == nullptr) return std::string("<not loaded>");
        std::string out(capacity + 1, 'z');  // one sentinel byte past the capacity
        const std::size_t length = xq::os::module_string(module.get(), id, std::span(out.data(), capacity));
        EXPECT_EQ(std::string() + out[length] + out[capacity], std::string(1, '\0') + "z") << "terminated within";
        return out.substr(0, length);
    };
    const std::tuple<const char*, unsigned, std::size_t, std::string> rows[] = {
        {"XQ_UTILS.DLL", 18, 261, "File %s could not be found."}, {"xq_utGER.DLL", 34, 261, ""},
        {"xq_utils.dll", 18, 5, "File"},  {"xq_utils.dll", 18, 1, ""},     {"xq_utils.dll", 65536 + 18, 261, ""},
        {nullptr, 18, 261, ""},           {"xq_utZZZ.DLL", 18, 261, "<not loaded>"}, {"", 18, 261, "<not loaded>"},
        {"xq_utils.dl", 18, 261, "<not loaded>"}};
    for (const auto& [name, id, capacity, text] : rows) EXPECT_EQ(string_of(name, id, capacity), text) << name << id;
#ifndef _WIN32
    // On Linux a module is a message file beside the library (here: beside the
    // test program, which has it linked in), named by its name alone in any
    // case, well formed and not too large. Each lookup closes the directory it lists.
    namespace fs = std::filesystem;
    const auto descriptors = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); };
    const auto open_before = descriptors();
    const fs::path beside = fs::read_symlink("/proc/self/exe").parent_path();
    const std::string magic = std::string(xq::resources::kModuleMagic) + "\n";
    const std::tuple<std::string, std::string, std::string, unsigned, std::string> files[] = {  // "": a directory
        {"xq_utA", magic + "65535\tlast\n", "XQ_UTA", 65535, "last"},
        {"xq_utC", magic + "18\tx\n", "../bin/xq_utC", 18, "<not loaded>"},  // a name, not a path
        {"xq_utE", magic + "18\tx\nnonsense\n", "xq_utE", 18, "<not loaded>"},
        {"xq_utF", magic + std::string(std::size_t{1} << 20, '\n'), "xq_utF", 18, "<not loaded>"},
        {"xq_utG", "", "xq_utG", 18, "<not loaded>"}};
    for (const auto& [file, bytes, name, id, text] : files) {
        bytes.empty() ? void(fs::create_directory(beside / file)) : xq::test::write_bytes((beside / file).string(), bytes);
        EXPECT_EQ(string_of(name.c_str(), id), text) << name;
        fs::remove(beside / file);
    }
    EXPECT_EQ(descriptors(), open_before);
#endif
}

}  // namespace
