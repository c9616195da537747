// Named-entry lookups on LF and CR LF files (values, integers, words, table
// cells, indirect references, data fields), and the value, word, field and
// integer parsing under them. Failing OS operations: see the fault sweep.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "named/values.h"
#include "support/buffer.h"
#include "support/temp_dir.h"
#include "xq_utils.h"

namespace {

using namespace std::string_literals;
using xq::test::GuardedBuffer;
using xq::test::LineEnd;
using Buffer = std::optional<std::string>;  // a 16-byte buffer's text; nullopt: untouched

const std::string kUntouched(16, GuardedBuffer::kFill);
constexpr int32_t kOrigin = 4711;

std::string run(std::size_t n, char c = 'N') { return std::string(n, c); }
// The buffer's 16 bytes: untouched, or `text` and its terminator over the fill.
std::string raw16(const Buffer& text) { return text ? (*text + '\0' + kUntouched).substr(0, 16) : kUntouched; }

class NamedLookupTest : public ::testing::TestWithParam<LineEnd> {
protected:
    void SetUp() override {
        const std::string first =
            "; settings\n[Main]\nPlain=hello world\nPadded=\"abc \t\"\nFormFeed=abc\f\nBlanks=\" \t \"\n"
            "Comment=;anything   \nEmpty=\nNumber=  -17\nHex=0x10\nHuge=5000000000\nList=mm  um\tnm\n"
            "Long=abcdef\nVerticalTab=a\vb c\nRow=a,b'c,d\nQuote=x'y,z\nRuns=,,'q',,'r,,\nBig=" + run(300, 'h') +
            "\n\n[Table]\nPos12=5 0x10 010 -7 12abc abc 0X1f +5 - 08 0x 0xg -0x1F \v42 4294967295 4294967296 0x123456789 "
            "-2147483648 0xF 0x1:\nPos-3=9\nPos-2147483648=11\nFactor=3 4\n" +
            run(37) + "=36\n" + run(37) + "12=37\n" + run(38) + "12=38\n" + run(39) + "=39\n" + run(40) + "=40\n"
            "[Refs]\nObj=Stand Type extra\nDangling=Stand Missing\nSingle=Stand\nComment=;Stand Type\n";
        file_ = dir_.write("first.ini", xq::test::with_line_ends(first, GetParam()));
        second_ = dir_.write("second.ini", xq::test::with_line_ends("[Stand]\nType=Upright Model X\n", GetParam()));
        missing_ = dir_.file("missing.ini");
    }
    const char* file() const { return file_.c_str(); }

