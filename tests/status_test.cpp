// SetError: the record's fields, the choice of language module and its
// fallbacks, formatting with inserts, and the bounds of the 261-byte text.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "status/catalogue.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/regfile/regfile.h"
#include "support/buffer.h"
#include "support/reset.h"
#include "support/test_registry.h"
#include "xq_utils.h"

namespace {

using xq::os::Op;
using xq::test::GuardedBuffer;

constexpr std::size_t kTextSize = sizeof(StatusRecord::Text);
constexpr const char* kNoText = "No error text found.";

// A German text as it arrives through the 8-bit interface.
std::string narrow(const char* utf8) { return xq::os::wide_to_narrow(xq::regfile::utf8_to_utf16(utf8)); }

struct Report {
    int32_t flag = 0;
    StatusRecord record{};
    std::string text() const {
        const std::string all(record.Text, kTextSize);
        return all.substr(0, all.find('\0'));
    }
};

Report report(int32_t code, const char* insert1 = nullptr, const char* insert2 = nullptr,
              const char* insert3 = nullptr) {
    Report r;
    std::memset(&r.record, 'x', sizeof r.record);
    EXPECT_EQ(SetError(&r.flag, 7, 3, code, insert1, insert2, insert3, &r.record), 1);
    // Every report sets the flag and keeps origin, class and code as given.
    EXPECT_EQ(r.flag, 1);
    EXPECT_EQ(r.record.Origin, 7);
    EXPECT_EQ(r.record.ErrorClass, 3);
    EXPECT_EQ(r.record.ErrorCode, code);
    return r;
}

class StatusTest : public ::testing::Test {
protected:
    void SetUp() override {
        xq::test::reset_library_state();
        xq::test::registry_clear();
    }
    void TearDown() override { xq::test::reset_library_state(); }

