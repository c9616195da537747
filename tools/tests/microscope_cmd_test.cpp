// xqutil stand, components, component and optical-path on a copy of the
// sample installation, whole and broken.
#include "installation_test.h"
#include "support/test_registry.h"

namespace xqutil::test {
namespace {

using MicroscopeCommands = InstallationTest;

const std::string kLogical = "logical.ini";
const std::string kPhysical = "physical.ini";

TEST_F(MicroscopeCommands, ShowTheSampleMicroscope) {
    const Expected rows[] = {
        {{"stand"},
         0,
         lines({"Stand:             Axial400", "Port:              COM1", "Stand entry:       Axial400",
                "Stand components:", "  Focus", "  Nosepiece", "  Reflector", "  Lamp", "  Shutter"}),
         "",
         Wine::run},
        {{"components"},
         0,
         lines({"Root directory:  @DIR  (the paths below are relative to it)", "",
                "Component   Enabled  Port  Mode  Stand  Server                 Interface                 Next layer",
                "Focus       yes      COM1  0     yes    bin@/qelfocus.exe       bin@/qelfocusapi.dll       -",
                "Stage       yes      COM2  1     no     bin@/qelstage.exe       bin@/qelstageapi.dll       "
                "StageController",
                "Nosepiece   yes      COM1  0     yes    bin@/qelnosepiece.exe   bin@/qelnosepieceapi.dll   StandBus",
                "Reflector   yes      COM1  0     yes    bin@/qelreflector.exe   bin@/qelreflectorapi.dll   StandBus",
                "Lamp        yes      COM1  2     yes    bin@/qellamp.exe        bin@/qellampapi.dll        -",
                "Shutter     yes      COM1  0     yes    bin@/qelshutter.exe     -                         -",
                "CameraPort  yes      COM1  0     no     bin@/qelcameraport.exe  bin@/qelcameraportapi.dll  -",
                "Condenser   no       -     -     no     -                      -                         -"}),
         "",
         Wine::run},
        {{"optical-path"},
         0,
         lines({"Image paths:         2", "Image path devices:  3", "", "Index  Entry                 Value",
                "   -1  ImagePathCount        2", "    0  ImagePathDeviceCount  3",
                "    1  Eyepiece              Reflector Nosepiece",
                "    2  Camera                CameraPort Reflector Nosepiece"}),
         ""},
        {{"stand", "--json"},
         0,
         "{\n  \"stand\": \"Axial400\",\n  \"port\": \"COM1\",\n  \"stand_entry\": \"Axial400\",\n"
         "  \"stand_components\": [\n    {\n      \"component\": \"Focus\"\n    },\n    {\n      \"component\": "
         "\"Nosepiece\"\n    },\n    {\n      \"component\": \"Reflector\"\n    },\n    {\n      \"component\": "
         "\"Lamp\"\n    },\n    {\n      \"component\": \"Shutter\"\n    }\n  ]\n}\n",
         ""},
    };
    for (const Expected& row : rows) expect(row);
}

TEST_F(MicroscopeCommands, ComponentShowsItsPhysicalServerInterface) {
    const ToolResult stage = run({"component", "stage"});  // names compare without regard to letter case
    EXPECT_EQ(stage.status, 0) << stage.err;
    for (const char* line :
         {"Component:                 stage", "Mode:                      1", "Physical entry:            ScanStage",
          "Server section:            StageServer", "Server data:               @DIR@/data@/stage.dat",
          "Global data section:       StageGlobal", "Next layer:                StageController",
          "Next layer server:         @DIR@/servers@/controller.exe", "Next layer oper. data:     ControllerOper"}) {
        EXPECT_TRUE(has_line(stage.out, expand(line))) << line << "\n" << stage.out;
    }
    if (!runs_here(Wine::skip)) return;
    // Without a next layer its lookups are left out of the text, and null in JSON.
    const ToolResult focus = run({"component", "Focus"});
    EXPECT_TRUE(has_line(focus.out, "Next layer:                not set"));
    EXPECT_EQ(focus.out.find("Next layer server"), std::string::npos);
    const ToolResult json = run({"component", "Focus", "--json"});
    EXPECT_NE(json.out.find("\"next_layer_server\": null,"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"physical_server\": \"" + json_text(expand("@DIR@/servers@/focus.exe")) + "\""),
              std::string::npos);
    // --raw shows the path as the library gives it.
    EXPECT_TRUE(has_line(run({"component", "Focus", "--raw"}).out,
                         expand("Physical server:           @DIR\\servers\\focus.exe")));
}

TEST_F(MicroscopeCommands, SayWhatIsNotConfigured) {
    const struct {
        std::vector<Edit> edits;
        Expected expected;
    } rows[] = {
        {{},
         {{"component", "Condenser"},
          1,
          lines({"Component:                 Condenser", "Enabled:                   no",
                 "Port:                      not set", "Mode:                      not set",
                 "Stand component:           no", "Server:                    not set",
                 "Interface:                 not set", "Physical entry:            not set",
                 "Server section:            not set", "Physical server:           not set",
                 "Physical interface:        not set", "Server data:               not set",
                 "Global data file:          not set", "Operational data file:     not set",
                 "Global data section:       not set", "Operational data section:  not set",
                 "Next layer:                not set"}),
          "component 'Condenser' is not fitted",
          Wine::run}},
        {{},
         {{"component", "Turret"}, 1, "", "no component 'Turret' in section [Configuration] of '@DIR@/logical.ini'"}},
        {{{kLogical, "Stand=Axial400 COM1", "Stand=None"}},
         {{"stand"}, 1, "", "no stand is configured: entry 'Stand' in section [MicStand] of '@DIR@/logical.ini'"}},
        {{{kPhysical, "Axial400=Axial400 Inverted", "Axial500=Axial500 Inverted"}},
         {{"stand"},
          1,
          lines({"Stand:             not set", "Port:              COM1", "Stand entry:       Axial400",
                 "Stand components:", "  Focus", "  Nosepiece", "  Reflector", "  Lamp", "  Shutter"}),
          "the stand entry 'Axial400' is not in section [Stand] of the physical configuration file "
          "'@DIR@/physical.ini'"}},
        {{{kLogical, "[Configuration]", "[Config]"}},
         {{"components"}, 1, "", "section [Configuration] of '@DIR@/logical.ini' lists no components"}},
        {{{kLogical, "[OpticalPath]", "[Optical]"}},
         {{"optical-path"}, 1, "Image paths:         0\nImage path devices:  0\n", "has no section [OpticalPath]"}},
    };
    for (const auto& row : rows) {
        if (!runs_here(row.expected.wine)) continue;
        restore();
        edit(row.edits);
        expect(row.expected);
    }
}

// A component whose links do not resolve is shown, and the missing link named.
TEST_F(MicroscopeCommands, ComponentNamesTheMissingLink) {
    const struct {
        Edit edit;
        std::string missing;
    } rows[] = {
        {{kLogical, "Stage=ScanStage", "Stage=ScanStag"},
         "component 'Stage' does not resolve:\n  @DIR@/logical.ini [Configuration] Stage: its physical entry "
         "'ScanStag' is not in section [Stage] of '@DIR@/physical.ini'\n"},
        {{kPhysical, "E StageServer", "E StageSrv"},
         "[Stage] ScanStage: its server section 'StageSrv' is not a section of this file\n"},
        {{kPhysical, "NextLayer=StageController", "NextLayer=StageCtl"},
         "[StageServer] NextLayer: the next layer 'StageCtl' is not a section of this file\n"},
    };
    for (const auto& row : rows) {
        restore();
        edit({row.edit});
        const ToolResult result = run({"component", "Stage"});
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(result.err.ends_with(expand(row.missing))) << result.err;
        EXPECT_TRUE(result.out.starts_with("Component:")) << result.out;
    }
}

TEST_F(MicroscopeCommands, MistypedNamesGetSuggestions) {
    const std::string table = "@DIR/data/focusglobal.ini";
    const Expected rows[] = {
        {{"tabel"}, 2, "", "unknown command 'tabel'; did you mean 'table'?"},
        {{"get", "@DIR/cases.ini", "Mian", "Plain"}, 1, "", "(missing or empty); did you mean [Main]?"},
        {{"get", "@DIR/cases.ini", "Main", "Plian"}, 1, "", "(missing or empty); did you mean 'Plain'?"},
        {{"pos", "@DIR/cases.ini", "Main", "Nmber"}, 1, "", "letter case included); did you mean 'Number'?"},
        {{"table", table, "FocusGlobl"}, 1, "", "has no TableLength entry; did you mean [FocusGlobal]?"},
        {{"convert", table, "FocusGlobal", "Hieght", "--to-phy", "1"}, 1, "", "counts); did you mean 'Height'?"},
        {{"convert", table, "FocusGlobal", "focusmm", "--to-phy", "1"}, 1, "", "counts); did you mean 'FocusMM'?"},
        {{"component", "Stag"}, 1, "", "of '@DIR@/logical.ini'; did you mean 'Stage'?"},
        {{"component", "Nothing"}, 1, "", "of '@DIR@/logical.ini'\n"},
    };
    for (const Expected& row : rows) expect(row);
}

// A bare file name not in the current directory is looked for under the root.
TEST_F(MicroscopeCommands, BareFileNamesAreFoundUnderTheRoot) {
    expect({{"get", "logical.ini", "MicStand", "Stand"},
            0,
            "Axial400 COM1\n",
            "'logical.ini' is not in the current directory; using '@DIR@/logical.ini' under the installation root",
            Wine::run});
    expect({{"table", "focusglobal.ini", "FocusGlobal"}, 1, "", "cannot open 'focusglobal.ini' for reading"});
}

TEST_F(MicroscopeCommands, NeedTheConfigurationFiles) {
    const Expected rows[] = {
        {{"components", "--root", "@DIR/elsewhere"}, 1, "", "cannot open the logical configuration file", Wine::run},
        {{"optical-path", "--log-conf", ""}, 1, "", "its name is not set (registry value LogConfFile, or --log-conf)"},
    };
    for (const Expected& row : rows) expect(row);
    xq::test::registry_clear();
    expect({{"stand"}, 1, "", "the root directory is not set (registry value VortaRoot, or --root)", Wine::run});
}

using NewCommands = ToolTest;

TEST_F(NewCommands, HaveHelp) {
    const ToolResult overview = run({"--help"});
    for (const std::string command :
         {"stand", "components", "component", "optical-path", "table", "convert", "check"}) {
        SCOPED_TRACE(command);
        EXPECT_NE(overview.out.find("\n  " + command + " "), std::string::npos);
        if (!runs_here(command == "check" ? Wine::run : Wine::skip)) continue;
        const ToolResult help = run({command, "--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_TRUE(help.out.starts_with("usage: xqutil " + command)) << help.out;
        EXPECT_NE(help.out.find("Exit status: 0"), std::string::npos);
    }
}

}  // namespace
}  // namespace xqutil::test
