// In-place rewriting on disk, byte for byte on LF and CR LF files: where
// GetNamedStringPos finds an entry's line, what RplNamedString, RplNamedInt
// and RplNamedSubstringString write into its value field, RplNamedData's
// comma fields and reports, DoubleFile. A refused rewrite leaves the file
// byte-identical. Failing OS operations: see the fault sweep.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "xq_utils.h"

namespace {

using xq::test::LineEnd;
using xq::test::read_bytes;
using xq::test::with_line_ends;

class NamedRewrite : public ::testing::Test {
protected:
    // `text` with "\n" line ends written with each kind of line end in turn.
    template <class Check>
    void with_both_ends(const std::string& text, Check check) {
        for (const LineEnd ends : {LineEnd::lf, LineEnd::crlf}) {
            SCOPED_TRACE(ends == LineEnd::crlf ? "CR LF" : "LF");
            const std::string contents = with_line_ends(text, ends);
            check(contents, dir.write("f.ini", contents), ends);
        }
    }
    xq::test::TempDirectory dir;
};

// Headers and entry lines match by prefix and letter case; an entry line is
// looked for until the next "[" line, and that line is not taken as a header.
// A line ends at LF, CR LF or a CR alone, and a line of any length is one
// line: a name never matches inside it.
TEST_F(NamedRewrite, PositionIsTheOffsetOfTheEntryLine) {
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
        with_both_ends(c.contents, [&](const std::string& contents, const std::string& path, LineEnd) {
            EXPECT_EQ(GetNamedStringPos(c.section.c_str(), c.entry, path.c_str()), c.line ? contents.find(c.line) : 0u)
                << c.contents.substr(0, 40);
        });
    }
    const std::string path = dir.write("n.ini", "[A]\nx=1\n");
    EXPECT_EQ(GetNamedStringPos(nullptr, "x", path.c_str()) + GetNamedStringPos("A", nullptr, path.c_str()) +
              GetNamedStringPos("A", "x", nullptr) + GetNamedStringPos("A", "x", dir.file("missing").c_str()), 0u);
}

