// The commands on the sample installation and the file of cases: whole
// outputs of representative runs, refusals, and the installation broken in
// the ways the tool explains.
#include "tool_test.h"
#include "xq_utils.h"

namespace xqutil::test {
namespace {

using Commands = ToolTest;

TEST_F(Commands, EntryCommandsShowAndRewriteWhatTheLibraryReads) {
    const std::string c = "@DIR/cases.ini";
#ifdef _WIN32
    const std::string tail = "gen\xC3\xBCgend gen\xC3\x83\xC2\xBCgend";  // ANSI (code page 1252) as UTF-8
#else
    const std::string tail = "gen\\u00fcgend gen\xC3\xBCgend";  // a stray byte escaped, UTF-8 kept
#endif
    std::string json_file = expand(c);  // as a JSON string: backslashes doubled
    for (std::size_t at = json_file.find('\\'); at != std::string::npos; at = json_file.find('\\', at + 2))
        json_file.insert(at, 1, '\\');
    const Expected rows[] = {
        {{"get", "@DIR/logical.ini", "micstand", "STAND", "--word", "2"}, 0, "COM1\n", "", true},
        {{"get", "@DIR/none.ini", "Main", "Plain"}, 1, "", "cannot open '@DIR/none.ini' for reading"},
        {{"get", c, "Main", "Word", "--int"}, 1, "", "the value 'abc' of entry 'Word'"},
        {{"get", c, "Table", "%Pos", "--array", "12", "--column", "2"}, 0, "16\n", ""},
        {{"get", c, "Table", "%Pos", "--array", "12", "--column", "3"}, 1, "", "cell 3 of entry 'Pos12' in section "
         "[Table] of '@DIR/cases.ini' is 'abc', not a"},
        {{"get", c, "Main", "Row", "--field", "3"}, 0, "c\n", ""},
        {{"get", c, "Refs", "Obj", "--indirect", c}, 0, "Section:  Stand\nEntry:    Type\nValue:    Upright\n", "", true},
        {{"get", c, "Refs", "Dangling", "--indirect=" + c}, 1, "", "leads to entry 'Missing' in section [Stand]"},
        {{"get", c, "Main", "Long"}, 0, std::string(4095, 'x') + "\n", "may be longer"},
        {{"get", c, "Main", "Quote", "--json"}, 0, "{\n  \"file\": \"" + json_file + "\",\n  \"section\": \"Main\",\n  "
         "\"entry\": \"Quote\",\n  \"value\": \"a \\\"q\\\" \\\\ b\\tc \\u0001 " + tail + "\",\n  \"truncated\": "
         "false\n}\n", "", true},
        {{"get", c, "Mian", "Plain"}, 1, "", "no value for entry 'Plain' in section [Mian] of '@DIR/cases.ini' (missing "
         "or empty); did you mean [Main]?", true},
        // A bare file name not in the current directory is looked for under the root.
        {{"get", "logical.ini", "MicStand", "Stand"}, 0, "Axial400 COM1\n", "'logical.ini' is not in the current "
         "directory; using '@DIR@/logical.ini' under the installation root", true},
        {{"pos", c, "Main", "Plain"}, 0, "7\n", "", true},
        {{"pos", c, "Main", "Nmber"}, 1, "", "letter case included); did you mean 'Number'?"},
        {{"copy", c, "@DIR/copy.ini"}, 0, "Copied:  " + c + "\nTo:      @DIR/copy.ini\n", "", true},
        {{"copy", c, "@DIR/copy.ini", "--no-overwrite"}, 1, "", "'@DIR/copy.ini' exists already", true},
    };
    for (const Expected& row : rows) expect(row);
    EXPECT_EQ(xq::test::read_bytes(file("copy.ini")), kCases);

    const struct {
        std::vector<std::string> arguments;  // after "set FILE Main"
        std::string said;                    // success: the value now; failure: part of the message
        std::string old_line, new_line;      // the one line that changes; none on failure
        bool wine = false;
    } sets[] = {
        {{"Mode", "on"}, "on", "Mode=fast", "Mode=  on", true},
        {{"Mode", "faster"}, "a value of 6 characters does not fit the room of 4 characters in the line of entry 'Mode' in "
         "section [Main] of '@DIR/cases.ini': give a value of at most 4 characters, or edit the file", "", "", true},
        {{"List", "kpc", "--word", "2"}, "mm kpc  nm", "List=mm  um  nm", "List=mm kpc  nm"},
        {{"List", "abcd", "--word", "2"}, "a word of 4 characters does not fit the room of 3 characters of word 2", "", ""},
        {{"Data", "20", "--field", "2"}, "1,20,3", "Data=1,2,3\n", "Data=1,20,3\n", true},  // the file's own line end kept
        {{"Data", "9", "--field", "7"}, "has 3 comma-separated fields, no field 7; give --word N", "", ""},
        {{"Plain", "x", "--field", "1"}, "has no commas: --field 1 would replace all of it", "", ""},
        {{"Plain", "x", "--field", "1", "--force"}, "x", "Plain=hello world", "Plain=x"},
        {{"Bare", "x"}, "the line of entry 'Bare' in section [Main] of '@DIR/cases.ini' has no '='", "", ""},
    };
    for (const auto& row : sets) {
        if (!runs_here(row.wine)) continue;
        SCOPED_TRACE(row.arguments[0] + " " + row.arguments[1]);
        std::vector<std::string> arguments = {"set", c, "Main"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        write("cases.ini", kCases);
        const ToolResult result = run(arguments);
        std::string after = kCases;
        if (!row.old_line.empty()) after.replace(after.find(row.old_line), row.old_line.size(), row.new_line);
        EXPECT_EQ(result.status, row.old_line.empty() ? 1 : 0) << result.err;
        const std::string& shown = row.old_line.empty() ? result.err : result.out;
        EXPECT_NE(shown.find(row.old_line.empty() ? expand(row.said) : "Value now:  " + row.said + "\n"), std::string::npos)
            << shown;
        EXPECT_EQ(xq::test::read_bytes(file("cases.ini")), after);
    }
}

TEST_F(Commands, InstallationCommandsShowTheSampleInstallation) {
    const std::string t = "@DIR/data/focusglobal.ini";
    const Expected rows[] = {
        {{"components"}, 0,
         "Root directory:  @DIR  (the paths below are relative to it)\n\n"
         "Component   Enabled  Port  Mode  Stand  Server                 Interface                 Next layer\n"
         "Focus       yes      COM1  0     yes    bin@/qelfocus.exe       bin@/qelfocusapi.dll       -\n"
         "Stage       yes      COM2  1     no     bin@/qelstage.exe       bin@/qelstageapi.dll       StageController\n"
         "Nosepiece   yes      COM1  0     yes    bin@/qelnosepiece.exe   bin@/qelnosepieceapi.dll   StandBus\n"
         "Reflector   yes      COM1  0     yes    bin@/qelreflector.exe   bin@/qelreflectorapi.dll   StandBus\n"
         "Lamp        yes      COM1  2     yes    bin@/qellamp.exe        bin@/qellampapi.dll        -\n"
         "Shutter     yes      COM1  0     yes    bin@/qelshutter.exe     -                         -\n"
         "CameraPort  yes      COM1  0     no     bin@/qelcameraport.exe  bin@/qelcameraportapi.dll  -\n"
         "Condenser   no       -     -     no     -                      -                         -\n", "", true},
        {{"stand"}, 0, "Stand:             Axial400\nPort:              COM1\nStand entry:       Axial400\nStand "
         "components:\n  Focus\n  Nosepiece\n  Reflector\n  Lamp\n  Shutter\n", ""},
        {{"optical-path"}, 0, "Image paths:         2\nImage path devices:  3\n\nIndex  Entry                 Value\n"
         "   -1  ImagePathCount        2\n    0  ImagePathDeviceCount  3\n    1  Eyepiece              Reflector "
         "Nosepiece\n    2  Camera                CameraPort Reflector Nosepiece\n", ""},
        {{"component", "stage"}, 0, "Server data:               @DIR@/data@/stage.dat\nGlobal data file:          "
         "@DIR@/data@/stageglobal.ini\nOperational data file:     @DIR@/data@/stageoper.ini\nGlobal data section:       "
         "StageGlobal\nOperational data section:  StageOper\nNext layer:                StageController\nNext layer "
         "server:         @DIR@/servers@/controller.exe\n", "", true, true},
        {{"component", "Focus", "--json"}, 0, "\"next_layer\": null,\n  \"next_layer_server\": null,", "", false, true},
        {{"component", "Focus", "--raw"}, 0, "\nPhysical server:           @DIR\\servers\\focus.exe\n", "", false, true},
        {{"component", "Condenser"}, 1, "Physical interface:        not set\n", "component 'Condenser' is not fitted",
         true, true},
        {{"component", "Stag"}, 1, "", "no component 'Stag' in section [Configuration] of '@DIR@/logical.ini'; did "
         "you mean 'Stage'?"},
        {{"optical-path", "--log-conf", ""}, 1, "", "its name is not set (registry value LogConfFile, or --log-conf)"},
        {{"table", t, "FocusGlobal"}, 0, "Rows:             6\nBlock size:       " +
         std::to_string(sizeof(LcvDataHandle) + 68) + "  (bytes)\nControl column:   Steps\nPhysical limits:  4000 ... "
         "396000\n\nColumn   Unit   Factor  Divider  Logical limits\n"
         "Steps    steps       1        1  4000 ... 396000  4000 steps ... 396000 steps  (control)\n"
         "Focus    um         10        1  1001 ... 99000   100.1 um ... 9900.0 um\n"
         "FocusMM  mm       1000        1  100 ... 9900     .100 mm ... 9.900 mm\n"
         "Height   mm        100        1  260 ... 1240     2.60 mm ... 12.40 mm\n\n"
         "Row    Steps   Focus  FocusMM  Height\nPos1       0       0        0    1250\n", "", true, true},
        {{"convert", t, "FocusGlobal", "Focus", "--to-phy", "20012", "--text"}, 0, "Column:          Focus  (um)\n"
         "Logical value:   20012\nPhysical value:  80000\nText:            2001.2 um\n", "", true},
        // Beyond the logical limits a value is held to them.
        {{"convert", t, "FocusGlobal", "Focus", "--to-phy", "200000"}, 0, "Column:          Focus  (um)\nLogical "
         "value:   200000  (held to the logical limits 1001 ... 99000: 99000)\nPhysical value:  395999\n", ""},
        {{"convert", t, "FocusGlobal", "Height", "--to-phy", "1050", "--json"}, 0, "{\n  \"column\": \"Height\",\n  "
         "\"logical\": 1050,\n  \"logical_used\": 1050,\n  \"physical\": 80000\n}\n", ""},
        {{"convert", t, "FocusGlobal", "Focus", "--to-log", "500000"}, 1, "Column:          Focus  (um)\nPhysical "
         "value:  500000\nLogical value:   0\n", "the physical value 500000 lies outside the table (control positions "
         "0 ... 400000), so the library converts it to 0", true},
        {{"table", "@DIR/physical.ini", "FocusServer"}, 1, "", "section [FocusServer] of '@DIR/physical.ini' is no "
         "conversion table: it has no TableLength entry", true},
        {{"check"}, 0, "no problems found\n", "", true},
    };
    for (const Expected& row : rows) expect(row);
}

// One change to the installation and what the tool then says.
struct Breakage {
    std::string file, from, to;  // `from` empty: the file is removed
    Expected expected;
};

TEST_F(Commands, BrokenInstallationsAreReportedWhereTheFaultIs) {
    const std::string L = "@DIR@/logical.ini", P = "@DIR@/physical.ini", D = "@DIR@/data@/focusglobal.ini";
    const std::string log = "logical.ini", phy = "physical.ini", data = "data/focusglobal.ini";
    const std::string t = "@DIR/data/focusglobal.ini";
    const Breakage rows[] = {
        {log, "Stand=Axial400 COM1", "Stand=None", {{"stand"}, 1, "", "no stand is configured: entry 'Stand' in "
         "section [MicStand] of '@DIR@/logical.ini'"}},
        {log, "[Configuration]", "[Config]", {{"components"}, 1, "", "section [Configuration] of '@DIR@/logical.ini' "
         "lists no components"}},
        {phy, "NextLayer=StageController", "NextLayer=StageCtl", {{"component", "Stage"}, 1, "Component:", "component "
         "'Stage' does not resolve:\n  " + P + " [StageServer] NextLayer: the next layer 'StageCtl' is not a section of "
         "this file\n", true, true}},
        {data, "TableLength=6", "TableLength=1", {{"convert", t, "FocusGlobal", "Focus", "--to-phy", "1"}, 1, "Column:  "
         "        Focus  (um)\nLogical value:   1  (held to the logical limits 0 ... 0: 0)\nPhysical value:  4000\n", "the "
         "table has fewer than two rows, so the library converts every value to 0"}},
        // The library reads a broken row all the same: the result stands, with a warning.
        {data, "4002    850", "4OO2    850", {{"convert", t, "FocusGlobal", "FocusMM", "--to-log", "160000"}, 0,
         "Column:          FocusMM  (mm)\nPhysical value:  160000\nLogical value:   4\n", "xqutil convert: warning: " + D +
         " [FocusGlobal] Pos3: the cell '4OO2' of column FocusMM is not a number"}},
        {phy, "", "", {{"check"}, 1, P + ": cannot be opened\n", "1 problem found"}},
        {log, "Focus=FocusDrive", "Focus=FocusDrv", {{"check"}, 1, L + " [Configuration] Focus: its physical entry "
         "'FocusDrv' is not in section [Focus] of '" + P + "'\n", "1 problem found", true}},
        {"servers/focus.exe", "", "", {{"check"}, 1, P + " [FocusServer] Server: 'servers@/focus.exe' does not exist "
         "under the root directory\n", "1 problem found", true}},
        {log, "ImagePathCount=2", "ImagePathCount=3", {{"check"}, 1, L + " [OpticalPath] ImagePathCount: is 3, but the "
         "section has 2 image paths (Eyepiece, Camera)\n", "1 problem found"}},
        {data, "TableLength=6", "TableLength=5", {{"check"}, 1, D + " [FocusGlobal] Pos6: is not read: the rows are "
         "Pos1 ... Pos5 (TableLength 5)\n" + D + " [FocusGlobal] MaxPhyData: 396000 lies outside the physical range 0 "
         "... 320000 of the control column Steps: its logical limit becomes 0\n", "2 problems found"}},
        {data, "ControlName=Steps", "ControlName=steps", {{"check", "--json"}, 1, "{\n  \"problems\": [\n    {\n      "
         "\"file\": \"" + D + "\",\n      \"section\": \"FocusGlobal\",\n      \"entry\": \"ControlName\",\n      "
         "\"problem\": \"'steps' is not one of the columns (Steps Focus FocusMM Height; letter case counts)\"\n    }\n"
         "  ],\n", "1 problem found", false, true}},
    };
    for (const Breakage& row : rows) {
        if (!runs_here(row.expected.wine)) continue;
        restore();
        edit(row.file, row.from, row.to);
        expect(row.expected);
    }
    // Without settings, each missing one is named where it lives.
    restore();
    xq::test::registry_clear();
#ifdef _WIN32
    const std::string at = "registry [HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenvik\\Vorta XQ SDK";
#else
    const std::string at = std::getenv("XQ_UTILS_REGISTRY") + std::string(" [HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenvik\\Vorta "
                                                                          "XQ SDK");
#endif
    expect({{"check"}, 1, at + "] CurrentVersion: not set: the kit's settings are not installed\n" + at +
            "\\<CurrentVersion>\\Ini] VortaRoot: not set: no root directory (or --root)\n" + at + "\\<CurrentVersion>\\"
            "Ini] LogConfFile: not set: no logical configuration file (or --log-conf)\n" + at + "\\<CurrentVersion>\\Ini]"
            " PhyConfFile: not set: no physical configuration file (or --phy-conf)\n", "4 problems found", true});
    expect({{"check", "--root", "@DIR", "--log-conf", "logical.ini", "--phy-conf", "physical.ini"}, 0,
            "no problems found\n", ""});
}

// With its configuration and data files in UTF-16LE (with the byte-order
// mark), the installation shows and checks as the 8-bit one.
TEST_F(Commands, Utf16InstallationGivesTheSameOutput) {
    const std::vector<std::vector<std::string>> commands = {
        {"components", "--json"}, {"check", "--json"}, {"optical-path", "--json"}, {"stand"}};
    std::vector<ToolResult> eight_bit;
    for (const auto& arguments : commands) eight_bit.push_back(run(arguments));
    std::filesystem::remove(file("cases.ini"));
    for (const auto& each : std::filesystem::recursive_directory_iterator(dir()))
        if (each.path().extension() == ".ini")
            write(each.path().string(), xq::test::utf16_bytes(xq::test::read_bytes(each.path().string())));
    for (std::size_t i = 0; i < commands.size(); ++i) {
        EXPECT_EQ(eight_bit[i].status, 0) << eight_bit[i].err;
        const ToolResult wide = run(commands[i]);
        EXPECT_EQ(wide.status, eight_bit[i].status) << commands[i][0];
        EXPECT_EQ(wide.out, eight_bit[i].out) << commands[i][0];
        EXPECT_EQ(wide.err, eight_bit[i].err) << commands[i][0];
    }
}

}  // namespace
}  // namespace xqutil::test
