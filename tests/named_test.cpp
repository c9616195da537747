// Named-entry files on LF and CR LF line ends: lookups (values, integers,
// words, table cells, indirect references, data fields) and the integer
// parsing under them; in-place rewriting on disk byte for byte (where
// GetNamedStringPos finds an entry's line, what the Rpl calls write into its
// value field, RplNamedData's reports) and DoubleFile. A refused rewrite
// leaves the file byte-identical. Failing OS operations: see the fault sweep.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "support/buffer.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "xq_utils.h"

namespace {

using namespace std::string_literals;
using xq::test::GuardedBuffer;
using xq::test::LineEnd;
using xq::test::read_bytes;
using xq::test::with_line_ends;
using Buffer = std::optional<std::string>;  // a 16-byte buffer's text; nullopt: untouched

const std::string kUntouched(16, GuardedBuffer::kFill);
constexpr int32_t kOrigin = 4711;

std::string run(std::size_t n, char c = 'N') { return std::string(n, c); }
// The buffer's 16 bytes: untouched, or `text` and its terminator over the fill.
std::string raw16(const Buffer& text) { return text ? (*text + '\0' + kUntouched).substr(0, 16) : kUntouched; }

const std::string kFirst =
    "; settings\n[Main]\nPlain=hello world\nPadded=\"abc \t\"\nFormFeed=abc\f\nBlanks=\" \t \"\n"
    "Comment=;anything   \nEmpty=\nNumber=  -17\nHex=0x10\nHuge=5000000000\nList=mm  um\tnm\n"
    "Long=abcdef\nVerticalTab=a\vb c\nRow=a,b'c,d\nQuote=x'y,z\nRuns=,,'q',,'r,,\nBig=" + run(300, 'h') +
    "\n\n[Table]\nPos12=5 0x10 010 -7 12abc abc 0X1f +5 - 08 0x 0xg -0x1F \v42 4294967295 4294967296 0x123456789 "
    "-2147483648 0xF 0x1:\nPos-3=9\nPos-2147483648=11\nFactor=3 4\n" +
    run(37) + "=36\n" + run(37) + "12=37\n" + run(38) + "12=38\n" + run(39) + "=39\n" + run(40) + "=40\n"
    "[Refs]\nObj=Stand Type extra\nDangling=Stand Missing\nSingle=Stand\nComment=;Stand Type\n";

// Files written with the line ends of the parameter: the one above, "second.ini", and those of each test.
class NamedFile : public ::testing::TestWithParam<LineEnd> {
protected:
    const char* file() const { return file_.c_str(); }
    std::string write(const char* name, const std::string& text) { return dir_.write(name, with_line_ends(text, GetParam())); }