// The new value goes right-aligned into the field from the first "=" to the
// line end (a CR alone ends a line); a value that does not fit, holds a line
// end or has no line to go to is refused. RplNamedSubstringString fits the
// word into its own field: the word and the spaces (not tabs) before it.
TEST_F(NamedRewrite, RewritesOnlyTheValueField) {
    enum Call { string, number, word };
    // A long line is one line: its "Units" at byte 259 starts no entry line.
    const std::string note = "[S]\nNote=" + std::string(254, 'n') + "Units=inside\nUnits";
    const std::string b258(258, 'b'), blank11(11, ' ');
    // The file is note, line, end; number is RplNamedInt's number or
    // RplNamedSubstringString's index; after "": refused, the file unchanged.
    const struct { Call call; int32_t number; const char* value; std::string line, after, end = "\nNext=1\n"; } cases[] = {
        {string, 0, "on", "=fast", "=  on"}, {string, 0, "slow", "=fast", "=slow"}, {string, 0, "faster", "=fast", ""},
        {string, 0, "", "=fast", "=    "}, {string, 0, "7", " = 12", " =  7"}, {string, 0, "123", " = 12", " =123"},
        {string, 0, "", "=", "="}, {string, 0, "1", "=", ""}, {string, 0, "", "", ""}, {string, 0, "a\nb", "=fast", ""},
        {string, 0, "a\rb", "=fast", ""}, {string, 0, "c", "=a=b", "=  c"}, {string, 0, "ab", "=fa\rst", "=ab\rst"},
        // A last line without line end has its field up to the end of the file.
        {string, 0, "new", "=fast", "= new", ""}, {string, 0, "new", "=fast\r", "= new\r", ""},
        {string, 0, "new", "=" + std::string(300, 'v'), "=" + std::string(297, ' ') + "new", ""},
        {number, -5, "", "=100", "= -5"}, {number, 0, "", "=100", "=  0"}, {number, 999, "", "=100", "=999"},
        {number, 1000, "", "=100", ""}, {number, -10, "", "=100", "=-10"},
        {number, INT32_MIN, "", "=" + blank11, "=-2147483648"}, {number, INT32_MAX, "", "=" + blank11, "= 2147483647"},
        {word, 2, "cm", "=mm  um  nm", "=mm  cm  nm"}, {word, 2, "kpc", "=mm  um  nm", "=mm kpc  nm"},
        {word, 2, "abcd", "=mm  um  nm", ""}, {word, 1, "km", "=mm  um  nm", "=km  um  nm"},
        {word, 1, "kmm", "=mm  um  nm", ""}, {word, 3, "", "=mm  um  nm", "=mm  um    "}, {word, 4, "x", "=mm um", ""},
        {word, 0, "x", "=mm um", ""}, {word, 2, "cm", "=mm\tum", "=mm\tcm"}, {word, 2, "cmm", "=mm\tum", ""},
        {word, 2, "cde", "=a\t  b", "=a\tcde"}, {word, 2, "cd", "=a \t b", "=a \tcd"}, {word, 1, "z", "=a", "=z"},
        {word, 2, "c", " = a b  ", " =   a c"}, {word, 1, "x", "=;mm um", ""}, {word, 1, "x", "=", ""},
        // Quoted, the first word keeps one of the blanks before it.
        {word, 1, "xyz", "=\"  a b\"", ""}, {word, 1, "xy", "=\"  a b\"", "=   xy b"},
        // Values longer than the working size (260) are refused, not cut.
        {word, 1, "z", "=a " + b258 + " c d", ""}, {word, 1, "z", "=" + std::string(300, 'x') + " y", ""},
        {word, 1, "z", "=a " + b258, "=z " + b258},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.substr(0, 40) + " <- " + c.value + std::to_string(c.number));
        with_both_ends(note + c.line + c.end, [&](const std::string& before, const std::string& path, LineEnd ends) {
            const char* file = path.c_str();
            EXPECT_EQ(c.call == string   ? RplNamedString("S", "Units", c.value, file)
                      : c.call == number ? RplNamedInt("S", "Units", c.number, file)
                                         : RplNamedSubstringString("S", "Units", c.number, c.value, file), c.after.empty() ? 0 : 1);
            EXPECT_EQ(read_bytes(path), c.after.empty() ? before : with_line_ends(note + c.after + c.end, ends));
        });
    }
    // Null names or values, an absent entry, no file or a missing one: refused, nothing written or created.
    const std::string path = dir.write("n.ini", "[S]\nUnits=mm um\n"), missing = dir.file("missing.ini");
    for (const char* file : {path.c_str(), static_cast<const char*>(nullptr), missing.c_str()}) {
        const char* units = file == path.c_str() ? nullptr : "Units";  // a null entry name where the file opens
        EXPECT_EQ(RplNamedString(nullptr, "Units", "on", file) + RplNamedString("S", units, "on", file) +
                  RplNamedString("S", "Units", nullptr, file) + RplNamedInt(nullptr, "Units", 1, file) +
                  RplNamedInt("S", units, 1, file) + RplNamedSubstringString(nullptr, "Units", 1, "x", file) +
                  RplNamedSubstringString("S", units, 1, "x", file) +
                  RplNamedSubstringString("S", "Units", 1, nullptr, file) + RplNamedString("S", "Nope", "", file), 0);
    }
    EXPECT_EQ(read_bytes(path) + read_bytes(missing), "[S]\nUnits=mm um\n<missing>");
}

