// The line scanner of in-place rewriting: finding an entry's line and the
// value field in it. (What is written there is tested on disk.)
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "named/in_place.h"
#include "support/temp_dir.h"

namespace {

using xq::test::LineEnd;
using xq::test::with_line_ends;

constexpr LineEnd kBothEnds[] = {LineEnd::lf, LineEnd::crlf};

// The offset of `line_text` in `contents` (which must hold it).
std::size_t offset_of(const std::string& contents, const std::string& line_text) {
    const std::size_t at = contents.find(line_text);
    EXPECT_NE(at, std::string::npos) << line_text;
    return at;
}

TEST(FindEntryLine, FollowsTheScannerRules) {
    const struct {
        const char* label;
        const char* contents;  // "\n" line ends
        const char* section;
        const char* entry;
        const char* line;  // the line found, or null
    } cases[] = {
        {"plain", "[A]\nx=1\n", "A", "x", "x=1"},
        {"second entry", "[A]\nw=0\nx=1\n", "A", "x", "x=1"},
        {"prefix of the entry", "[S]\nPos10=5\nPos1=4\n", "S", "Pos1", "Pos10=5"},
        {"prefix of the section", "[Stand2]\nx=1\n", "Stand", "x", "x=1"},
        {"case of the section", "[stand]\nx=1\n", "Stand", "x", nullptr},
        {"case of the entry", "[A]\nX=1\n", "A", "x", nullptr},
        {"blanks in the brackets", "[ A]\nx=1\n", "A", "x", nullptr},
        {"indented entry", "[A]\n x=1\n", "A", "x", nullptr},
        {"entry before any header", "x=1\n[A]\ny=1\n", "A", "x", nullptr},
        {"entry of another section", "[B]\nx=1\n[A]\ny=1\n", "A", "x", nullptr},
        {"comment line", "[A]\n;x=1\nx=2\n", "A", "x", "x=2"},
        {"commented entry by name", "[A]\n;x=1\nx=2\n", "A", ";x", ";x=1"},
        {"later header of the section", "[A]\nx=1\n[B]\ny=1\n[A]\ny=2\n", "A", "y", "y=2"},
        {"header right after the walk", "[A]\nx=1\n[A]\ny=2\n", "A", "y", nullptr},
        {"header after a skipped one", "[A]\n[B]\n[A]\ny=2\n", "A", "y", "y=2"},
        {"header on the last line", "[A]", "A", "x", nullptr},
        {"last line without line end", "[A]\nx=1", "A", "x", "x=1"},
        {"empty entry name", "[A]\nx=1\n", "A", "", nullptr},
        {"empty section name matches any header", "[Q]\nx=1\n", "", "x", "x=1"},
        {"empty file", "", "A", "x", nullptr},
    };
    for (const auto& c : cases) {
        for (const LineEnd ends : kBothEnds) {
            SCOPED_TRACE(std::string(c.label) + (ends == LineEnd::crlf ? " (CR LF)" : " (LF)"));
            const std::string contents = with_line_ends(c.contents, ends);
            const std::optional<std::size_t> found = xq::named::find_entry_line(contents, c.section, c.entry);
            if (c.line == nullptr) {
                EXPECT_FALSE(found.has_value());
            } else {
                ASSERT_TRUE(found.has_value());
                EXPECT_EQ(*found, offset_of(contents, std::string("\n") + c.line) + 1);
            }
        }
    }
}

TEST(FindEntryLine, LinesEndAtLfCrLfAndLoneCr) {
    EXPECT_EQ(xq::named::find_entry_line("[A]\rx=1\r", "A", "x"), 4u);
    EXPECT_EQ(xq::named::find_entry_line("[A]\r\rx=1", "A", "x"), 5u) << "an empty line between";
    EXPECT_EQ(xq::named::find_entry_line("[A]\n\r\nx=1", "A", "x"), 6u);
    EXPECT_EQ(xq::named::find_entry_line("[A]\r\n\n\rx=1", "A", "x"), 7u);
}

// Long lines are whole lines: a name never matches inside one, however long.
TEST(FindEntryLine, LongLinesAreNotCutIntoPieces) {
    const std::string long_value(257, 'a');
    const std::string contents = "[A]\ny=" + long_value + "x=5\n[B]\nx=6\n[A]\nx=7\n";
    EXPECT_EQ(xq::named::find_entry_line(contents, "A", "x"), contents.find("x=7"));
    const std::string long_header = "[" + std::string(600, 'S') + "]\nx=1\n";
    EXPECT_EQ(xq::named::find_entry_line(long_header, std::string(600, 'S'), "x"), long_header.find("x=1"));
}

TEST(ValueField, RunsFromTheFirstEqualsToTheLineEnd) {
    const struct {
        const char* line;
        std::optional<std::string> field;
    } cases[] = {
        {"Mode=fast\r\n", "fast"},
        {"Speed = 12\n", " 12"},
        {"Speed=\n", ""},
        {"Speed\n", std::nullopt},
        {"Speed\nNext=1\n", std::nullopt},  // the next line's "=" is not this line's
        {"a=b=c\n", "b=c"},
        {"Mode=fast", "fast"},        // no line end: to the end of the file
        {"Mode=fast\r", "fast"},      // a CR at the end of the file ends the line
        {"Mode=fa\rst\n", "fa"},      // so does a CR alone anywhere
        {"Mode=\t v \t\r\n", "\t v \t"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string contents = std::string("[S]\n") + c.line;
        const auto field = xq::named::value_field(contents, 4);
        ASSERT_EQ(field.has_value(), c.field.has_value());
        if (!field) continue;
        EXPECT_EQ(contents.substr(field->offset, field->size), *c.field);
    }
}

}  // namespace
