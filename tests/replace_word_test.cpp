// RplNamedSubstringString: one word of a value replaced in its field, the
// value written back right-aligned in its line.
#include <gtest/gtest.h>

#include <string>

#include "support/fault_sweep.h"
#include "support/file_bytes.h"
#include "support/reset.h"
#include "support/temp_dir.h"
#include "xq_utils.h"

namespace {

using xq::test::LineEnd;
using xq::test::read_bytes;
using xq::test::with_line_ends;

class ReplaceWord : public ::testing::Test {
protected:
    void SetUp() override { xq::test::reset_library_state(); }
    void TearDown() override { xq::test::reset_library_state(); }
    xq::test::TempDirectory dir;
};

TEST_F(ReplaceWord, ReplacesTheWordInItsField) {
    const struct {
        const char* line;
        int index;
        const char* text;
        const char* line_after;  // null: refused, file unchanged
    } cases[] = {
        {"Units=mm  um  nm", 2, "cm", "Units=mm  cm  nm"},
        {"Units=mm  um  nm", 2, "kpc", "Units=mm kpc  nm"},
        {"Units=mm  um  nm", 2, "abcd", nullptr},
        {"Units=mm  um  nm", 1, "km", "Units=km  um  nm"},
        {"Units=mm  um  nm", 1, "kmm", nullptr},
        {"Units=mm  um  nm", 3, "", "Units=mm  um    "},
        {"Units=mm  um  nm", 4, "x", nullptr},
        {"Units=mm  um  nm", 0, "x", nullptr},
        {"Units=mm\tum", 2, "cm", "Units=mm\tcm"},
        {"Units=mm\tum", 2, "cmm", nullptr},  // the tab is not part of the field
        {"Units=a\t  b", 2, "cde", "Units=a\tcde"},  // the spaces after the tab are
        {"Units=a \t b", 2, "cd", "Units=a \tcd"},   // the tab stops the extension
        {"Units = a b  ", 2, "c", "Units =   a c"},  // the value is written back right-aligned
        {"Units=;mm um", 1, "x", nullptr},    // commented out: no words
        {"Units=", 1, "x", nullptr},
    };
    for (const auto& c : cases) {
        for (const LineEnd ends : {LineEnd::lf, LineEnd::crlf}) {
            SCOPED_TRACE(std::string(c.line) + " #" + std::to_string(c.index) + " <- " + c.text);
            const std::string before = with_line_ends(std::string("[S]\n") + c.line + "\nNext=1\n", ends);
            const std::string path = dir.write("w.ini", before);
            const int32_t result = RplNamedSubstringString("S", "Units", c.index, c.text, path.c_str());
            if (c.line_after == nullptr) {
                EXPECT_EQ(result, 0);
                EXPECT_EQ(read_bytes(path), before);
            } else {
                EXPECT_EQ(result, 1);
                EXPECT_EQ(read_bytes(path), with_line_ends(std::string("[S]\n") + c.line_after + "\nNext=1\n", ends));
            }
        }
    }
}

// A value longer than the rewrite's working size would come back cut; it is
// refused instead, whether or not the cut would fall on a blank.
TEST_F(ReplaceWord, LongValuesAreRefusedNotCut) {
    const std::string words = "a " + std::string(258, 'b') + " c d";  // 264 characters
    for (const std::string& value : {words, std::string(300, 'x') + " y"}) {
        const std::string before = "[S]\r\nUnits=" + value + "\r\n";
        const std::string path = dir.write("l.ini", before);
        EXPECT_EQ(RplNamedSubstringString("S", "Units", 1, "z", path.c_str()), 0);
        EXPECT_EQ(read_bytes(path), before);
    }
    const std::string fits = "a " + std::string(258, 'b');  // 260 characters
    const std::string path = dir.write("l.ini", "[S]\r\nUnits=" + fits + "\r\n");
    EXPECT_EQ(RplNamedSubstringString("S", "Units", 1, "z", path.c_str()), 1);
    EXPECT_EQ(read_bytes(path), "[S]\r\nUnits=z " + std::string(258, 'b') + "\r\n");
}

TEST_F(ReplaceWord, MissingFileNullArgumentsAndFailingSteps) {
    EXPECT_EQ(RplNamedSubstringString("S", "Units", 1, "x", dir.file("missing.ini").c_str()), 0);
    const std::string path = dir.write("n.ini", "[S]\nUnits=mm um\n");
    EXPECT_EQ(RplNamedSubstringString("S", "Units", 1, nullptr, path.c_str()), 0);
    EXPECT_EQ(RplNamedSubstringString("S", nullptr, 1, "x", path.c_str()), 0);
    EXPECT_EQ(read_bytes(path), "[S]\nUnits=mm um\n");
    xq::test::expect_all_or_nothing(dir, "f.ini", "[S]\r\nUnits = mm  um\r\n", [](const std::string& file) {
        return RplNamedSubstringString("S", "Units", 2, "cm", file.c_str());
    });
}

}  // namespace