    static void language(const char* lang) { xq::test::registry_install("4.1", {{"Lang", lang}}); }
};

TEST_F(StatusTest, CodesWithoutTextGiveTheFallbackAndKeepTheirCode) {
    // 65554 and -65518 share their low 16 bits with code 18: they still have no text.
    for (int32_t code : {34, 522, 805, 60001, 65535, 65536 + 18, -1, -65536 + 18}) {
        const Report r = report(code, "ignored");
        EXPECT_EQ(r.text(), kNoText) << code;
    }
}

TEST_F(StatusTest, InsertsCountUpToTheLastNonNullOne) {
    struct Case {
        int32_t code;
        const char* inserts[3];
        const char* text;
    } cases[] = {
        {13, {nullptr, nullptr, nullptr}, "Could not find entry %s in section %s of file %s."},  // verbatim
        {13, {"E", "S", "F"}, "Could not find entry E in section S of file F."},
        {18, {"C:\\scope\\qel.ini", nullptr, nullptr}, "File C:\\scope\\qel.ini could not be found."},
        {13, {"E", nullptr, "F"}, "Could not find entry E in section  of file F."},  // null reads as empty
        {13, {"E", nullptr, nullptr}, "Could not find entry E in section  of file ."},  // missing reads as empty
        {13, {nullptr, nullptr, "F"}, "Could not find entry  in section  of file F."},
        {18, {nullptr, "unused", nullptr}, "File  could not be found."},
        {0, {"unused", "unused", "unused"}, "There was no error detected."},
        {18, {"100%s %% %d", nullptr, nullptr}, "File 100%s %% %d could not be found."},  // inserts are not formats
    };
    for (const auto& c : cases) {
        const std::string text = c.text;
        const Report r = report(c.code, c.inserts[0], c.inserts[1], c.inserts[2]);
        EXPECT_EQ(std::string(r.record.Text, kTextSize), text + std::string(kTextSize - text.size(), '\0'));
    }
}

TEST_F(StatusTest, TextIsCutTo260CharactersAndNothingPastTheRecordIsTouched) {
    GuardedBuffer memory(sizeof(StatusRecord));
    auto* record = new (memory.data()) StatusRecord;
    // An insert of 300 characters and one of 260 without a terminator: only
    // as much is read as the text can take.
    const std::string long_insert(300, 'a');
    const std::vector<char> unterminated(kTextSize - 1, 'b');
    int32_t flag = 0;
    SetError(&flag, 1, 3, 13, long_insert.c_str(), unterminated.data(), nullptr, record);
    EXPECT_EQ(std::string(record->Text, kTextSize), "Could not find entry " + std::string(260 - 21, 'a') + '\0');
    EXPECT_TRUE(memory.guards_intact());

    SetError(&flag, 1, 3, 3, unterminated.data(), nullptr, nullptr, record);
    EXPECT_EQ(std::string(record->Text, kTextSize), "Component " + std::string(250, 'b') + '\0');
    EXPECT_TRUE(memory.guards_intact());
}

TEST_F(StatusTest, NullFlagOrRecordIsSkipped) {
    StatusRecord record{};
    EXPECT_EQ(SetError(nullptr, 2, 3, 18, "f", nullptr, nullptr, &record), 1);
    EXPECT_EQ(record.ErrorCode, 18);
    EXPECT_STREQ(record.Text, "File f could not be found.");
    int32_t flag = 0;
    EXPECT_EQ(SetError(&flag, 2, 3, 18, "f", nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(SetError(nullptr, 2, 3, 18, nullptr, nullptr, nullptr, nullptr), 1);
}

TEST_F(StatusTest, LanguageChoosesTheModule) {
    const std::string english = "File f could not be found.";
    const std::string german = narrow("Die Datei f wurde nicht gefunden.");
    struct Case {
        const char* lang;
        const std::string& text;
    } cases[] = {
        {"GER", german},   {"ger", german},  // module names compare without regard to case
        {"ENG", english},  {"FRA", english},  // no such module: the library's own texts
        {"GERM", english}, {"GERMAN", english}, {"GE", english}, {"", english}, {"None", english},
    };
    for (const auto& c : cases) {
        language(c.lang);
        EXPECT_EQ(report(18, "f").text(), c.text) << c.lang;
    }
    xq::test::registry_clear();
    EXPECT_EQ(report(18, "f").text(), english) << "no language set";
}

TEST_F(StatusTest, ALanguageChangeTakesEffectAtTheNextReport) {
    const std::string english = "Turret mismatch.";
    const std::string german = narrow("Der Revolver passt nicht.");
    language("ENG");
    EXPECT_EQ(report(15).text(), english);
    SetVortaLang("GER");
    EXPECT_EQ(report(15).text(), german);
    ASSERT_EQ(VOKSDKChangeLang("ENG"), 1);
    EXPECT_EQ(report(15).text(), english) << "the override wins over the registry";
    ASSERT_EQ(VOKSDKChangeLang("GER"), 1);
    EXPECT_EQ(report(15).text(), german);
}

TEST_F(StatusTest, ModuleFaultsFallBackStepByStep) {
    language("GER");
    struct Case {
        const char* label;
        xq::os::FaultPlan plan;
        std::string text;
    } cases[] = {
        {"language module fails", {Op::module_load, 1, false}, "Turret mismatch."},
        {"both modules fail", {Op::module_load, 1, true}, ""},
        {"string fails", {Op::module_string, 1, false}, narrow("Kein Fehlertext gefunden.")},
        {"both strings fail", {Op::module_string, 1, true}, ""},
    };
    for (const auto& c : cases) {
        xq::os::fault_arm(c.plan);
        const Report r = report(15);
        xq::os::fault_disarm();
        EXPECT_EQ(r.text(), c.text) << c.label;
        EXPECT_EQ(r.flag, 1) << c.label;
        EXPECT_EQ(r.record.ErrorCode, 15) << c.label;
        EXPECT_EQ(std::string(r.record.Text, kTextSize), c.text + std::string(kTextSize - c.text.size(), '\0'));
    }
}

TEST(MessageFormat, PlaceholdersAndPercentSigns) {
    const std::array<std::string_view, 2> two = {"X", "Y"};
    struct Case {
        const char* pattern;
        std::size_t inserts;
        const char* text;
    } cases[] = {
        {"a%sb%sc", 2, "aXbYc"},  {"%s%s%s", 2, "XY"},      {"%s", 0, ""},          {"100%%", 2, "100%"},
        {"%%s", 2, "%s"},         {"%d and %s", 2, "%d and X"}, {"end%", 2, "end%"}, {"%", 2, "%"},
        {"%S%ls", 2, "%S%ls"},    {"no placeholder", 2, "no placeholder"},
    };
    for (const auto& c : cases) {
        std::array<char, 32> out{};
        out.fill('z');
        const std::size_t length = xq::status::format_message(c.pattern, std::span(two.data(), c.inserts), out);
        EXPECT_EQ(std::string(out.data(), length), c.text) << c.pattern;
        EXPECT_EQ(std::string(out.data() + length, out.size() - length), std::string(out.size() - length, '\0'));
    }
    EXPECT_EQ(xq::status::format_message("x", two, std::span<char>()), 0u) << "no room, nothing written";
}

}  // namespace
