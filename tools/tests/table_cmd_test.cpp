// xqutil table and convert on the sample installation's focus table and on
// broken copies of it.
#include "installation_test.h"

#include "xq_utils.h"

namespace xqutil::test {
namespace {

using TableCommands = InstallationTest;

const std::string kTable = "@DIR/data/focusglobal.ini";
const std::string kData = "data/focusglobal.ini";
// The focus table's block: the header of this platform's layout, 68 bytes of
// name, unit and six rows of two cells.
const std::string kBlockSize = std::to_string(sizeof(LcvDataHandle) + 68);

TEST_F(TableCommands, ShowsTheTableAsTheLibraryReadsIt) {
    expect({{"table", kTable, "FocusGlobal"},
            0,
            lines({"File:             " + kTable,
                   "Section:          FocusGlobal",
                   "Rows:             6",
                   "Block size:       " + kBlockSize + "  (bytes)",
                   "Control column:   Steps",
                   "Physical limits:  4000 ... 396000",
                   "",
                   "Column   Unit   Factor  Divider  Logical limits",
                   "Steps    steps       1        1  4000 ... 396000  4000 steps ... 396000 steps  (control)",
                   "Focus    um         10        1  1001 ... 99000   100.1 um ... 9900.0 um",
                   "FocusMM  mm       1000        1  100 ... 9900     .100 mm ... 9.900 mm",
                   "Height   mm        100        1  260 ... 1240     2.60 mm ... 12.40 mm",
                   "",
                   "Row    Steps   Focus  FocusMM  Height",
                   "Pos1       0       0        0    1250",
                   "Pos2   80000   20012     2001    1050",
                   "Pos3  160000   40020     4002     850",
                   "Pos4  240000   60015     6002     650",
                   "Pos5  320000   80006     8001     450",
                   "Pos6  400000  100000    10000     250"}),
            "",
            Wine::run});
    const ToolResult json = run({"table", kTable, "FocusGlobal", "--json"});
    EXPECT_EQ(json.status, 0);
    for (const char* part :
         {"\"table_length\": 6,", "\"control_column\": \"Steps\",",
          "\"name\": \"Height\",\n      \"unit\": \"mm\",\n      \"factor\": 100,\n      \"divider\": 1,\n"
          "      \"control\": false,\n      \"min_logical\": 260,\n      \"max_logical\": 1240\n",
          "\"entry\": \"Pos6\",\n      \"text\": \"400000 100000  10000    250\",",
          "{\n          \"column\": \"Height\",\n          \"value\": 250\n        }\n"}) {
        EXPECT_NE(json.out.find(part), std::string::npos) << part << "\n" << json.out;
    }
}

TEST_F(TableCommands, ConvertsBothWays) {
    const auto with = [&](std::vector<std::string> tail, const std::string& column = "Focus") {
        std::vector<std::string> arguments = {"convert", kTable, "FocusGlobal", column};
        arguments.insert(arguments.end(), tail.begin(), tail.end());
        return arguments;
    };
    const Expected rows[] = {
        {with({"--to-phy", "20012", "--text"}), 0,
         lines({"Column:          Focus  (um)", "Logical value:   20012", "Physical value:  80000",
                "Text:            2001.2 um"}),
         "", Wine::run},
        {with({"--to-log", "80000", "--text", "--decimals", "1"}, "FocusMM"), 0,
         lines({"Column:          FocusMM  (mm)", "Physical value:  80000", "Logical value:   2001",
                "Text:            2.0 mm"}),
         ""},
        // Beyond the logical limits the value is held to them; the falling
        // Height column runs against the control column.
        {with({"--to-phy", "200000"}), 0,
         lines({"Column:          Focus  (um)",
                "Logical value:   200000  (held to the logical limits 1001 ... 99000: 99000)",
                "Physical value:  395999"}),
         ""},
        {with({"--to-phy", "1050", "--json"}, "Height"), 0,
         "{\n  \"column\": \"Height\",\n  \"logical\": 1050,\n  \"logical_used\": 1050,\n  \"physical\": 80000\n}\n",
         ""},
        {with({"--to-log", "500000", "--text"}), 1,
         lines({"Column:          Focus  (um)", "Physical value:  500000", "Logical value:   0"}),
         "the physical value 500000 lies outside the table (control positions 0 ... 400000), so the library "
         "converts it to 0",
         Wine::run},
        {with({"--to-phy", "1"}, "focus"), 1, "", "'focus' is not a column of section [FocusGlobal]"},
        {with({"--to-phy", "1", "--to-log", "1"}), 2, "", "give one of --to-phy VALUE and --to-log VALUE"},
        {with({}), 2, "", "give one of --to-phy VALUE and --to-log VALUE"},
        {with({"--to-phy", "1", "--decimals", "2"}), 2, "", "--decimals goes with --text"},
        {with({"--to-phy", "1", "--text", "--decimals", "10"}), 2, "", "--decimals must be from 0 to 9"},
        {with({"--to-log", "1.5"}), 2, "", "--to-log needs a whole number, not '1.5'"},
    };
    for (const Expected& row : rows) expect(row);
}

TEST_F(TableCommands, RefuseWhatIsNoTableAndWarnOfBrokenRows) {
    const struct {
        std::vector<Edit> edits;
        Expected expected;
    } rows[] = {
        {{}, {{"table", "@DIR/data/none.ini", "FocusGlobal"}, 1, "", "cannot open '@DIR/data/none.ini' for reading"}},
        {{},
         {{"table", "@DIR/physical.ini", "FocusServer"},
          1,
          "",
          "section [FocusServer] of '@DIR/physical.ini' is no conversion table: it has no TableLength entry",
          Wine::run}},
        // No block is made for rows that cannot be there.
        {{{kData, "TableLength=6", "TableLength=2000000000"}},
         {{"table", kTable, "FocusGlobal"},
          1,
          "",
          "TableLength 2000000000 of section [FocusGlobal] of '" + kTable + "' does not fit the section's 16 entries"}},
        {{{kData, "TableLength=6", "TableLength=1"}},
         {{"convert", kTable, "FocusGlobal", "Focus", "--to-phy", "1"},
          1,
          lines({"Column:          Focus  (um)", "Logical value:   1  (held to the logical limits 0 ... 0: 0)",
                 "Physical value:  4000"}),
          "the table has fewer than two rows, so the library converts every value to 0"}},
        // The library reads a broken row all the same: the result stands, with a warning.
        {{{kData, "4002    850", "4OO2    850"}},
         {{"convert", kTable, "FocusGlobal", "FocusMM", "--to-log", "160000"},
          0,
          lines({"Column:          FocusMM  (mm)", "Physical value:  160000", "Logical value:   4"}),
          "xqutil convert: warning: " + kTable + " [FocusGlobal] Pos3: the cell '4OO2' of column FocusMM is not a "
          "number"}},
        {{{kData, "ColumnName=", "ColumnNames="}},
         {{"convert", kTable, "FocusGlobal", "Focus", "--to-phy", "1"}, 1, "", "'Focus' is not a column"}},
    };
    for (const auto& row : rows) {
        if (!runs_here(row.expected.wine)) continue;
        restore();
        edit(row.edits);
        expect(row.expected);
    }
}

}  // namespace
}  // namespace xqutil::test
