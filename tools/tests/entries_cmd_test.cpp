// xqutil get, set, pos and copy on a copy of the sample installation and on
// a file of cases of our own.
#include "support/file_bytes.h"
#include "tool_test.h"

namespace xqutil::test {
namespace {

const std::string kCasesFile = "@DIR/cases.ini";
const std::string kLogical = "@DIR/logical.ini";
const std::string kSecond = "@DIR/second.ini";

using EntryCommands = ToolTest;

TEST_F(EntryCommands, GetReadsValuesWordsFieldsCellsAndReferences) {
    const std::string c = kCasesFile;
    const std::vector<std::string> pos = {"get", c, "Table", "%Pos", "--array", "12", "--column"};
    const auto cell = [&](const char* column) {
        std::vector<std::string> arguments = pos;
        arguments.emplace_back(column);
        return arguments;
    };
    const Expected rows[] = {
        {{"get", kLogical, "MicStand", "Stand"}, 0, "Axial400 COM1\n", "", Wine::run},
        {{"get", kLogical, "micstand", "STAND", "--word", "2"}, 0, "COM1\n", ""},
        {{"get", kLogical, "OpticalPath", "ImagePathCount", "--int"}, 0, "2\n", ""},
        {{"get", "@DIR/none.ini", "Main", "Plain"}, 1, "", "cannot open '@DIR/none.ini' for reading"},
        {{"get", c, "Main", "Nope"}, 1, "", "no value for entry 'Nope' in section [Main] of '@DIR/cases.ini'",
         Wine::run},
        {{"get", c, "Main", "Plain", "--word", "3"}, 1, "", "has fewer than 3 words"},
        {{"get", c, "Main", "Comment"}, 0, "\n", ""},
        {{"get", c, "Main", "Comment", "--word", "1"}, 1, "", "is commented out"},
        {{"get", c, "Main", "Number", "--int"}, 0, "-17\n", ""},
        {{"get", c, "Main", "Word", "--int"}, 1, "", "the value 'abc' of entry 'Word'"},
        {cell("2"), 0, "16\n", ""},
        {cell("4"), 0, "8\n", ""},
        {cell("3"), 1, "", "cell 3 of entry 'Pos12' in section [Table] of '@DIR/cases.ini' is 'abc', not a"},
        {cell("9"), 1, "", "has fewer than 9 cells"},
        {{"get", c, "Table", "Factor", "--column", "2"}, 0, "4\n", ""},
        {{"get", c, "Table", "Factor", "--array", "1", "--column", "2"}, 2, "", "--array applies to entry names"},
        {{"get", c, "Table", "%Pos", "--column", "2"}, 2, "", "give the row with --array INDEX"},
        {{"get", c, "Table", "%" + std::string(39, 'P'), "--array", "1", "--column", "1"}, 2, "", "39 characters"},
        {{"get", c, "Main", "Row", "--field", "3"}, 0, "c\n", ""},
        {{"get", c, "Main", "Row", "--field", "5"}, 1, "", "Could not find entry Row in section Main of file @DIR"},
        {{"get", c, "Refs", "Obj", "--indirect"}, 0, "Section:  Stand\nEntry:    Type\n", ""},
        {{"get", c, "Refs", "Obj", "--indirect", kSecond}, 0, "Section:  Stand\nEntry:    Type\nValue:    Upright\n",
         "", Wine::run},
        {{"get", c, "Refs", "Dangling", "--indirect=" + kSecond}, 1, "", "leads to entry 'Missing' in section [Stand]"},
        {{"get", c, "Refs", "Single", "--indirect"}, 1, "", "is no reference"},
        {{"get", c, "Main", "Long"}, 0, std::string(4095, 'x') + "\n", "may be longer"},
    };
    for (const Expected& row : rows) expect(row);
}

TEST_F(EntryCommands, JsonIsValidWhateverTheBytes) {
#ifdef _WIN32
    // ANSI bytes (code page 1252 under the test's Wine) turned into UTF-8.
    const std::string tail = "gen\xC3\xBCgend gen\xC3\x83\xC2\xBCgend";
#else
    const std::string tail = "gen\\u00fcgend gen\xC3\xBCgend";  // a stray byte escaped, UTF-8 kept
#endif
    const std::string value = "a \\\"q\\\" \\\\ b\\tc \\u0001 " + tail;
    const std::string json = "{\n  \"file\": \"" + json_text(expand(kCasesFile)) +
                             "\",\n  \"section\": \"Main\",\n  \"entry\": \"Quote\",\n  \"value\": \"" + value +
                             "\",\n  \"truncated\": false\n}\n";
    expect({{"get", kCasesFile, "Main", "Quote", "--json"}, 0, json, "", Wine::run});
}

TEST_F(EntryCommands, SetRewritesInPlaceOrSaysWhyNot) {
    const struct {
        std::vector<std::string> arguments;  // after "set FILE Main"
        int status;
        std::string said;                // success: the value now; failure: part of the message
        std::string old_line, new_line;  // the one line that changes
        Wine wine = Wine::skip;
    } rows[] = {
        {{"Mode", "on"}, 0, "on", "Mode=fast", "Mode=  on", Wine::run},
        {{"Mode", "faster"}, 1, "a value of 6 characters does not fit the room of 4 characters", "", "", Wine::run},
        {{"Speed", "-5", "--int"}, 0, "-5", "Speed = 12", "Speed = -5"},
        {{"Speed", "1234", "--int"}, 1, "does not fit the room of 3 characters in the line of entry 'Speed' in section "
         "[Main] of '@DIR/cases.ini': give a value of at most 3 characters, or edit the file", "", ""},
        {{"List", "kpc", "--word", "2"}, 0, "mm kpc  nm", "List=mm  um  nm", "List=mm kpc  nm"},
        {{"List", "abcd", "--word", "2"}, 1, "a word of 4 characters does not fit the room of 3 characters of word 2 "
         "in the value of entry 'List' in section [Main] of '@DIR/cases.ini': give a word of at most 3 characters, or "
         "edit the file", "", ""},
        {{"List", "x", "--word", "4"}, 1, "has fewer than 4 words", "", ""},
        {{"Comment", "x", "--word", "1"}, 1, "is commented out", "", ""},
        // The rewritten line keeps the file's own line end (LF here).
        {{"Data", "20", "--field", "2"}, 0, "1,20,3", "Data=1,2,3\n", "Data=1,20,3\n", Wine::run},
        {{"Data", "9", "--field", "7"}, 1, "has 3 comma-separated fields, no field 7; give --word N", "", ""},
        {{"Data", "9", "--field", "7", "--force"}, 1, "9 could not be replaced in entry Data", "", ""},
        {{"Plain", "x", "--field", "1"}, 1, "'hello world' of entry 'Plain' in section [Main] of '@DIR/cases.ini' "
         "has no commas: --field 1 would replace all of it; give --word N to change one word, leave out --field to "
         "set the whole value, or --force", "", ""},
        {{"Plain", "x", "--field", "1", "--force"}, 0, "x", "Plain=hello world", "Plain=x"},
        {{"Bare", "x"}, 1, "the line of entry 'Bare' in section [Main] of '@DIR/cases.ini' has no '='", "", ""},
        {{"mode", "x"}, 1, "no line for entry 'mode' in section [Main]", "", ""},
    };
    for (const auto& row : rows) {
        if (!runs_here(row.wine)) continue;
        std::vector<std::string> arguments = {"set", kCasesFile, "Main"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        SCOPED_TRACE(row.arguments[0] + " " + row.arguments[1]);
        write("cases.ini", kCases);
        const ToolResult result = run(arguments);
        EXPECT_EQ(result.status, row.status) << result.err;
        std::string after = kCases;
        if (row.status == 0) {
            after.replace(after.find(row.old_line), row.old_line.size(), row.new_line);
            EXPECT_TRUE(has_line(result.out, "Value now:  " + row.said)) << result.out;
        } else {
            EXPECT_NE(result.err.find(expand(row.said)), std::string::npos) << result.err;
        }
        EXPECT_EQ(xq::test::read_bytes(file("cases.ini")), after);
    }
}

TEST_F(EntryCommands, PosAndCopy) {
    const std::string pos12 = std::to_string(kCases.find("Pos12="));
    const Expected rows[] = {
        {{"pos", kCasesFile, "Main", "Plain"}, 0, "7\n", "", Wine::run},
        {{"pos", kCasesFile, "Table", "Pos1"}, 0, pos12 + "\n", ""},  // names match over their length only
        {{"pos", kCasesFile, "main", "Plain"}, 1, "", "no line for entry 'Plain' in section [main]"},
        {{"copy", kCasesFile, "@DIR/copy.ini"},
         0,
         "Copied:  " + kCasesFile + "\nTo:      @DIR/copy.ini\n",
         "",
         Wine::run},
        {{"copy", kLogical, "@DIR/copy.ini", "--no-overwrite"}, 1, "", "'@DIR/copy.ini' exists already", Wine::run},
        {{"copy", "@DIR/none.ini", "@DIR/other.ini"}, 1, "", "cannot open '@DIR/none.ini' for reading"},
    };
    for (const Expected& row : rows) expect(row);
    EXPECT_EQ(xq::test::read_bytes(file("copy.ini")), kCases);
}

}  // namespace
}  // namespace xqutil::test
