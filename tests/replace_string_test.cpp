// In-place rewriting on disk: GetNamedStringPos, RplNamedString and
// RplNamedInt, byte for byte on LF and CR LF files, and never half written.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/fault.h"
#include "support/fault_sweep.h"
#include "support/file_bytes.h"
#include "support/reset.h"
#include "support/temp_dir.h"
#include "xq_utils.h"

namespace {

using xq::test::LineEnd;
using xq::test::read_bytes;
using xq::test::with_line_ends;

constexpr LineEnd kBothEnds[] = {LineEnd::lf, LineEnd::crlf};

const char* const kFile =
    "; settings\n"
    "[Stand]\n"
    "Mode=fast\n"
    "Speed = 12\n"
    "Empty=\n"
    "Bare\n"
    "Shift=100\n"
    "Wide=           \n"
    "[Other]\n"
    "Mode=x\n";

class ReplaceString : public ::testing::Test {
protected:
    void SetUp() override { xq::test::reset_library_state(); }
    void TearDown() override { xq::test::reset_library_state(); }
    xq::test::TempDirectory dir;
};

TEST_F(ReplaceString, PositionIsTheOffsetOfTheEntryLine) {
    for (const LineEnd ends : kBothEnds) {
        const std::string contents = with_line_ends(kFile, ends);
        const std::string path = dir.write("pos.ini", contents);
        EXPECT_EQ(GetNamedStringPos("Stand", "Mode", path.c_str()), contents.find("Mode=fast"));
        EXPECT_EQ(GetNamedStringPos("Stand", "Shift", path.c_str()), contents.find("Shift"));
        EXPECT_EQ(GetNamedStringPos("Other", "Mode", path.c_str()), contents.find("Mode=x"));
        EXPECT_EQ(GetNamedStringPos("Stand", "Missing", path.c_str()), 0u);
        EXPECT_EQ(GetNamedStringPos("stand", "Mode", path.c_str()), 0u);
        EXPECT_EQ(GetNamedStringPos("Stand", "Mode", dir.file("missing.ini").c_str()), 0u);
        EXPECT_EQ(GetNamedStringPos(nullptr, "Mode", path.c_str()), 0u);
        EXPECT_EQ(read_bytes(path), contents) << "reading changes nothing";
    }
}

TEST_F(ReplaceString, RewritesOnlyTheValueField) {
    const struct {
        const char* entry;
        const char* value;
        const char* line_after;  // null: refused, file unchanged
    } cases[] = {
        {"Mode", "on", "Mode=  on\n"},
        {"Mode", "slow", "Mode=slow\n"},
        {"Mode", "faster", nullptr},
        {"Mode", "", "Mode=    \n"},
        {"Speed", "7", "Speed =  7\n"},
        {"Speed", "123", "Speed =123\n"},
        {"Empty", "", "Empty=\n"},
        {"Empty", "1", nullptr},
        {"Bare", "", nullptr},
        {"Missing", "", nullptr},
        {"Mode", "a\nb", nullptr},  // a line end in the value would make a new line
        {"Mode", "a\rb", nullptr},
    };
    for (const auto& c : cases) {
        for (const LineEnd ends : kBothEnds) {
            SCOPED_TRACE(std::string(c.entry) + " <- " + c.value + (ends == LineEnd::crlf ? " (CR LF)" : " (LF)"));
            const std::string before = with_line_ends(kFile, ends);
            const std::string path = dir.write("s.ini", before);
            const int32_t result = RplNamedString("Stand", c.entry, c.value, path.c_str());
            const std::string after = read_bytes(path);
            EXPECT_EQ(after.size(), before.size());
            if (c.line_after == nullptr) {
                EXPECT_EQ(result, 0);
                EXPECT_EQ(after, before);
                continue;
            }
            EXPECT_EQ(result, 1);
            std::string expected = kFile;
            const std::string old_line = std::string(c.entry);
            const std::size_t at = expected.find("\n" + old_line) + 1;
            expected.replace(at, expected.find('\n', at) + 1 - at, c.line_after);
            EXPECT_EQ(after, with_line_ends(expected, ends));
        }
    }
}

TEST_F(ReplaceString, IntegersAreWrittenInDecimal) {
    const struct {
        const char* entry;
        int32_t number;
        const char* line_after;
    } cases[] = {
        {"Shift", -5, "Shift= -5\n"},
        {"Shift", 0, "Shift=  0\n"},
        {"Shift", 999, "Shift=999\n"},
        {"Shift", 1000, nullptr},
        {"Shift", -10, "Shift=-10\n"},
        {"Wide", INT32_MIN, "Wide=-2147483648\n"},
        {"Wide", INT32_MAX, "Wide= 2147483647\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.entry) + " <- " + std::to_string(c.number));
        const std::string path = dir.write("i.ini", with_line_ends(kFile, LineEnd::crlf));
        const int32_t result = RplNamedInt("Stand", c.entry, c.number, path.c_str());
        std::string expected = kFile;
        if (c.line_after != nullptr) {
            const std::size_t at = expected.find(std::string("\n") + c.entry) + 1;
            expected.replace(at, expected.find('\n', at) + 1 - at, c.line_after);
        }
        EXPECT_EQ(result, c.line_after != nullptr ? 1 : 0);
        EXPECT_EQ(read_bytes(path), with_line_ends(expected, LineEnd::crlf));
    }
}

// A line of any length is rewritten as a whole line (a name never matches in
// its middle); a last line without line end has its field up to the end of
// the file; a CR alone ends a line.
TEST_F(ReplaceString, LongLastAndCrOnlyLines) {
    const std::string long_line = "Note=" + std::string(254, 'n') + "Mode=inside\r\n";  // a 259-byte piece starts "Mode"
    const struct {
        std::string before;
        const char* value;
        std::string after;
    } cases[] = {
        {"[S]\r\n" + long_line + "Mode=" + std::string(300, 'v') + "\r\n", "new",
         "[S]\r\n" + long_line + "Mode=" + std::string(297, ' ') + "new\r\n"},
        {"[S]\nMode=fast", "ab", "[S]\nMode=  ab"},
        {"[S]\nMode=fast\r", "ab", "[S]\nMode=  ab\r"},
        {"[S]\rMode=fa\rst\r", "b", "[S]\rMode= b\rst\r"},
        {"[S]\nMode=a=b\n", "c", "[S]\nMode=  c\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after);
        const std::string path = dir.write("l.ini", c.before);
        EXPECT_EQ(GetNamedStringPos("S", "Mode", path.c_str()), c.before.rfind("Mode="));
        EXPECT_EQ(RplNamedString("S", "Mode", c.value, path.c_str()), 1);
        EXPECT_EQ(read_bytes(path), c.after);
    }
}

TEST_F(ReplaceString, MissingFilesAndNullArguments) {
    const std::string missing = dir.file("missing.ini");
    EXPECT_EQ(RplNamedString("Stand", "Mode", "on", missing.c_str()), 0);
    EXPECT_EQ(RplNamedInt("Stand", "Shift", 1, missing.c_str()), 0);
    EXPECT_EQ(read_bytes(missing), "<missing>") << "not created";
    const std::string path = dir.write("n.ini", kFile);
    EXPECT_EQ(RplNamedString(nullptr, "Mode", "on", path.c_str()), 0);
    EXPECT_EQ(RplNamedString("Stand", "Mode", nullptr, path.c_str()), 0);
    EXPECT_EQ(RplNamedString("Stand", "Mode", "on", nullptr), 0);
    EXPECT_EQ(read_bytes(path), kFile);
}

TEST_F(ReplaceString, AFailingStepLeavesTheFileWhole) {
    const std::string before = with_line_ends(kFile, LineEnd::crlf);
    const int ops = xq::test::expect_all_or_nothing(dir, "f.ini", before, [](const std::string& path) {
        return RplNamedString("Stand", "Speed", "7", path.c_str());
    });
    EXPECT_GE(ops, 4) << "lock, open, read and write";
    xq::test::expect_all_or_nothing(dir, "f.ini", before, [](const std::string& path) {
        return RplNamedInt("Stand", "Shift", -5, path.c_str());
    });
}

}  // namespace
