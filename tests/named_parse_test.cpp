// Parsing of named-entry values without files: the value conventions, data
// fields and the two integer conversions.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "named/values.h"

namespace {

using namespace std::string_literals;

TEST(NamedParse, ValueConventions) {
    const struct {
        std::string raw;       // what the reader delivered
        std::string expected;  // after the conventions
    } cases[] = {
        {"abc \t", "abc"}, {"abc\r\n\v\f", "abc"}, {"a b  c ", "a b  c"},
        {" \t \t", " "},                        // the first character is never removed
        {";anything", ""}, {";", ""},    {" ;x", " ;x"},
        {"x\xA0", "x\xA0"},                     // high-bit characters are not white space
        {"ab\0cd  "s, "ab"},                    // the text ends at its first terminator
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(xq::named::value_conventions(c.raw), c.expected) << "as a view: " << c.raw;
        std::vector<char> bytes(c.raw.begin(), c.raw.end());
        bytes.push_back('\0');
        EXPECT_EQ(xq::named::apply_value_conventions({bytes.data(), c.raw.size()}), c.expected) << c.raw;
        EXPECT_EQ(std::string(bytes.data()), c.expected) << "terminated in place: " << c.raw;
    }
}

TEST(NamedParse, DataFields) {
    using V = std::vector<std::string>;
    const struct {
        const char* value;
        V fields;
    } cases[] = {
        {"a,b'c,d", V{"a", "b", "c", "d"}},   {"x'y,z", V{"x'y", "z"}},       {",,lead,,trail,,", V{"lead", "trail"}},
        {"'q','r'", V{"'q'", "r"}},           {"a,''',b", V{"a", "b"}},       {" a , b ", V{" a ", " b "}},
        {"", V{}},                            {",,,", V{}},
    };
    for (const auto& c : cases) {
        V got;
        for (int i = 1; auto f = xq::named::field_at(c.value, i); ++i) got.emplace_back(f->text);
        EXPECT_EQ(got, c.fields) << c.value;
        EXPECT_FALSE(xq::named::field_at(c.value, 0));
    }
}

TEST(NamedParse, WordWalkFindsWhatWordAtFinds) {
    // Orders that go forward, repeat, skip and go back.
    const std::vector<std::vector<int>> orders = {{1, 2, 3, 4}, {2, 2, 5, 1, 3}, {4, 1, 0, 9, 2}, {3, -1, 3, 2}};
    for (const char* value : {"a b  c\td", " \r\nlead trail\n", "one", "", "\v1 \f2\t 3 4 5"}) {
        for (const auto& order : orders) {
            xq::named::WordWalk walk(value);
            for (const int index : order) {
                const auto expected = xq::named::word_at(value, index);
                EXPECT_EQ(walk.word(index), expected ? expected->text : "") << value << " word " << index;
            }
        }
    }
}

TEST(NamedParse, CellsReadLikePercentI) {
    const struct {
        const char* text;
        std::optional<int32_t> value;
    } cases[] = {
        {"0x10", 16},      {"0X1f", 31},           {"010", 8},          {"-7", -7},          {"+5", 5},
        {"12abc", 12},     {"abc", std::nullopt},  {"", std::nullopt},  {"-", std::nullopt}, {"08", 0},
        {"0x", 0},         {"0xg", 0},             {"-0x1F", -31},      {"\v 42", 42},       {"4294967295", -1},
        {"4294967296", 0}, {"0x123456789", 0x23456789},                 {"-2147483648", INT32_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(xq::named::scan_cell(c.text), c.value) << c.text;
}

TEST(NamedParse, DecimalReadsLikeAtoiAndClamps) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {" \t+8", 8},      {"0x10", 0},           {"010", 10},          {"12abc", 12},          {"+-3", 0},
        {"", 0},           {"2147483648", INT32_MAX},                   {"99999999999999999999", INT32_MAX},
        {"-2147483648", INT32_MIN},               {"-2147483649", INT32_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(xq::named::scan_decimal(c.text), c.value) << c.text;
}

}  // namespace