    xq::test::TempDirectory dir_;
    const std::string file_ = write("first.ini", kFirst), second_ = write("second.ini", "[Stand]\nType=Upright Model X\n");
    const std::string missing_ = dir_.file("missing.ini");
};

// A value is cut to capacity - 1, then loses trailing white space; ";" and
// no value read as nothing.
TEST_P(NamedFile, GetNamedStringAndIntApplyTheValueConventions) {
    const struct { const char* section; const char* entry; uint32_t capacity; bool found; Buffer raw; } cases[] = {
        {"Main", "Plain", 16, true, "hello world"}, {"main", "PLAIN", 16, true, "hello world"},
        {"Main", "Plain", 6, true, "hello"}, {"Main", "Plain", 7, true, "hello\0"s}, {"Main", "Plain", 1, false, ""},
        {"Main", "Padded", 16, true, "abc\0\0"s}, {"Main", "FormFeed", 16, true, "abc\0"s},
        {"Main", "Blanks", 16, true, " \0\0"s}, {"Main", "Comment", 16, true, "\0anything"s},
        {"Main", "Empty", 16, false, ""}, {"Main", "Missing", 16, false, ""}, {"Nowhere", "Plain", 16, false, ""},
        {"Main", "Plain", 0, false, std::nullopt}, {nullptr, "Plain", 16, false, std::nullopt},
    };
    for (const auto& c : cases) {
        GuardedBuffer buffer(16);
        EXPECT_EQ(GetNamedString(c.section, c.entry, buffer.data(), c.capacity, file()), c.found ? buffer.data() : nullptr)
            << c.entry << " " << c.capacity;
        EXPECT_TRUE(buffer.raw() == raw16(c.raw) && buffer.guards_intact()) << c.entry << " " << c.capacity;
    }
    EXPECT_EQ(ExistFile(file()), 1);
    const std::pair<const char*, int32_t> ints[] = {
        {"Number", -17}, {"Hex", 0}, {"Huge", INT32_MAX}, {"Comment", 0}, {"Plain", 0}, {"Missing", 0}};
    for (const auto& [entry, value] : ints) EXPECT_EQ(GetNamedInt("Main", entry, file()), value) << entry;
}

TEST_P(NamedFile, WordsByNumberAndByText) {
    const struct { const char* entry; int32_t index; uint32_t capacity; std::string raw; } cases[] = {
        // raw: the destination's bytes; "": the call fails and leaves it alone
        {"List", 2, 4, "um\0\0"s}, {"List", 3, 3, "nm\0"s}, {"List", 4, 8, ""}, {"List", 0, 8, ""},
        {"List", INT_MIN, 8, ""}, {"VerticalTab", 1, 4, "a\vb\0"s}, {"Long", 1, 1, "\0"s}, {"Long", 1, 4, "abc\0"s},
        {"Long", 1, 7, "abcdef\0"s}, {"Comment", 1, 8, ""}, {"Empty", 1, 8, ""}, {"List", 1, 0, ""},
    };
    for (const auto& c : cases) {
        GuardedBuffer buffer(16);
        EXPECT_EQ(GetNamedSubstringString("Main", c.entry, c.index, buffer.data(), c.capacity, file()),
                  c.raw.empty() ? nullptr : buffer.data()) << c.entry << " " << c.index;
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
TEST_P(NamedFile, ArrayCellsReadLikePercentI) {
    const int32_t cells[] = {0, 5, 16, 8, -7, 12, 0, 31, 5, 0, 0, 0, 0, -31, 42, -1, 0, 0x23456789, INT32_MIN, 15, 1, 0};
    for (int32_t column = 0; column < static_cast<int32_t>(std::size(cells)); ++column)
        EXPECT_EQ(GetNamedArrayElement("Table", "%Pos", 12, column, file()), cells[column]) << column;
    const std::string fits = "%" + run(37), too_long = "%" + run(38), plain = run(39), plain_long = run(40);
    const struct { const char* entry; int32_t array_index, column, value; } cases[] = {
        {"%Pos", 7, 1, 0}, {"%Pos", -3, 1, 9}, {"%Pos", INT32_MIN, 1, 11}, {"Factor", 99, 2, 4}, {"%", 0, 1, 0},
        {nullptr, 12, 1, 0}, {fits.c_str(), 12, 1, 37}, {fits.c_str(), 123, 1, 0}, {too_long.c_str(), 12, 1, 0},
        {plain.c_str(), 0, 1, 39}, {plain_long.c_str(), 0, 1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetNamedArrayElement("Table", c.entry, c.array_index, c.column, file()), c.value)
            << (c.entry ? c.entry : "null") << "[" << c.array_index << "] column " << c.column;
}

// A word of n characters needs a capacity of n + 2. When the second step
// fails, the first pair stays.
TEST_P(NamedFile, IndirectReferencesNeedRoomForTwoMore) {
    const char *second = second_.c_str(), *missing = missing_.c_str();
    const auto none = std::nullopt;
    const struct { const char *entry, *second_file; uint32_t capacities[2]; int32_t result; Buffer a, b; } cases[] = {
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
}

// Field 1 ends at a comma, later fields at a comma or an apostrophe, runs
// of them make no empty fields; cut to capacity - 1 and zero-filled; a
// failure empties the destination first and reports class 3, code 13 or 18.
TEST_P(NamedFile, DataFieldsAndReports) {
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
}

// Headers and entry lines match by prefix and letter case; an entry line is
// looked for until the next "[" line, and that line is not taken as a header.
// A line ends at LF, CR LF or a CR alone, and a line of any length is one
// line: a name never matches inside it.
TEST_P(NamedFile, PositionIsTheOffsetOfTheEntryLine) {
    const std::string long_value(257, 'a'), long_name(600, 'S');
    // line: the line found (its only occurrence), or null
    const struct { std::string contents; const char* line; std::string section = "A"; const char* entry = "x"; } cases[] = {
        {"[A]\nw=0\nx=1\n", "x=1"}, {"[S]\nPos10=5\nPos1=4\n", "Pos10=5", "S", "Pos1"}, {"[Stand2]\nx=1\n", "x=1", "Stand"},
        {"[stand]\nx=1\n", nullptr, "Stand"}, {"[A]\nX=1\n", nullptr}, {"[ A]\nx=1\n", nullptr}, {"[A]\n x=1\n", nullptr},
        {"x=1\n[A]\ny=1\n", nullptr}, {"[B]\nx=1\n[A]\ny=1\n", nullptr}, {"[A]\n;x=1\nx=2\n", "x=2"},
        {"[A]\n;x=1\nx=2\n", ";x=1", "A", ";x"}, {"[A]\nx=1\n[B]\ny=1\n[A]\ny=2\n", "y=2", "A", "y"},
        {"[A]\nx=1\n[A]\ny=2\n", nullptr, "A", "y"}, {"[A]\n[B]\n[A]\ny=2\n", "y=2", "A", "y"}, {"[A]", nullptr},
        {"[A]\nx=1", "x=1"}, {"[A]\nx=1\n", nullptr, "A", ""}, {"[Q]\nx=1\n", "x=1", ""}, {"", nullptr},
        {"[A]\rx=1\r", "x=1"}, {"[A]\r\rx=1", "x=1"}, {"[A]\n\r\nx=1", "x=1"}, {"[A]\r\n\n\rx=1", "x=1"},
        {"[A]\ny=" + long_value + "x=5\n[B]\nx=6\n[A]\nx=7\n", "x=7"}, {"[" + long_name + "]\nx=1\n", "x=1", long_name},
    };
    for (const auto& c : cases) {
        const std::string contents = with_line_ends(c.contents, GetParam()), path = write("f.ini", c.contents);
        EXPECT_EQ(GetNamedStringPos(c.section.c_str(), c.entry, path.c_str()), c.line ? contents.find(c.line) : 0u)
            << c.contents.substr(0, 40);
    }
}

// The new value goes right-aligned into the field from the first "=" to the
// line end (a CR alone ends a line); a value that does not fit, holds a line
// end or has no line to go to is refused. RplNamedSubstringString fits the
// word into its own field: the word and the spaces (not tabs) before it.
TEST_P(NamedFile, RewritesOnlyTheValueField) {
    enum Call { string, number, word };
    // A long line is one line: its "Units" at byte 259 starts no entry line.
    const std::string note = "[S]\nNote=" + std::string(254, 'n') + "Units=inside\nUnits";
    const std::string b258(258, 'b'), blank11(11, ' '), v300(300, 'v');
    // The file is note, line, end; number is RplNamedInt's number or
    // RplNamedSubstringString's index; after "": refused, the file unchanged.
    const struct { Call call; int32_t number; const char* value; std::string line, after, end = "\nNext=1\n"; } cases[] = {
        {string, 0, "slow", "=fast", "=slow"}, {string, 0, "faster", "=fast", ""}, {string, 0, "", "=", "="},
        {string, 0, "1", "=", ""}, {string, 0, "", "", ""}, {string, 0, "a\nb", "=fast", ""}, {string, 0, "a\rb", "=fast", ""},
        {string, 0, "c", "=a=b", "=  c"}, {string, 0, "ab", "=fa\rst", "=ab\rst"},
        // A last line without line end has its field up to the end of the file.
        {string, 0, "new", "=" + v300, "=" + std::string(297, ' ') + "new", ""},
        {number, 999, "", "=100", "=999"}, {number, 1000, "", "=100", ""}, {word, 1, "x", "=;mm um", ""},
        {number, INT32_MIN, "", "=" + blank11, "=-2147483648"}, {number, INT32_MAX, "", "=" + blank11, "= 2147483647"},
        {word, 2, "kpc", "=mm  um  nm", "=mm kpc  nm"}, {word, 2, "abcd", "=mm  um  nm", ""}, {word, 0, "x", "=mm um", ""},
        {word, 1, "km", "=mm  um  nm", "=km  um  nm"}, {word, 1, "kmm", "=mm  um  nm", ""}, {word, 4, "x", "=mm um", ""},
        {word, 2, "cm", "=mm\tum", "=mm\tcm"}, {word, 2, "cmm", "=mm\tum", ""}, {word, 2, "cde", "=a\t  b", "=a\tcde"},
        // Quoted, the first word keeps one of the blanks before it.
        {word, 1, "xyz", "=\"  a b\"", ""}, {word, 1, "xy", "=\"  a b\"", "=   xy b"},
        // Values longer than the working size (260) are refused, not cut.
        {word, 1, "z", "=a " + b258 + " c d", ""}, {word, 1, "z", "=a " + b258, "=z " + b258},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.substr(0, 40) + " <- " + c.value + std::to_string(c.number));
        const std::string path = write("f.ini", note + c.line + c.end);
        EXPECT_EQ(c.call == string   ? RplNamedString("S", "Units", c.value, path.c_str())
                  : c.call == number ? RplNamedInt("S", "Units", c.number, path.c_str())
                                     : RplNamedSubstringString("S", "Units", c.number, c.value, path.c_str()),
                  c.after.empty() ? 0 : 1);
        EXPECT_EQ(read_bytes(path), with_line_ends(note + (c.after.empty() ? c.line : c.after) + c.end, GetParam()));
    }
}

// Null names, values or destinations, an absent entry, no file or a missing one: refused, nothing
// written or created (a buffer is left alone, ExistFile says no), and no report where there is
// nowhere to deliver it.
TEST_P(NamedFile, NullArgumentsAndMissingFilesAreRefused) {
    GuardedBuffer buffer(16);
    int32_t flag = 0;
    for (const char* f : {file(), static_cast<const char*>(nullptr), missing_.c_str()}) {
        const char* list = f == file() ? nullptr : "List";  // a null entry name where the file opens
        EXPECT_EQ(RplNamedString(nullptr, "List", "on", f) + RplNamedString("Main", list, "on", f) +
                  RplNamedString("Main", "List", nullptr, f) + RplNamedInt(nullptr, "List", 1, f) +
                  RplNamedInt("Main", list, 1, f) + RplNamedSubstringString(nullptr, "List", 1, "x", f) +
                  RplNamedSubstringString("Main", list, 1, "x", f) + RplNamedSubstringString("Main", "List", 1, nullptr, f) +
                  RplNamedString("Main", "Nope", "", f) + RplNamedData("S", "D", 1, "x", f, 0, nullptr, nullptr) +
                  GetNamedStringIndirect("Refs", "Obj", f, nullptr, buffer.data(), 16, nullptr, 16) +
                  GetNamedStringIndirect("Refs", "Obj", f, nullptr, nullptr, 16, buffer.data(), 16) +
                  GetNamedData("Main", "Row", 1, nullptr, 8, f, kOrigin, &flag, nullptr) + ExistFile(f == file() ? nullptr : f) +
                  static_cast<int32_t>(GetNamedStringPos(nullptr, "Plain", f) + GetNamedStringPos("Main", list, f)), 0) << f;
        EXPECT_FALSE(GetNamedString("Main", list, buffer.data(), 16, f) || GetNamedString("Main", "Plain", nullptr, 16, f) ||
                     GetNamedSubstringString("Main", "List", 1, nullptr, 16, f));
    }
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(buffer.raw(), kUntouched);
    EXPECT_EQ(read_bytes(file()) + read_bytes(missing_), with_line_ends(kFirst, GetParam()) + "<missing>");
}

// RplNamedData: comma fields (empty ones count, 1 or less is field 1), and
// every refusal reported in the status record (class 3, the code, a text
// naming the culprit) with the file unchanged.
TEST_P(NamedFile, DataReplacesOneCommaFieldOrReports) {
    const std::string tail = "\nEmpty=\nLong=" + std::string(261, 'x') + "\n", big(262, 'y'), fits(259, 'z');
    const std::string at_limit = "1," + std::string(258, 'w');
    // The file is "[S]\nD=" value tail; written: D's new value, or the text a report holds.
    const struct { const char* entry; int32_t index; const char* data; int32_t code; std::string written;
                   const char* value = "1,2,3"; } cases[] = {
        {"D", 2, "20", 0, "1,20,3"}, {"D", 1, "x", 0, "x,2,3"}, {"D", INT_MIN, "x", 0, "x,2,3"}, {"D", 3, "", 0, "1,2,"},
        {"D", 3, "9", 0, "1,,9", "1,,3"}, {"D", 2, "longer", 0, "a'b,longer", "a'b,c"}, {"Nope", 1, "x", 13, "Nope"},
        {"D", 2, fits.c_str(), 0, "1," + fits + ",3"},  // 263 characters: the longest taken
        {"D", 1, "x", 0, "x," + std::string(258, 'w'), at_limit.c_str()},  // the longest value read back
        {"Empty", 1, "x", 13, "Empty"}, {nullptr, 1, "x", 13, "f.ini"}, {"D", 4, "x", 24, "f.ini"}, {"Long", 1, "x", 24, "Long"},
        {"D", 2, big.c_str(), 24, "yyyy"}, {"D", 1, "x\r\n[T]", 24, "f.ini"}, {"D", 1, nullptr, 24, "f.ini"},
    };
    const auto replace = [&](const char* section, const char* entry, int32_t index, const char* data, const char* path,
                             int32_t code, const std::string& text) {
        int32_t flag = 0;
        StatusRecord status{.Origin = 0, .ErrorClass = 0, .ErrorCode = -1, .Text = {}};
        EXPECT_EQ(RplNamedData(section, entry, index, data, path, kOrigin, &flag, &status), code == 0 ? 1 : 0);
        EXPECT_EQ((std::vector{flag, status.ErrorCode, status.ErrorClass, status.Origin}),
                  (code == 0 ? std::vector{0, -1, 0, 0} : std::vector{1, code, 3, kOrigin}));
        EXPECT_TRUE(code == 0 ? status.Text[0] == '\0' : std::strstr(status.Text, text.c_str()) != nullptr) << status.Text;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.entry ? c.entry : "null") + " #" + std::to_string(c.index));
        const std::string path = write("f.ini", "[S]\nD=" + std::string(c.value) + tail);
        replace("S", c.entry, c.index, c.data, path.c_str(), c.code, c.written);
        EXPECT_EQ(read_bytes(path), with_line_ends("[S]\nD=" + (c.code == 0 ? c.written : c.value) + tail, GetParam()));
    }
    replace(nullptr, "D", 1, "x", dir_.file("f.ini").c_str(), 13, "f.ini");  // without a section: the entry is missing
    replace(nullptr, "D", 1, "x", missing_.c_str(), 18, "missing.ini");
    replace("S", "D", 1, "x", missing_.c_str(), 18, "missing.ini");
    replace("S", "D", 1, "x", nullptr, 18, "  ");  // no name: two spaces meet where it would stand
    const std::string kept = write("f.ini", "[S]\nD=1,2\n");
    xq::os::fault_arm({xq::os::Op::file_write, 1, true});  // a write that fails: code 36, the file as it was
    replace("S", "D", 1, "x", kept.c_str(), 36, "f.ini");
    xq::os::fault_disarm();
    EXPECT_EQ(read_bytes(kept), with_line_ends("[S]\nD=1,2\n", GetParam()));
}

// DoubleFile(target, source, fail_if_exists) copies byte for byte; refused: an existing target when asked to
// keep it, a missing source, null names.
TEST_P(NamedFile, DoubleFileCopiesTargetFirst) {
    const std::string to = dir_.write("to.ini", "old"), fresh = dir_.file("fresh.ini"), none = dir_.file("none.ini");
    EXPECT_EQ(DoubleFile(to.c_str(), file(), 1) + DoubleFile(none.c_str(), missing_.c_str(), 0) +
              DoubleFile(nullptr, file(), 0) + DoubleFile(none.c_str(), nullptr, 0), 0);
    EXPECT_EQ(read_bytes(to) + read_bytes(none), "old<missing>");
    EXPECT_EQ(DoubleFile(to.c_str(), file(), 0) + DoubleFile(fresh.c_str(), file(), 1), 2);
    const std::string first = with_line_ends(kFirst, GetParam());
    EXPECT_EQ(read_bytes(to) + read_bytes(fresh) + read_bytes(file()), first + first + first);
}

INSTANTIATE_TEST_SUITE_P(LineEnds, NamedFile, ::testing::Values(LineEnd::lf, LineEnd::crlf),
                         [](const auto& line_end) { return line_end.param == LineEnd::lf ? "LF" : "CRLF"; });

TEST(NamedLookup, TestNoneStringIsNoneInAnyCase) {
    const std::pair<const char*, int32_t> cases[] = {{"none", 1}, {"NONE", 1}, {"nOnE", 1}, {"none ", 0}, {" none", 0},
        {"", 0}, {"non", 0}, {"n\xCFne", 0}, {nullptr, 0}};
    for (const auto& [text, result] : cases) EXPECT_EQ(TestNoneString(text), result) << (text ? text : "(null)");
}

}  // namespace
