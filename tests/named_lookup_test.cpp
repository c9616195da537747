// Named-entry lookups on files with LF and with CRLF line ends: values,
// integers, words, table cells, indirect references and data fields, and the
// failures every lookup shares.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "platform/fault.h"
#include "support/buffer.h"
#include "support/reset.h"
#include "support/temp_dir.h"
#include "xq_utils.h"

namespace {

using xq::test::GuardedBuffer;
using xq::test::LineEnd;

const std::string kUntouched(16, GuardedBuffer::kFill);
constexpr int32_t kOrigin = 4711;

// A run of `n` letters, for entry names at the 39-character limit.
std::string run(std::size_t n, char c = 'N') { return std::string(n, c); }

// The bytes of a delivered text: `text`, then zeros up to `capacity`.
std::string zero_filled(const std::string& text, std::size_t capacity) {
    return text + std::string(capacity - text.size(), '\0');
}

class NamedLookupTest : public ::testing::TestWithParam<LineEnd> {
protected:
    void SetUp() override {
        xq::test::reset_library_state();
        const std::string first =
            "; settings\n[Main]\nPlain=hello world\nPadded=\"abc \t\"\nFormFeed=abc\f\nBlanks=\" \t \"\n"
            "Comment=;anything   \nEmpty=\nNumber=  -17\nHex=0x10\nHuge=5000000000\nList=mm  um\tnm\n"
            "Long=abcdef\nVerticalTab=a\vb c\nProbe=7 Type,x\nRow=a,b'c,d\nQuote=x'y,z\nBig=" + run(300, 'h') +
            "\n\n[Table]\nPos12=5 0x10 010 -7 12abc abc\nPos-3=9\nPos-2147483648=11\nFactor=3 4\n" +
            run(37) + "12=37\n" + run(38) + "12=38\n" + run(39) + "=39\n" + run(40) + "=40\n"
            "[Refs]\nObj=Stand Type extra\nDangling=Stand Missing\nSingle=Stand\nComment=;Stand Type\n";
        file_ = dir_.write("first.ini", xq::test::with_line_ends(first, GetParam()));
        second_ = dir_.write("second.ini",
                             xq::test::with_line_ends("[Stand]\nType=Upright Model X\nEmpty=\n", GetParam()));
        missing_ = dir_.file("missing.ini");
    }
    void TearDown() override { xq::test::reset_library_state(); }

    const char* file() const { return file_.c_str(); }