    xq::test::TempDirectory dir_;
    std::string file_, second_, missing_;
};

// A value is cut to capacity - 1, then loses trailing white space; ";" and
// no value read as nothing. A file that cannot be opened leaves the buffer alone (and ExistFile says so).
TEST_P(NamedLookupTest, GetNamedStringAndIntApplyTheValueConventions) {
    const struct { const char* section; const char* entry; uint32_t capacity; bool found; Buffer raw; } cases[] = {
        {"Main", "Plain", 16, true, "hello world"}, {"main", "PLAIN", 16, true, "hello world"},
        {"Main", "Plain", 6, true, "hello"}, {"Main", "Plain", 7, true, "hello\0"s}, {"Main", "Plain", 1, false, ""},
        {"Main", "Padded", 16, true, "abc\0\0"s}, {"Main", "FormFeed", 16, true, "abc\0"s},
        {"Main", "Blanks", 16, true, " \0\0"s}, {"Main", "Comment", 16, true, "\0anything"s},
        {"Main", "Empty", 16, false, ""}, {"Main", "Missing", 16, false, ""}, {"Nowhere", "Plain", 16, false, ""},
        {"Main", "Plain", 0, false, std::nullopt}, {nullptr, "Plain", 16, false, std::nullopt},
        {"Main", nullptr, 16, false, std::nullopt},
    };
    for (const auto& c : cases) {
        GuardedBuffer buffer(16);
        EXPECT_EQ(GetNamedString(c.section, c.entry, buffer.data(), c.capacity, file()), c.found ? buffer.data() : nullptr)
            << c.entry << " " << c.capacity;
        EXPECT_EQ(buffer.raw(), raw16(c.raw)) << c.entry << " " << c.capacity;
        EXPECT_TRUE(buffer.guards_intact());
    }
    GuardedBuffer buffer(16);
    EXPECT_FALSE(GetNamedString("Main", "Plain", buffer.data(), 16, missing_.c_str()) ||
                 GetNamedString("Main", "Plain", buffer.data(), 16, nullptr) ||
                 GetNamedString("Main", "Plain", nullptr, 16, file()) ||
                 GetNamedSubstringString("Main", "List", 1, nullptr, 16, file()));  // no destination
    EXPECT_EQ(buffer.raw(), kUntouched);
    EXPECT_EQ((std::vector{ExistFile(file()), ExistFile(missing_.c_str()), ExistFile(nullptr)}), (std::vector{1, 0, 0}));
    const std::pair<const char*, int32_t> ints[] = {
        {"Number", -17}, {"Hex", 0}, {"Huge", INT32_MAX}, {"Comment", 0}, {"Plain", 0}, {"Missing", 0}};
    for (const auto& [entry, value] : ints) EXPECT_EQ(GetNamedInt("Main", entry, file()), value) << entry;
}

TEST_P(NamedLookupTest, WordsByNumberAndByText) {
    const struct { const char* entry; int32_t index; uint32_t capacity; std::string raw; } cases[] = {
        // raw: the destination's bytes; "": the call fails and leaves it alone
        {"List", 2, 4, "um\0\0"s}, {"List", 3, 3, "nm\0"s}, {"List", 4, 8, ""}, {"List", 0, 8, ""},
        {"List", INT_MIN, 8, ""}, {"VerticalTab", 1, 4, "a\vb\0"s}, {"Long", 1, 1, "\0"s}, {"Long", 1, 4, "abc\0"s},
        {"Long", 1, 7, "abcdef\0"s}, {"Comment", 1, 8, ""}, {"Empty", 1, 8, ""}, {"List", 1, 0, ""},
    };
    for (const auto& c : cases) {
        GuardedBuffer buffer(16);
        const char* result = GetNamedSubstringString("Main", c.entry, c.index, buffer.data(), c.capacity, file());
        EXPECT_EQ(result, c.raw.empty() ? nullptr : buffer.data()) << c.entry << " " << c.index;
        EXPECT_EQ(buffer.raw(), c.raw + kUntouched.substr(c.raw.size())) << c.entry << " " << c.index << " " << c.capacity;
    }
    const struct { const char* entry; const char* text; int32_t index; } finds[] = {
        {"List", "nm", 3}, {"List", "NM", 0}, {"List", "m", 0}, {"List", "", 0}, {"List", nullptr, 0},
        {"Comment", ";anything", 0}, {"VerticalTab", "c", 2}};
    for (const auto& c : finds)
        EXPECT_EQ(GetNamedSubstringIndex("Main", c.entry, c.text, file()), c.index) << (c.text ? c.text : "null");
}

// "%Name" with an index names Name<index>, up to 39 characters (else 0, and
// never the name cut short).
// Cells read like scanf's "%i" and keep the low 32 bits; 0 when unreadable.
TEST_P(NamedLookupTest, ArrayCellsReadLikePercentI) {
    const int32_t cells[] = {0, 5, 16, 8, -7, 12, 0, 31, 5, 0, 0, 0, 0, -31, 42, -1, 0, 0x23456789, INT32_MIN, 15, 1, 0};
    for (int32_t column = 0; column < static_cast<int32_t>(std::size(cells)); ++column)
        EXPECT_EQ(GetNamedArrayElement("Table", "%Pos", 12, column, file()), cells[column]) << column;
    const std::string fits = "%" + run(37), too_long = "%" + run(38), plain = run(39), plain_long = run(40);
    const struct { const char* entry; int32_t array_index, column, value; } cases[] = {
        {"%Pos", 7, 1, 0}, {"%Pos", -3, 1, 9}, {"%Pos", INT32_MIN, 1, 11}, {"Factor", 99, 2, 4}, {"%", 0, 1, 0},
        {nullptr, 12, 1, 0}, {fits.c_str(), 12, 1, 37}, {fits.c_str(), 123, 1, 0}, {too_long.c_str(), 12, 1, 0}, {plain.c_str(), 0, 1, 39},
        {plain_long.c_str(), 0, 1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetNamedArrayElement("Table", c.entry, c.array_index, c.column, file()), c.value)
            << (c.entry ? c.entry : "null") << "[" << c.array_index << "] column " << c.column;
}

// A word of n characters needs a capacity of n + 2. When the second step
// fails, the first pair stays.
TEST_P(NamedLookupTest, IndirectReferencesNeedRoomForTwoMore) {
    const char *second = second_.c_str(), *missing = missing_.c_str();
    const auto none = std::nullopt;
    const struct { const char* entry; const char* second_file; uint32_t capacities[2]; int32_t result; Buffer a, b; }
    cases[] = {
        {"Obj", nullptr, {7, 6}, 1, "Stand", "Type"}, {"Obj", nullptr, {6, 16}, 0, none, none},
        {"Obj", nullptr, {16, 5}, 0, none, none}, {"Obj", second, {7, 9}, 1, "Stand", "Upright"},
        {"Obj", second, {7, 8}, 0, "Stand", "Type"}, {"Obj", missing, {16, 16}, 0, "Stand", "Type"},
        {"Dangling", second, {16, 16}, 0, "Stand", "Missing"}, {"Single", nullptr, {16, 16}, 0, none, none},
        {"Comment", nullptr, {16, 16}, 0, none, none},
    };
    for (const auto& c : cases) {
        GuardedBuffer a(16), b(16);
        EXPECT_EQ(GetNamedStringIndirect("Refs", c.entry, file(), c.second_file, a.data(), c.capacities[0], b.data(),
                                         c.capacities[1]), c.result) << c.entry << " " << c.capacities[0];
        EXPECT_EQ(a.raw() + b.raw(), raw16(c.a) + raw16(c.b)) << c.entry;
    }
    char a[16];
    EXPECT_EQ(GetNamedStringIndirect("Refs", "Obj", file(), nullptr, a, 16, nullptr, 16) +
              GetNamedStringIndirect("Refs", "Obj", file(), nullptr, nullptr, 16, a, 16), 0);
}

// Field 1 ends at a comma, later fields at a comma or an apostrophe, runs
// of them make no empty fields; cut to capacity - 1 and zero-filled; a
// failure empties the destination first and reports class 3, code 13 or 18.
TEST_P(NamedLookupTest, DataFieldsAndReports) {
    enum Where { here, missing, none };  // the file read: the fixture's, a missing one, null
    const struct { const char* section; const char* entry; int32_t index; uint32_t capacity; int32_t code;
                   std::string field; Where where = here; } cases[] = {
        {"Main", "Row", INT_MIN, 8, 0, "a"}, {"Main", "Row", 2, 8, 0, "b"}, {"Main", "Row", 4, 8, 0, "d"},
        {"Main", "Quote", 1, 8, 0, "x'y"}, {"Main", "Comment", 1, 12, 0, ";anything"}, {"Main", "Long", 1, 4, 0, "abc"},
        {"Main", "Big", 1, 300, 0, run(260, 'h')}, {"Main", "Row", 5, 8, 13, ""}, {"Main", "Empty", 1, 8, 13, ""},
        {"Main", "Missing", 1, 8, 13, ""}, {nullptr, "Row", 1, 8, 13, ""}, {"Main", nullptr, 1, 8, 13, ""},
        {"Main", "Row", 1, 8, 18, "", missing}, {"Main", "Row", 1, 8, 18, "", none}, {nullptr, "Row", 1, 8, 18, "", missing},
        {"Main", "Runs", 1, 8, 0, "'q'"}, {"Main", "Runs", 2, 8, 0, "r"}, {"Main", "Runs", 3, 8, 13, ""},
    };
    for (const auto& c : cases) {
        GuardedBuffer destination(c.capacity);
        int32_t flag = 0;
        StatusRecord s{};
        const char* path = c.where == here ? file() : c.where == missing ? missing_.c_str() : nullptr;
        EXPECT_EQ(GetNamedData(c.section, c.entry, c.index, destination.data(), c.capacity, path, kOrigin, &flag, &s),
                  c.code == 0 ? 1 : 0) << c.index;
        EXPECT_EQ((std::vector{flag, s.ErrorCode, s.ErrorClass, s.Origin}),
                  (c.code == 0 ? std::vector{0, 0, 0, 0} : std::vector{1, c.code, 3, kOrigin}));
        EXPECT_EQ(destination.raw(), c.code == 0 ? c.field + std::string(c.capacity - c.field.size(), '\0')
                                                 : '\0' + std::string(c.capacity - 1, GuardedBuffer::kFill));
        EXPECT_TRUE(destination.guards_intact());
    }
    int32_t flag = 0;
    EXPECT_EQ(GetNamedData("Main", "Row", 1, nullptr, 8, file(), kOrigin, &flag, nullptr) + flag, 0)
        << "nowhere to deliver: no report";
}

INSTANTIATE_TEST_SUITE_P(LineEnds, NamedLookupTest, ::testing::Values(LineEnd::lf, LineEnd::crlf),
                         [](const auto& line_end) { return line_end.param == LineEnd::lf ? "LF" : "CRLF"; });

TEST(NamedLookup, TestNoneStringIsNoneInAnyCase) {
    const std::string long_text = "none" + std::string(1000, 'x');
    const std::pair<const char*, int32_t> cases[] = {{"none", 1}, {"NONE", 1}, {"nOnE", 1}, {"none ", 0}, {" none", 0},
        {"", 0}, {"non", 0}, {"n\xCFne", 0}, {nullptr, 0}, {long_text.c_str(), 0}};
    for (const auto& [text, result] : cases) EXPECT_EQ(TestNoneString(text), result) << (text ? text : "(null)");
}

// In orders that go forward, repeat, skip and go back.
TEST(NamedLookup, WordWalkFindsWhatWordAtFinds) {
    const std::vector<std::vector<int>> orders = {{1, 2, 3, 4}, {2, 2, 5, 1, 3}, {4, 1, 0, 9, 2}, {3, -1, 3, 2}};
    for (const char* value : {"a b  c\td", " \r\nlead trail\n", "one", "", "\v1 \f2\t 3 4 5"}) {
        for (const auto& order : orders) {
            xq::named::WordWalk walk(value);
            for (const int index : order)
                EXPECT_EQ(walk.word(index), xq::named::word_at(value, index).value_or(xq::named::Piece{}).text) << index;
        }
    }
}

// Decimals read like atoi and clamp to the int32_t range.
TEST(NamedLookup, DecimalsReadLikeAtoiAndClamp) {
    const std::pair<const char*, int32_t> decimals[] = {
        {" \t+8", 8}, {"0x10", 0}, {"010", 10}, {"12abc", 12}, {"+-3", 0}, {"", 0}, {"2147483648", INT32_MAX},
        {"99999999999999999999", INT32_MAX}, {"-2147483648", INT32_MIN}, {"-2147483649", INT32_MIN},
    };
    for (const auto& [text, value] : decimals) EXPECT_EQ(xq::named::scan_decimal(text), value) << text;
}

}  // namespace
