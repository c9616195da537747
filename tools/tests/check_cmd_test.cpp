// xqutil check: the sample installation passes; copies of it broken in each
// way the check knows are reported at the file, section and entry at fault.
#include <cstdlib>

#include "installation_test.h"
#include "support/test_registry.h"

namespace xqutil::test {
namespace {

using CheckCommand = InstallationTest;

const std::string kLogical = "logical.ini";
const std::string kPhysical = "physical.ini";
const std::string kData = "data/focusglobal.ini";
// The files as the library names them in the problems.
const std::string L = "@DIR@/logical.ini";
const std::string P = "@DIR@/physical.ini";
const std::string D = "@DIR@/data@/focusglobal.ini";

struct Breakage {
    std::vector<Edit> edits;
    std::vector<std::string> removed;
    std::vector<std::string> problems;
    Wine wine = Wine::skip;
};

TEST_F(CheckCommand, TheSampleInstallationIsClean) { expect({{"check"}, 0, "no problems found\n", "", Wine::run}); }

TEST_F(CheckCommand, ReportsEveryBreakageWhereItIs) {
    const std::string under_root = " does not exist under the root directory";
    const std::string no_stand =
        ": is a stand component (word 3 \"M\" of its physical entry), but no stand is configured ([MicStand] Stand)";
    const Breakage rows[] = {
        // Configuration files and components.
        {{}, {kLogical}, {L + ": cannot be opened"}, Wine::run},
        {{}, {kPhysical}, {P + ": cannot be opened"}},
        {{{kLogical, "Focus=FocusDrive", "Focus=FocusDrv"}},
         {},
         {L + " [Configuration] Focus: its physical entry 'FocusDrv' is not in section [Focus] of '" + P + "'"},
         Wine::run},
        {{{kPhysical, "M FocusServer", "M FocusSrv"}},
         {},
         {P + " [Focus] FocusDrive: its server section 'FocusSrv' is not a section of this file"}},
        {{{kPhysical, "20ms M NO ShutterGlobal ShutterOper", "20ms M"}},
         {},
         {P + " [Shutter] ShutterTL: names no server section (word 4; NO when the component has none)"}},
        {{{kPhysical, "NextLayer=StandBus", "NextLayer=StandBuss"}},
         {},
         {P + " [StandServer] NextLayer: the next layer 'StandBuss' is not a section of this file"}},
        // Files under the root.
        {{},
         {"servers/focus.exe", "bin/qelstageapi.dll", "data/focusoper.ini", "data/canbus.dat"},
         {P + " [FocusServer] Server: 'servers@/focus.exe'" + under_root,
          P + " [FocusServer] OperData: 'data@/focusoper.ini'" + under_root,
          L + " [Stage] ServerApi: 'bin@/qelstageapi.dll'" + under_root,
          P + " [StandBus] ServerData: 'data@/canbus.dat'" + under_root},
         Wine::run},
        {{{kPhysical, "ServerData=data\\lamp.dat", "ServerData="}},
         {},
         {P + " [LampServer] ServerData: is empty: it names no file"}},
        // The stand.
        {{{kLogical, "Stand=Axial400 COM1", "Stand=None"}},
         {},
         {L + " [Configuration] Focus" + no_stand, L + " [Configuration] Nosepiece" + no_stand,
          L + " [Configuration] Reflector" + no_stand, L + " [Configuration] Lamp" + no_stand,
          L + " [Configuration] Shutter" + no_stand}},
        {{{kPhysical, "Axial400=Axial400", "Axial500=Axial400"}},
         {},
         {L + " [MicStand] Stand: the stand entry 'Axial400' is not in section [Stand] of '" + P + "'"}},
        // The optical path.
        {{{kLogical, "ImagePathCount=2", "ImagePathCount=3"}},
         {},
         {L + " [OpticalPath] ImagePathCount: is 3, but the section has 2 image paths (Eyepiece, Camera)"}},
        {{{kLogical, "ImagePathDeviceCount=3", "ImagePathDeviceCount=4"}},
         {},
         {L + " [OpticalPath] ImagePathDeviceCount: is 4, but the image paths name 3 devices (Reflector, "
              "Nosepiece, CameraPort)"}},
        {{{kLogical, "ImagePathCount=2\nImagePathDeviceCount=3\nEyepiece=Reflector Nosepiece\n",
           "Eyepiece=Reflector Nosepiece\nImagePathCount=2\nImagePathDeviceCount=3\n"}},
         {},
         {L + " [OpticalPath] Eyepiece: stands before the counts: image paths follow ImagePathCount and "
              "ImagePathDeviceCount, so that the library reads them at the indexes 1, 2, ..."}},
        // The conversion table of the focus.
        {{{kData, "TableLength=6", "TableLength=7"}}, {}, {D + " [FocusGlobal] Pos7: missing: TableLength is 7"}},
        {{{kData, "TableLength=6", "TableLength=5"}},
         {},
         {D + " [FocusGlobal] Pos6: is not read: the rows are Pos1 ... Pos5 (TableLength 5)",
          D + " [FocusGlobal] MaxPhyData: 396000 lies outside the physical range 0 ... 320000 of the control "
              "column Steps: its logical limit becomes 0"}},
        {{{kData, "4002    850", "4002"}},
         {},
         {D + " [FocusGlobal] Pos3: has 3 cells, the table has 4 columns: column Height reads as 0"}},
        {{{kData, "10000    250", "10000 250 7 8"}},
         {},
         {D + " [FocusGlobal] Pos6: has 6 cells, the table has 4 columns: '7' and what follows are not read"}},
        {{{kData, "4002    850", "4OO2    850"}},
         {},
         {D + " [FocusGlobal] Pos3: the cell '4OO2' of column FocusMM is not a number (decimal, 0x hexadecimal or "
              "0 octal): the library reads it as 4"}},
        {{{kData, "0      0      0   1250", "0x0 -0 0x +1250"}},
         {},
         {D + " [FocusGlobal] Pos1: the cell '0x' of column FocusMM is not a number (decimal, 0x hexadecimal or 0 "
              "octal): the library reads it as 0"}},
        {{{kData, "Pos2= 80000", "Pos2=170000"}},
         {},
         {D + " [FocusGlobal] Pos3: the control column Steps goes from 170000 (Pos2) to 160000: it must rise strictly "
              "from row to row"}},
        {{{kData, "Pos6=", "pos2=1 1 1 1\nPos6="}},
         {},
         {D + " [FocusGlobal] Pos2: is written 2 times: the library reads the first only"}},
        {{{kData, "ControlName=Steps", "ControlName=steps"}},
         {},
         {D + " [FocusGlobal] ControlName: 'steps' is not one of the columns (Steps Focus FocusMM Height; letter "
              "case counts)"},
         Wine::run},
        {{{kData, "MaxNameLen=12", "MaxNameLen=6"}},
         {},
         {D + " [FocusGlobal] ColumnName: the name 'FocusMM' has 7 characters, more than MaxNameLen 6"}},
        {{{kData, "MaxUnitLen=5", "MaxUnitLen=4"}},
         {},
         {D + " [FocusGlobal] ColumnUnit: the unit 'steps' of column Steps has 5 characters, more than MaxUnitLen "
              "4"}},
        {{{kData, "ColumnFactor=1 10 1000", "ColumnFactor=1 10 x"}},
         {},
         {D + " [FocusGlobal] ColumnFactor: the factor of column FocusMM is 0 (missing or not a number): every "
              "conversion through it gives 0"}},
        {{{kData, "MinPhyData=4000", "MinPhyData=-4000"}, {kData, "MaxPhyData=396000", "MaxPhyData=400001"}},
         {},
         {D + " [FocusGlobal] MinPhyData: -4000 lies outside the physical range 0 ... 400000 of the control column "
              "Steps: its logical limit becomes 0",
          D + " [FocusGlobal] MaxPhyData: 400001 lies outside the physical range 0 ... 400000 of the control "
              "column Steps: its logical limit becomes 0"}},
    };
    for (const Breakage& row : rows) {
        if (!runs_here(row.wine)) continue;
        restore();
        edit(row.edits);
        for (const std::string& name : row.removed) remove(name);
        const std::size_t count = row.problems.size();
        expect({{"check"},
                1,
                lines(row.problems),
                std::to_string(count) + (count == 1 ? " problem found" : " problems found"),
                row.wine});
    }
}

// Where the settings live, as the problems name it.
std::string registry_name() {
#ifdef _WIN32
    return "registry";
#else
    return std::getenv("XQ_UTILS_REGISTRY");
#endif
}

TEST_F(CheckCommand, ReportsMissingSettings) {
    xq::test::registry_clear();
    const std::string product = registry_name() + " [HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenvik\\Vorta XQ SDK";
    expect({{"check"},
            1,
            lines({product + "] CurrentVersion: not set: the kit's settings are not installed",
                   product + "\\<CurrentVersion>\\Ini] VortaRoot: not set: no root directory (or --root)",
                   product + "\\<CurrentVersion>\\Ini] LogConfFile: not set: no logical configuration file (or "
                             "--log-conf)",
                   product + "\\<CurrentVersion>\\Ini] PhyConfFile: not set: no physical configuration file (or "
                             "--phy-conf)"}),
            "4 problems found",
            Wine::run});
    // The overrides of the run count as settings.
    expect({{"check", "--root", "@DIR", "--log-conf", "logical.ini", "--phy-conf", "physical.ini"},
            0,
            "no problems found\n",
            ""});
}

TEST_F(CheckCommand, ChecksTablesGivenOnTheCommandLine) {
    write("extra.ini",
          "[Broken]\nTableLength=1\nMaxNameLen=8\nMaxUnitLen=3\nControlName=Motor\nColumnName=Motor Angle\n"
          "ColumnUnit=steps deg\nColumnFactor=1 1\nColumnDivider=1 1\nMinPhyData=0\nMaxPhyData=10\nPos1=0 0\n"
          "Pos01=5 5\n[NoTable]\nX=1\n");
    const std::string extra = "@DIR/extra.ini";
    const Expected rows[] = {
        {{"check", "--table", extra, "Broken", "@DIR/none.ini", "Any", extra, "NoTable"},
         1,
         lines({extra + " [Broken] TableLength: is 1: a table needs at least two rows to convert anything",
                extra + " [Broken] Pos01: is not read: the rows are Pos1 ... Pos1 (TableLength 1)",
                extra + " [Broken] ColumnUnit: the unit 'steps' of column Motor has 5 characters, more than "
                        "MaxUnitLen 3",
                "@DIR/none.ini: cannot be opened",
                extra + " [NoTable]: is no conversion table: it has no TableLength entry"}),
         "5 problems found",
         Wine::run},
        {{"check", "--table", extra}, 2, "", "--table needs FILE SECTION (pairs of them)"},
        {{"check", extra, "Broken"}, 2, "", "unexpected argument '" + extra + "'; tables go after --table"},
        {{"check", "--table", extra, "NoTable", "--json"},
         1,
         "{\n  \"problems\": [\n    {\n      \"file\": \"" + extra +
             "\",\n      \"section\": \"NoTable\",\n      \"entry\": null,\n      \"problem\": \"is no conversion "
             "table: it has no TableLength entry\"\n    }\n  ],\n  \"tables_checked\": 2,\n  \"error\": {\n    "
             "\"code\": 1,\n    \"message\": \"1 problem found\",\n    \"command\": \"check\"\n  }\n}\n",
         "1 problem found"},
    };
    for (const Expected& row : rows) expect(row);
}

}  // namespace
}  // namespace xqutil::test