    xq::test::TempDirectory dir_;
    std::string file_, second_, missing_;
};

TEST_P(NamedLookupTest, GetNamedStringAppliesTheConventions) {
    const struct {
        const char* section;
        const char* entry;
        uint32_t capacity;
        bool found;
        std::string text;
    } cases[] = {
        {"Main", "Plain", 16, true, "hello world"}, {"main", "PLAIN", 16, true, "hello world"},
        {"Main", "Plain", 6, true, "hello"},        {"Main", "Plain", 7, true, "hello"},  // cut, then trimmed
        {"Main", "Plain", 1, false, ""},            {"Main", "Padded", 16, true, "abc"},
        {"Main", "FormFeed", 16, true, "abc"},      {"Main", "Blanks", 16, true, " "},
        {"Main", "Comment", 16, true, ""},          {"Main", "Empty", 16, false, ""},
        {"Main", "Missing", 16, false, ""},         {"Nowhere", "Plain", 16, false, ""},
    };
    for (const auto& c : cases) {
        GuardedBuffer buffer(c.capacity);
        const char* result = GetNamedString(c.section, c.entry, buffer.data(), c.capacity, file());
        EXPECT_EQ(result, c.found ? buffer.data() : nullptr) << c.entry << " " << c.capacity;
        EXPECT_EQ(buffer.text(), c.text) << c.entry << " " << c.capacity;
        EXPECT_TRUE(buffer.guards_intact());
    }
    const struct {
        const char* entry;
        int32_t value;
    } ints[] = {{"Number", -17}, {"Hex", 0}, {"Huge", INT32_MAX}, {"Comment", 0}, {"Plain", 0}, {"Missing", 0}};
    for (const auto& c : ints) EXPECT_EQ(GetNamedInt("Main", c.entry, file()), c.value) << c.entry;
}

TEST_P(NamedLookupTest, WordsByNumberAndByText) {
    const struct {
        const char* entry;
        int32_t index;
        uint32_t capacity;
        const char* raw;  // the destination's bytes; nullptr: fails, untouched
        std::size_t raw_size;
    } cases[] = {
        {"List", 2, 4, "um\0\0", 4},      {"List", 3, 3, "nm\0", 3},       {"List", 4, 8, nullptr, 0},
        {"List", 0, 8, nullptr, 0},       {"List", INT_MIN, 8, nullptr, 0}, {"VerticalTab", 1, 4, "a\vb\0", 4},
        {"Long", 1, 1, "\0", 1},          {"Long", 1, 4, "abc\0", 4},      {"Long", 1, 7, "abcdef\0", 7},
        {"Comment", 1, 8, nullptr, 0},    {"Empty", 1, 8, nullptr, 0},
    };
    for (const auto& c : cases) {
        GuardedBuffer buffer(16);
        const char* result = GetNamedSubstringString("Main", c.entry, c.index, buffer.data(), c.capacity, file());
        EXPECT_EQ(result, c.raw ? buffer.data() : nullptr) << c.entry << " " << c.index;
        const std::string expected = c.raw ? std::string(c.raw, c.raw_size) + kUntouched.substr(c.raw_size) : kUntouched;
        EXPECT_EQ(buffer.raw(), expected) << c.entry << " " << c.index << " " << c.capacity;
        EXPECT_TRUE(buffer.guards_intact());
    }
    const struct {
        const char* entry;
        const char* text;
        int32_t index;
    } finds[] = {{"List", "nm", 3}, {"List", "NM", 0}, {"List", "m", 0},        {"List", "", 0},
                 {"List", nullptr, 0}, {"Comment", ";anything", 0}, {"VerticalTab", "c", 2}};
    for (const auto& c : finds)
        EXPECT_EQ(GetNamedSubstringIndex("Main", c.entry, c.text, file()), c.index) << (c.text ? c.text : "null");
}

TEST_P(NamedLookupTest, ArrayCells) {
    const std::string fits = "%" + run(37), too_long = "%" + run(38), plain = run(39), plain_long = run(40);
    const struct {
        const char* entry;
        int32_t array_index;
        int32_t column;
        int32_t value;
    } cases[] = {
        {"%Pos", 12, 1, 5},   {"%Pos", 12, 2, 16},  {"%Pos", 12, 3, 8},    {"%Pos", 12, 4, -7},
        {"%Pos", 12, 5, 12},  {"%Pos", 12, 6, 0},   {"%Pos", 12, 7, 0},    {"%Pos", 12, 0, 0},
        {"%Pos", 7, 1, 0},    {"%Pos", -3, 1, 9},   {"%Pos", INT32_MIN, 1, 11},
        {"Factor", 99, 2, 4}, {"%", 0, 1, 0},
        {fits.c_str(), 12, 1, 37}, {too_long.c_str(), 12, 1, 0},  // 40 characters: refused, not overrun
        {plain.c_str(), 0, 1, 39}, {plain_long.c_str(), 0, 1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetNamedArrayElement("Table", c.entry, c.array_index, c.column, file()), c.value)
            << c.entry << "[" << c.array_index << "] column " << c.column;
}

TEST_P(NamedLookupTest, IndirectReferences) {
    const char* second = second_.c_str();
    const struct {
        const char* entry;
        const char* second_file;
        uint32_t section_capacity, entry_capacity;
        int32_t result;
        std::string section, target;  // kUntouched: never written
    } cases[] = {
        // A word of n characters needs a capacity of n + 2.
        {"Obj", nullptr, 7, 6, 1, "Stand", "Type"},
        {"Obj", nullptr, 6, 16, 0, kUntouched, kUntouched},
        {"Obj", nullptr, 16, 5, 0, kUntouched, kUntouched},
        {"Obj", second, 7, 9, 1, "Stand", "Upright"},
        // The second step fails: the first pair stays.
        {"Obj", second, 7, 8, 0, "Stand", "Type"},
        {"Obj", missing_.c_str(), 16, 16, 0, "Stand", "Type"},
        {"Dangling", second, 16, 16, 0, "Stand", "Missing"},
        {"Single", nullptr, 16, 16, 0, kUntouched, kUntouched},
        {"Comment", nullptr, 16, 16, 0, kUntouched, kUntouched},
    };
    for (const auto& c : cases) {
        GuardedBuffer a(16), b(16);
        EXPECT_EQ(GetNamedStringIndirect("Refs", c.entry, file(), c.second_file, a.data(), c.section_capacity,
                                         b.data(), c.entry_capacity),
                  c.result)
            << c.entry << " " << c.section_capacity << "/" << c.entry_capacity;
        EXPECT_EQ(a.raw() == kUntouched ? kUntouched : a.text(), c.section) << c.entry;
        EXPECT_EQ(b.raw() == kUntouched ? kUntouched : b.text(), c.target) << c.entry;
        EXPECT_TRUE(a.guards_intact() && b.guards_intact());
    }
}

TEST_P(NamedLookupTest, DataFieldsAndReports) {
    const struct {
        const char* section;
        const char* entry;
        int32_t index;
        uint32_t capacity;
        const char* file;
        int32_t code;       // 0: success
        std::string field;  // delivered, zero-filled
    } cases[] = {
        {"Main", "Row", INT_MIN, 8, file(), 0, "a"}, {"Main", "Row", 2, 8, file(), 0, "b"},
        {"Main", "Row", 4, 8, file(), 0, "d"},       {"Main", "Quote", 1, 8, file(), 0, "x'y"},
        {"Main", "Comment", 1, 12, file(), 0, ";anything"},
        {"Main", "Long", 1, 4, file(), 0, "abc"},    // cut and terminated
        {"Main", "Big", 1, 300, file(), 0, run(260, 'h')},
        {"Main", "Row", 5, 8, file(), 13, ""},       {"Main", "Empty", 1, 8, file(), 13, ""},
        {"Main", "Missing", 1, 8, file(), 13, ""},   {nullptr, "Row", 1, 8, file(), 13, ""},
        {"Main", nullptr, 1, 8, file(), 13, ""},     {"Main", "Row", 1, 8, missing_.c_str(), 18, ""},
        {"Main", "Row", 1, 8, nullptr, 18, ""},
    };
    for (const auto& c : cases) {
        GuardedBuffer destination(c.capacity);
        int32_t flag = 0;
        StatusRecord status{};
        const int32_t result = GetNamedData(c.section, c.entry, c.index, destination.data(), c.capacity, c.file,
                                            kOrigin, &flag, &status);
        const std::string label = std::string(c.entry ? c.entry : "null") + " " + std::to_string(c.index);
        EXPECT_EQ(result, c.code == 0 ? 1 : 0) << label;
        EXPECT_EQ(flag, c.code == 0 ? 0 : 1) << label;
        EXPECT_EQ(status.ErrorCode, c.code) << label;
        if (c.code != 0) {
            EXPECT_EQ(status.ErrorClass, 3);
            EXPECT_EQ(status.Origin, kOrigin);
            EXPECT_EQ(destination.raw()[0], '\0') << "emptied first: " << label;
        } else {
            EXPECT_EQ(destination.raw(), zero_filled(c.field, c.capacity)) << label;
        }
        EXPECT_TRUE(destination.guards_intact());
    }
    int32_t flag = 0;
    StatusRecord status{};
    EXPECT_EQ(GetNamedData("Main", "Row", 1, nullptr, 8, file(), kOrigin, &flag, &status), 0);
    EXPECT_EQ(flag, 0) << "nowhere to deliver: no report";
}

// Every lookup, on an entry that each of them can read.
struct Lookup {
    const char* label;
    std::function<bool(const char* section, const char* entry, const char* file)> succeeds;
};

const Lookup kLookups[] = {
    {"String", [](auto s, auto e, auto f) { char b[32]; return GetNamedString(s, e, b, 32, f) != nullptr; }},
    {"Int", [](auto s, auto e, auto f) { return GetNamedInt(s, e, f) == 7; }},
    {"Word", [](auto s, auto e, auto f) { char b[32]; return GetNamedSubstringString(s, e, 2, b, 32, f) != nullptr; }},
    {"Index", [](auto s, auto e, auto f) { return GetNamedSubstringIndex(s, e, "7", f) == 1; }},
    {"Array", [](auto s, auto e, auto f) { return GetNamedArrayElement(s, e, 0, 1, f) == 7; }},
    {"Indirect", [](auto s, auto e, auto f) { char a[32], b[32]; return GetNamedStringIndirect(s, e, f, nullptr, a, 32, b, 32) == 1; }},
    {"Data", [](auto s, auto e, auto f) {
         int32_t flag = 0;
         StatusRecord status{};
         char b[32];
         return GetNamedData(s, e, 2, b, 32, f, 0, &flag, &status) == 1;
     }},
};

TEST_P(NamedLookupTest, SharedFailuresAndOneOpenPerLookup) {
    using xq::os::Op;
    for (const Lookup& lookup : kLookups) {
        SCOPED_TRACE(lookup.label);
        xq::os::fault_arm({Op::file_open, 1000});
        EXPECT_TRUE(lookup.succeeds("Main", "Probe", file()));
        EXPECT_EQ(xq::os::fault_count(), 1) << "one open of the file";
        EXPECT_FALSE(lookup.succeeds("Main", "Probe", missing_.c_str()));
        EXPECT_FALSE(lookup.succeeds(nullptr, "Probe", file()));
        EXPECT_FALSE(lookup.succeeds("Main", nullptr, file()));
        EXPECT_FALSE(lookup.succeeds("Main", "Probe", nullptr));
        for (const Op op : {Op::file_open, Op::file_read}) {
            xq::os::fault_arm({op, 1});
            EXPECT_FALSE(lookup.succeeds("Main", "Probe", file()));
        }
    }
    // A file that cannot be opened leaves the caller's buffers alone; a
    // failed read after the open reads as no value.
    GuardedBuffer buffer(16), other(16);
    EXPECT_EQ(GetNamedString("Main", "Plain", buffer.data(), 16, missing_.c_str()), nullptr);
    EXPECT_EQ(GetNamedSubstringString("Main", "List", 1, buffer.data(), 16, missing_.c_str()), nullptr);
    EXPECT_EQ(buffer.raw(), kUntouched);
    xq::os::fault_arm({Op::file_open, 2});
    EXPECT_EQ(GetNamedStringIndirect("Refs", "Obj", file(), second_.c_str(), buffer.data(), 16, other.data(), 16), 0);
    EXPECT_EQ(buffer.text() + "/" + other.text(), "Stand/Type") << "the second open failed";
    GuardedBuffer untouched(16);
    EXPECT_EQ(GetNamedString("Main", "Plain", untouched.data(), 0, file()), nullptr);
    xq::os::fault_arm({Op::file_open, 1});
    EXPECT_EQ(GetNamedString("Main", "Plain", untouched.data(), 16, file()), nullptr);
    EXPECT_EQ(untouched.raw(), kUntouched);
    xq::os::fault_arm({Op::file_read, 1});
    EXPECT_EQ(GetNamedString("Main", "Plain", untouched.data(), 16, file()), nullptr);
    EXPECT_EQ(untouched.text(), "");
}

INSTANTIATE_TEST_SUITE_P(LineEnds, NamedLookupTest, ::testing::Values(LineEnd::lf, LineEnd::crlf),
                         [](const auto& line_end) { return line_end.param == LineEnd::lf ? "LF" : "CRLF"; });

TEST(NamedUtilities, ExistFileAndTestNoneString) {
    xq::test::reset_library_state();
    xq::test::TempDirectory dir;
    const std::string present = dir.write("present.ini", "x");
    EXPECT_EQ(ExistFile(present.c_str()), 1);
    EXPECT_EQ(ExistFile(dir.file("absent.ini").c_str()), 0);
    EXPECT_EQ(ExistFile(nullptr), 0);
    xq::os::fault_arm({xq::os::Op::file_open, 1});
    EXPECT_EQ(ExistFile(present.c_str()), 0);
    xq::test::reset_library_state();

    const std::string long_text = "none" + std::string(1000, 'x');
    const struct {
        const char* text;
        int32_t result;
    } cases[] = {{"none", 1}, {"NONE", 1}, {"nOnE", 1},  {"none ", 0}, {" none", 0},
                 {"", 0},     {"non", 0},  {"n\xCFne", 0}, {nullptr, 0}, {long_text.c_str(), 0}};
    for (const auto& c : cases) EXPECT_EQ(TestNoneString(c.text), c.result) << (c.text ? c.text : "(null)");
}

}  // namespace