// RplNamedData: comma fields (empty ones count, 1 or less is field 1), and
// every refusal reported in the status record (class 3, the code, a text
// naming the culprit) with the file unchanged.
TEST_F(NamedRewrite, DataReplacesOneCommaFieldOrReports) {
    constexpr int32_t kOrigin = 815;
    const std::string tail = "\r\nEmpty=\r\nLong=" + std::string(261, 'x') + "\r\n";
    const std::string missing = dir.file("missing.ini"), big(262, 'y'), fits(259, 'z');
    const std::string at_limit = "1," + std::string(258, 'w');
    // The file is "[S]\r\nD=" value tail; written: D's new value, or the text a report holds.
    const struct { const char* entry; int32_t index; const char* data; int32_t code; std::string written;
                   const char* value = "1,2,3"; } cases[] = {
        {"D", 2, "20", 0, "1,20,3"}, {"D", 1, "x", 0, "x,2,3"}, {"D", INT_MIN, "x", 0, "x,2,3"}, {"D", 3, "", 0, "1,2,"},
        {"D", 3, "9", 0, "1,,9", "1,,3"}, {"D", 2, "longer", 0, "a'b,longer", "a'b,c"}, {"Nope", 1, "x", 13, "Nope"},
        {"D", 2, fits.c_str(), 0, "1," + fits + ",3"},  // 263 characters: the longest taken
        {"D", 1, "x", 0, "x," + std::string(258, 'w'), at_limit.c_str()},  // the longest value read back
        {"Empty", 1, "x", 13, "Empty"}, {nullptr, 1, "x", 13, "f.ini"}, {"D", 4, "x", 24, "f.ini"},
        {"Long", 1, "x", 24, "Long"}, {"D", 2, big.c_str(), 24, "yyyy"}, {"D", 1, "x\r\n[T]", 24, "f.ini"},
        {"D", 1, nullptr, 24, "f.ini"},
    };
    const auto replace = [&](const char* section, const char* entry, int32_t index, const char* data, const char* file,
                             int32_t code, const std::string& text) {
        int32_t flag = 0;
        StatusRecord status{};
        status.ErrorCode = -1;
        EXPECT_EQ(RplNamedData(section, entry, index, data, file, kOrigin, &flag, &status), code == 0 ? 1 : 0);
        const std::vector<int32_t> report{flag, status.ErrorCode, status.ErrorClass, status.Origin};
        EXPECT_EQ(report, (code == 0 ? std::vector<int32_t>{0, -1, 0, 0} : std::vector<int32_t>{1, code, 3, kOrigin}));
        EXPECT_TRUE(code == 0 ? status.Text[0] == '\0' : std::strstr(status.Text, text.c_str()) != nullptr) << status.Text;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.entry ? c.entry : "null") + " #" + std::to_string(c.index));
        const std::string before = "[S]\r\nD=" + std::string(c.value) + tail, path = dir.write("f.ini", before);
        replace("S", c.entry, c.index, c.data, path.c_str(), c.code, c.written);
        EXPECT_EQ(read_bytes(path), c.code == 0 ? "[S]\r\nD=" + c.written + tail : before);
    }
    replace(nullptr, "D", 1, "x", dir.file("f.ini").c_str(), 13, "f.ini");  // without a section: the entry is missing
    replace(nullptr, "D", 1, "x", missing.c_str(), 18, "missing.ini");
    replace("S", "D", 1, "x", missing.c_str(), 18, "missing.ini");
    replace("S", "D", 1, "x", nullptr, 18, "  ");  // no name: two spaces meet where it would stand
    EXPECT_EQ(read_bytes(missing), "<missing>") << "not created";
    const std::string kept = dir.write("f.ini", "[S]\r\nD=1,2\r\n");
    xq::os::fault_arm({xq::os::Op::file_write, 1, true});  // a write that fails: code 36, the file as it was
    replace("S", "D", 1, "x", kept.c_str(), 36, "f.ini");
    xq::os::fault_disarm();
    EXPECT_EQ(read_bytes(kept), "[S]\r\nD=1,2\r\n");
    EXPECT_EQ(RplNamedData("S", "D", 1, "x", nullptr, 0, nullptr, nullptr), 0);
}

// DoubleFile(target, source, fail_if_exists) copies byte for byte; refused: an existing target when asked to
// keep it, a missing source, null names.
TEST_F(NamedRewrite, DoubleFileCopiesTargetFirst) {
    const std::string from = dir.write("from.ini", "[S]\r\nx=1\r\n"), to = dir.write("to.ini", "old");
    const std::string fresh = dir.file("fresh.ini"), none = dir.file("none.ini");
    EXPECT_EQ(DoubleFile(to.c_str(), from.c_str(), 1) + DoubleFile(none.c_str(), dir.file("nothing.ini").c_str(), 0) +
              DoubleFile(nullptr, from.c_str(), 0) + DoubleFile(none.c_str(), nullptr, 0), 0);
    EXPECT_EQ(read_bytes(to) + read_bytes(none), "old<missing>");
    EXPECT_EQ(DoubleFile(to.c_str(), from.c_str(), 0) + DoubleFile(fresh.c_str(), from.c_str(), 1), 2);
    EXPECT_EQ(read_bytes(to) + read_bytes(fresh) + read_bytes(from), "[S]\r\nx=1\r\n[S]\r\nx=1\r\n[S]\r\nx=1\r\n");
}

}  // namespace
