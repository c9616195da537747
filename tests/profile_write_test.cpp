// Editing profile text in place: which bytes change, and where new lines go.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "named/profile.h"
#include "platform/platform.h"
#include "support/buffer.h"
#include "support/profile_vectors.h"

namespace {

using namespace std::string_literals;
using xq::test::utf16_bytes;

struct Call {
    const char* section;
    const char* entry;
    const char* value;
};

struct Edit {
    const char* name;
    std::string before;
    std::vector<Call> calls;
    std::string after;
};

void expect_edit(const Edit& e) {
    SCOPED_TRACE(e.name);
    std::string text = e.before;
    for (const Call& c : e.calls) EXPECT_TRUE(xq::profile::put_string(text, c.section, c.entry, c.value));
    EXPECT_EQ(text, e.after);
}

std::string read(const std::string& text, const char* section, const char* entry) {
    xq::test::GuardedBuffer buffer(1024);
    xq::profile::get_string(text, section, entry, "<default>", buffer.data(), buffer.capacity());
    return buffer.text();
}

const std::string kW2 =
    "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n";
const std::string kW3 = "[App1]\r\nkey1=string1\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n";

TEST(ProfileWrite, ReferenceEdits) {
    const Edit cases[] = {
        {"W1 empty file", "", {{"SectionName", "TestKey", "TestValue"}}, "[SectionName]\r\nTestKey=TestValue\r\n"},
        {"W2 building a file",
         "",
         {{"App1", "key1", "string1"},
          {"App1", "key2", "string2"},
          {"App1", "key3", "string3"},
          {"App2", "key4", "string4"},
          {"App3", "key5", "string5"}},
         kW2},
        {"W3 deleting an entry twice", kW2, {{"App1", "key2", nullptr}, {"App1", "key2", nullptr}}, kW3},
        {"W4 deleting sections", kW3, {{"App1", nullptr, "string1"}, {"App2", nullptr, nullptr}},
         "[App3]\r\nkey5=string5\r\n"},
        {"W5 empty section kept", "[App3]\r\nkey5=string5\r\n", {{"App3", "key5", nullptr}}, "[App3]\r\n"},
        {"W6 order kept",
         "[S]\r\nb=value\r\na=value\r\n",
         {{"S", "z", ""}, {"S", "b", ""}, {"S", "y", ""}, {"S", "a", ""}},
         "[S]\r\nb=\r\na=\r\nz=\r\ny=\r\n"},
        {"W7 comment entries",
         "",
         {{"S", "z", ""}, {"S", ";y", ""}, {"S", "a", ""}, {"S", ";b", ""}, {"S", ";c", ""}},
         "[S]\r\nz=\r\na=\r\n;c=\r\n;b=\r\n;y=\r\n"},
        {"W8 comments stay",
         ";c0\r\n[S]\r\n;c1\r\nb=v\r\n;c2\r\na=v\r\n",
         {{"S", "z", ""}, {"S", ";x", ""}, {"S", "y", ""}, {"S", "a", ""}, {"S", "b", ""}},
         ";c0\r\n[S]\r\n;c1\r\nb=\r\n;c2\r\na=\r\nz=\r\ny=\r\n;x=\r\n"},
        {"W9 comments survive section deletion",
         ";comment0\r\n[S]\r\n;comment1\r\n[S2]\r\n;comment2\r\n",
         {{"S", nullptr, ""}, {"S2", nullptr, ""}},
         ";comment0\r\n;comment1\r\n;comment2\r\n"},
        {"W10 spelling kept, CR LF added", "[SectionName]\r\nTestKey=TestValue",
         {{"SECTIONNAME", "TESTKEY", "TestValue2"}}, "[SectionName]\r\nTestKey=TestValue2\r\n"},
        {"W11 value as given", "", {{"S", "K", " value "}}, "[S]\r\nK= value \r\n"},
        {"W12 names trimmed of spaces", "", {{" sec ", " key ", "v"}}, "[sec]\r\nkey=v\r\n"},
        {"W13 only spaces trimmed", "", {{"\tsec", "key", "v"}}, "[\tsec]\r\nkey=v\r\n"},
        {"W14 ;key never matches", "", {{"S", ";key", "v"}, {"S", ";key", "v"}}, "[S]\r\n;key=v\r\n;key=v\r\n"},
        {"W15 ;key not deleted", "[S]\r\n;key=v\r\n", {{"S", ";key", nullptr}}, "[S]\r\n;key=v\r\n"},
        {"W16 empty entry name", "", {{"S", "", ";comment"}}, "[S]\r\n=;comment\r\n"},
        {"W17 empty section name", "", {{"", "K", "V"}}, "[]\r\nK=V\r\n"},
        {"W18 bytes before the first section",
         "Data \0 before \0 first \0 section"s,
         {{"section1", "key1", "string1"}},
         "Data \0 before \0 first \0 section\r\n[section1]\r\nkey1=string1\r\n"s},
        {"W20 empty value", "", {{"App", "key", ""}}, "[App]\r\nkey=\r\n"},
        {"W24 before closing comments", "[s]\r\na=1\r\n;c\r\n[t]\r\n", {{"s", "n", "v"}},
         "[s]\r\na=1\r\nn=v\r\n;c\r\n[t]\r\n"},
        {"W25 untouched lines kept", "; top\r\n\r\n[s]\r\nk=1\r\n\r\n[t]\r\nx = y\r\n", {{"s", "k", "2"}},
         "; top\r\n\r\n[s]\r\nk=2\r\n\r\n[t]\r\nx = y\r\n"},
    };
    for (const Edit& e : cases) expect_edit(e);
}

TEST(ProfileWrite, LayoutChoices) {
    const Edit cases[] = {
        {"indent kept, blanks around = dropped", "[s]\r\n  k = 1 \r\nj = 2\r\n", {{"s", "K", "9"}},
         "[s]\r\n  k=9\r\nj = 2\r\n"},
        {"rewritten line ends with CR LF", "[s]\nk=1\nj=2\n", {{"s", "k", "5"}}, "[s]\nk=5\r\nj=2\n"},
        {"CR-only file", "[s]\rk=1\rj=2\r", {{"s", "j", "5"}, {"s", "n", "v"}}, "[s]\rk=1\rj=5\r\nn=v\r\n"},
        {"insert after an unterminated last line", "[s]\r\nk=1", {{"s", "n", "v"}}, "[s]\r\nk=1\r\nn=v\r\n"},
        {"insert after an unterminated header", "[s]", {{"s", "n", "v"}}, "[s]\r\nn=v\r\n"},
        {"insert before closing blank lines", "[s]\r\nk=1\r\n\r\n[t]\r\n", {{"s", "n", "v"}},
         "[s]\r\nk=1\r\nn=v\r\n\r\n[t]\r\n"},
        {"insert after a line without =", "[s]\r\nk=1\r\nname3\r\n;c\r\n", {{"s", "n", "v"}},
         "[s]\r\nk=1\r\nname3\r\nn=v\r\n;c\r\n"},
        {"section of comments only", "[s]\r\n;c\r\n[t]\r\n", {{"s", "n", "v"}}, "[s]\r\nn=v\r\n;c\r\n[t]\r\n"},
        {"first of duplicate sections", "[s]\r\na=1\r\n[s]\r\nb=1\r\n", {{"s", "b", "2"}},
         "[s]\r\na=1\r\nb=2\r\n[s]\r\nb=1\r\n"},
        {"first of duplicate entries", "[s]\r\nk=1\r\nk=2\r\n", {{"s", "k", "3"}}, "[s]\r\nk=3\r\nk=2\r\n"},
        {"new section after unterminated text", "[a]\r\nx=1", {{"b", "y", "2"}}, "[a]\r\nx=1\r\n[b]\r\ny=2\r\n"},
        {"new section after CR", "[a]\r", {{"b", "y", "2"}}, "[a]\r[b]\r\ny=2\r\n"},
        {"deleting a section keeps comments and blank lines",
         "[a]\r\nx=1\r\n[s]\r\nk=1\r\nname3\r\n\r\n;c\r\n[t]\r\n",
         {{"s", nullptr, nullptr}},
         "[a]\r\nx=1\r\n\r\n;c\r\n[t]\r\n"},
        {"deleting the last section", "[a]\r\nx=1\r\n[s]\r\nk=1", {{"s", nullptr, nullptr}}, "[a]\r\nx=1\r\n"},
        {"deleting a missing section", "[a]\r\n", {{"s", nullptr, "x"}}, "[a]\r\n"},
        {"deleting in a missing section", "[a]\r\n", {{"s", "k", nullptr}}, "[a]\r\n"},
        {"deleting an unterminated last entry", "[s]\r\nj=0\r\nk=1", {{"s", "k", nullptr}}, "[s]\r\nj=0\r\n"},
        {"; section never matches", "", {{";s", "k", "1"}, {";s", "k", "2"}}, "[;s]\r\nk=1\r\n[;s]\r\nk=2\r\n"},
        {"line breaks in the value are written", "", {{"s", "k", "a\r\nb=c"}}, "[s]\r\nk=a\r\nb=c\r\n"},
        {"NUL bytes elsewhere kept", "[s]\r\nx=\0\0\r\nk=1\r\n"s, {{"s", "k", "2"}}, "[s]\r\nx=\0\0\r\nk=2\r\n"s},
        {"same value changes nothing", "[s]\r\nk=1\r\n", {{"s", "k", "1"}}, "[s]\r\nk=1\r\n"},
    };
    for (const Edit& e : cases) expect_edit(e);
}

TEST(ProfileWrite, Utf16FilesStayUtf16) {
    const Edit cases[] = {
        {"W19 mark only", "\xFF\xFE", {{"S", "K", "V"}}, utf16_bytes(u"\r\n[S]\r\nK=V\r\n")},
        {"replace in place", utf16_bytes(u";\u00e9\r\n[s]\r\nk=1\r\n"), {{"s", "k", "22"}},
         utf16_bytes(u";\u00e9\r\n[s]\r\nk=22\r\n")},
        {"insert", utf16_bytes(u"[s]\r\nk=1\r\n;c\r\n"), {{"S", "n", "v"}},
         utf16_bytes(u"[s]\r\nk=1\r\nn=v\r\n;c\r\n")},
        {"delete section", utf16_bytes(u"[s]\r\nk=1\r\n[t]\r\n"), {{"s", nullptr, nullptr}}, utf16_bytes(u"[t]\r\n")},
    };
    for (const Edit& e : cases) expect_edit(e);

    // Narrow arguments are widened for a UTF-16 file.
    const std::string narrow = xq::os::wide_to_narrow(u"Gr\u00fc\u00dfe");
    std::string text = "\xFF\xFE";
    ASSERT_TRUE(xq::profile::put_string(text, "s", "k", narrow.c_str()));
    EXPECT_EQ(text, utf16_bytes(u"\r\n[s]\r\nk=Gr\u00fc\u00dfe\r\n"));
    EXPECT_EQ(read(text, "s", "k"), narrow);
}

TEST(ProfileWrite, RefusedCallsChangeNothing) {
    const std::string before = "[s]\r\nk=1\r\n";
    std::string text = before;
    EXPECT_FALSE(xq::profile::put_string(text, nullptr, "k", "v"));
    EXPECT_FALSE(xq::profile::put_string(text, nullptr, nullptr, nullptr));
    EXPECT_EQ(text, before);
}

// What is written reads back, whatever the file looked like before.
TEST(ProfileWrite, ValuesReadBack) {
    const std::string files[] = {
        "",
        "[s]\r\nk=old\r\n",
        "[S]\r\n  K = \"old\"  \r\n;c\r\n[t]\r\nk=other\r\n",
        "[t]\nx=1\n[s]\n;only comments\n",
        "junk without line break",
        "[s]\rk=1\r[s]\rk=2",
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        std::string text = file;
        ASSERT_TRUE(xq::profile::put_string(text, "s", "k", "new value"));
        ASSERT_TRUE(xq::profile::put_string(text, "s", "added", "'quoted'"));
        EXPECT_EQ(read(text, "s", "k"), "new value");
        EXPECT_EQ(read(text, "s", "added"), "quoted");
        ASSERT_TRUE(xq::profile::put_string(text, "s", "k", nullptr));
        EXPECT_EQ(read(text, "s", "k"), "<default>");
        ASSERT_TRUE(xq::profile::put_string(text, "s", nullptr, nullptr));
        EXPECT_EQ(read(text, "s", "added"), "<default>");
    }
}

}  // namespace
