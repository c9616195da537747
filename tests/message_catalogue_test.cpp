// The message catalogue against its data files: every text of the library's
// own table and of the German module arrives through SetError byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/regfile/regfile.h"
#include "status/catalogue.h"
#include "support/file_bytes.h"
#include "support/reset.h"
#include "support/test_registry.h"
#include "xq_utils.h"

namespace {

using xq::resources::MessageText;

// A data file of src/resources (reached from the examples directory, which
// sits beside it).
std::vector<MessageText> data_file(const char* name) {
    auto messages = xq::resources::parse_messages(xq::test::read_bytes(std::string(XQ_RESOURCES_DIR) + "/" + name));
    EXPECT_TRUE(messages.has_value() && !messages->empty()) << name;
    return messages.value_or(std::vector<MessageText>{});
}

// The text of `code` with no inserts: the template as the catalogue holds it.
std::string template_of(int32_t code) {
    int32_t flag = 0;
    StatusRecord record{};
    SetError(&flag, 0, 3, code, nullptr, nullptr, nullptr, &record);
    const std::string all(record.Text, sizeof record.Text);
    return all.substr(0, all.find('\0'));
}

// The placeholders of a text, in order: every "%" and the character after it.
std::string placeholders(const std::string& text) {
    std::string out;
    for (std::size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 2)) {
        out += text.substr(at, 2);
    }
    return out;
}

class Catalogue : public ::testing::Test {
protected:
    void SetUp() override {
        xq::test::reset_library_state();
        xq::test::registry_install("4.1", {{"Lang", "ENG"}});
    }
    void TearDown() override { xq::test::reset_library_state(); }
};

TEST_F(Catalogue, DataFilesAgreeOnCodesAndPlaceholders) {
    const auto english = data_file("messages.txt");
    const auto german = data_file("messages_GER.txt");
    ASSERT_EQ(english.size(), 82u);
    ASSERT_EQ(german.size(), english.size());
    for (std::size_t i = 0; i < english.size(); ++i) {
        EXPECT_EQ(german[i].code, english[i].code);
        EXPECT_EQ(placeholders(german[i].text), placeholders(english[i].text)) << english[i].code;
        EXPECT_LE(english[i].text.size(), 260u);
        EXPECT_LE(german[i].text.size(), 260u);
    }
    EXPECT_EQ(english.back().code, 60000);
}

TEST_F(Catalogue, EveryOwnTextArrivesUnchanged) {
    for (const auto& message : data_file("messages.txt")) EXPECT_EQ(template_of(message.code), message.text);
}

TEST_F(Catalogue, EveryGermanTextArrivesInThe8BitCharacterSet) {
    xq::test::registry_install("4.1", {{"Lang", "GER"}});
    for (const auto& message : data_file("messages_GER.txt")) {
        const std::string expected = xq::os::wide_to_narrow(xq::regfile::utf8_to_utf16(message.text));
        EXPECT_EQ(template_of(message.code), expected) << message.code;
    }
    EXPECT_EQ(template_of(1), xq::os::wide_to_narrow(u"Nicht gen\u00fcgend Arbeitsspeicher."));
}

TEST_F(Catalogue, TextsKeepTheirDoubledBlanksAndSpellings) {
    EXPECT_EQ(template_of(3), "Component %s was not yet  open.");
    EXPECT_EQ(template_of(35),
              "The number of holes of the revolving nosepiece of the stand and the selection done within the the "
              "configuration  program do not match.");
    EXPECT_EQ(template_of(36), "Could not  write data into file %s.");
    EXPECT_EQ(template_of(512), "Port of PC could not be set to  required values.");
    EXPECT_EQ(template_of(516), "Device %s does not understande baud rate %s.");
    EXPECT_EQ(template_of(60000), "No error text found.");
}

}  // namespace
