// The xqutil tool run as a user runs it, on a scratch copy of the sample
// installation (named by the registry) with a file of cases of our own beside
// it: command lines and exit codes, each command's output once, rewrites,
// and the installation broken in a few of the ways the tool explains.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/test_registry.h"
#include "xq_utils.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace xqutil::test {
namespace {

namespace fs = std::filesystem;
constexpr char kSeparator = fs::path::preferred_separator;

// `text` with every `from` replaced by `to`.
std::string replace_all(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

const std::string c = "@DIR/cases.ini";  // the file of cases, as the tool is given it
const std::string kCases =
    "[Main]\nPlain=hello world\nQuote=a \"q\" \\ b\tc \x01 \xFC \xC3\xBC\nWord=abc\nMode=fast\nData=1,2,3\nLong=" +
    std::string(5000, 'x') + "\n[Table]\nPos12=5 0x10 abc\n[Refs]\nObj=Stand Type extra\n[Stand]\nType=Upright Model\n";

// Exit status (-1: the tool did not exit), standard output and error with LF line ends.
struct ToolResult {
    int status;
    std::string out, err;
};

// One run of the tool and what it must give. Under Wine each start of the
// tool costs a quarter of a second, so there only the rows marked `wine` run:
// those that exercise what differs there (command lines, paths, registry,
// ANSI texts); the others run the same code and are checked on Linux.
struct Expected {
    std::vector<std::string> arguments;
    int status;
    std::string out, err_part;  // all of standard output (a part when `out_part`); part of standard error, if any
    bool wine = false, out_part = false;
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override { restore(); }
    // The sample installation as shipped, the registry naming it, and the file of cases.
    void restore() const {
        fs::copy(XQ_EXAMPLES_DIR "/installation", dir(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        xq::test::registry_install(
            "4.1", {{"VortaRoot", dir()}, {"Lang", "ENG"}, {"LogConfFile", "logical.ini"}, {"PhyConfFile", "physical.ini"}});
        scratch_.write("cases.ini", kCases);
    }
    // `text` with "@DIR" as the scratch directory and "@/" as the separator of the paths the tool shows.
    std::string expand(const std::string& text) const {
        return replace_all(replace_all(text, "@DIR", dir()), "@/", std::string(1, kSeparator));
    }
    // Runs xqutil, found beside this program, through the shell with `arguments`
    // expanded, each in quotes; its standard output and error are caught in files.
    ToolResult run(const std::vector<std::string>& arguments) const {
#ifdef _WIN32
        char self[MAX_PATH];
        const std::string program(self, GetModuleFileNameA(nullptr, self, MAX_PATH)), q = "\"", escaped = "\\\"";
#else
        const std::string program = fs::read_symlink("/proc/self/exe").string(), q = "'", escaped = "'\\''";
#endif
        const xq::test::TempDirectory scratch;
        const std::string out = scratch.file("stdout"), err = scratch.file("stderr");
        std::string line = q + fs::path(program).replace_filename(XQUTIL_FILE_NAME).string() + q;
        for (const std::string& argument : arguments) line += " " + q + replace_all(expand(argument), q, escaped) + q;
        line += " >" + q + out + q + " 2>" + q + err + q;
        int status = std::system((kSeparator == '/' ? line : q + line + q).c_str());  // cmd /c takes off outer quotes
#ifndef _WIN32
        status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
        // Text the tool writes gets CR LF line ends on Windows.
        return {status, replace_all(xq::test::read_bytes(out), "\r", ""), replace_all(xq::test::read_bytes(err), "\r", "")};
    }
    void expect(const Expected& row) const {
        if (!row.wine && kSeparator != '/') return;
        SCOPED_TRACE(::testing::PrintToString(row.arguments));
        const ToolResult result = run(row.arguments);
        const std::string out = expand(row.out), err = expand(row.err_part);
        EXPECT_EQ(result.status, row.status) << result.err;
        EXPECT_TRUE(row.out_part ? result.out.find(out) != std::string::npos : result.out == out) << result.out;
        EXPECT_TRUE(err.empty() ? result.err.empty() : result.err.find(err) != std::string::npos) << result.err;
    }
    std::string dir() const { return scratch_.path().string(); }
    xq::test::TempDirectory scratch_;
};

using Commands = Cli;

TEST_F(Cli, BadCommandLinesExitWith2AndSayWhy) {
    const Expected rows[] = {
        {{}, 2, "", "usage: xqutil COMMAND"},
        {{"tabel"}, 2, "", "unknown command 'tabel'; did you mean 'table'?"},
        {{"get", c, "Main"}, 2, "", "missing arguments: expected FILE SECTION ENTRY"},
        {{"message", "13", "a", "b", "c", "d"}, 2, "", "at most 4 arguments"},
        {{"get", c, "Main", "Plain", "--bogus"}, 2, "", "unknown option '--bogus'"},
        {{"convert", "@DIR/data/focusglobal.ini", "FocusGlobal", "Focus"}, 2, "", "give one of --to-phy VALUE and --to-log"},
        {{"set", c, "Main", "List", "a", "--force"}, 2, "", "--force goes with --field"},
        {{"settings", "--lang", "fr"}, 2, "", "--lang takes ENG or GER, not 'fr'", true},
        // With --json a failure is also one object on standard output.
        {{"get", c, "Main", "Plain", "--word", "0", "--json"}, 2, "{\n  \"error\": {\n    \"code\": 2,\n    \"message\": "
         "\"--word must be 1 or more, not '0'\",\n    \"command\": \"get\"\n  }\n}\n", "--word must be 1 or more"},
    };
    for (const Expected& row : rows) expect(row);
    // Every command answers --help with its usage, before any other check of its command line.
    for (const std::string command : {"settings", "stand", "components", "component", "optical-path", "get", "pos", "set",
                                      "copy", "table", "convert", "message", "check"})
        expect({{command, "--help", "too", "many", "arguments"}, 0, "usage: xqutil " + command, "", false, true});
}

TEST_F(Cli, MessagesAndSettingsAreShownAsTheLibraryGivesThem) {
    const std::string json = "{\n  \"origin\": 0,\n  \"class\": 3,\n  \"code\": ";
    const Expected rows[] = {
        {{"message", "13", "E", "S", "F"}, 0, "Could not find entry E in section S of file F.\n", ""},
        // Language codes in any letter case; German texts as valid UTF-8 JSON, also from ANSI on Windows.
        {{"message", "1", "--lang", "ger", "--json"}, 0,
         json + "1,\n  \"language\": \"GER\",\n  \"text\": \"Nicht gen\xC3\xBCgend Arbeitsspeicher.\"\n}\n", "", true},
        {{"message", "34", "--json"}, 1, "\"text\": \"No error text found.\",\n  \"error\": {\n    \"code\": 1,\n    "
         "\"message\": \"the catalogue has no text for code 34; the text above stands in\",", "no text for code 34", true, true},
    };
    for (const Expected& row : rows) expect(row);
    // Options stand in for settings; without a root no path can be made.
    xq::test::registry_install("4.1", {{"FirstSetup", "TRUE"}});
    expect({{"settings", "--log-conf", "a.ini", "--lang", "GER"}, 1, "Root directory:        not set\nLanguage:       "
            "       GER  (from --lang)\nFirst setup:           yes\nLogical config file:   a.ini  (from --log-conf)\n"
            "Physical config file:  not set\nLogical config path:   not set\n", "no root directory is configured", true, true});
}

TEST_F(Commands, EntryCommandsShowAndRewriteWhatTheLibraryReads) {
    const Expected rows[] = {
        {{"get", c, "Main", "Word", "--int"}, 1, "", "the value 'abc' of entry 'Word'"},
        {{"get", c, "Table", "%Pos", "--array", "12", "--column", "2"}, 0, "16\n", ""},
        {{"get", c, "Refs", "Obj", "--indirect", c}, 0, "Section:  Stand\nEntry:    Type\nValue:    Upright\n", "", true},
        {{"get", c, "Main", "Long"}, 0, std::string(4095, 'x') + "\n", "may be longer"},
        // Escaped as JSON: a stray byte as its Latin-1 letter, UTF-8 kept.
        {{"get", c, "Main", "Quote", "--json"}, 0, "{\n  \"file\": \"" + c + "\",\n  \"section\": \"Main\",\n  \"entry\": "
         "\"Quote\",\n  \"value\": \"a \\\"q\\\" \\\\ b\\tc \\u0001 \\u00fc \xC3\xBC\",\n  \"truncated\": false\n}\n", ""},
        {{"get", c, "Mian", "Plain"}, 1, "", "no value for entry 'Plain' in section [Mian] of '@DIR/cases.ini'", true},
        // A bare file name not in the current directory is looked for under the root.
        {{"get", "logical.ini", "micstand", "STAND", "--word", "2"}, 0, "COM1\n", "'logical.ini' is not in the current "
         "directory; using '@DIR@/logical.ini' under the installation root", true},
        {{"copy", c, "@DIR/copy.ini"}, 0, "Copied:  " + c + "\nTo:      @DIR/copy.ini\n", "", true},
        {{"set", c, "Main", "Mode", "on"}, 0, "File:       " + c + "\nSection:    Main\nEntry:      Mode\nValue now:  on\n",
         "", true},
        {{"set", c, "Main", "Mode", "faster"}, 1, "", "a value of 6 characters does not fit the room of 4 characters", true},
        {{"set", c, "Main", "Data", "20", "--field", "2"}, 0, "Value now:  1,20,3\n", "", true, true},
        {{"set", c, "Main", "Plain", "x", "--field", "1", "--force"}, 0, "Value now:  x\n", "", true, true},
        {{"set", c, "Main", "Plain", "y", "--field", "1"}, 1, "", "has no commas: --field 1 would replace all of it", true},
    };
    for (const Expected& row : rows) expect(row);
    EXPECT_EQ(xq::test::read_bytes(scratch_.file("copy.ini")), kCases);
    // Each rewrite changes the one line of its entry (the line end kept); the refusals leave the file alone.
    EXPECT_EQ(xq::test::read_bytes(scratch_.file("cases.ini")),
              replace_all(replace_all(replace_all(kCases, "Mode=fast", "Mode=  on"), "Data=1,2,3\n", "Data=1,20,3\n"),
                          "Plain=hello world", "Plain=x"));
}

TEST_F(Commands, InstallationCommandsShowTheSampleInstallation) {
    const std::string t = "@DIR/data/focusglobal.ini";
    const Expected rows[] = {
        {{"components"}, 0, "Shutter     yes      COM1  0     yes    bin@/qelshutter.exe     -                         -\n"
         "CameraPort  yes      COM1  0     no     bin@/qelcameraport.exe  bin@/qelcameraportapi.dll  -\n"
         "Condenser   no       -     -     no     -                      -                         -\n", "", true, true},
        {{"stand"}, 0, "Stand:             Axial400\nPort:              COM1\nStand entry:       Axial400\nStand "
         "components:\n  Focus\n  Nosepiece\n  Reflector\n  Lamp\n  Shutter\n", ""},
        {{"optical-path"}, 0, "Image paths:         2\nImage path devices:  3\n\nIndex  Entry                 Value\n"
         "   -1  ImagePathCount        2\n    0  ImagePathDeviceCount  3\n    1  Eyepiece              Reflector "
         "Nosepiece\n    2  Camera                CameraPort Reflector Nosepiece\n", ""},
        // Past what the listing above shows: its physical entry and server section, to the next layer.
        {{"component", "stage"}, 0, "Physical entry:            ScanStage\nServer section:            StageServer\n"
         "Physical server:           @DIR@/servers@/stage.exe\n"
         "Physical interface:        @DIR@/servers@/stageapi.dll\nServer data:               @DIR@/data@/stage.dat\n"
         "Global data file:          @DIR@/data@/stageglobal.ini\nOperational data file:     @DIR@/data@/stageoper.ini\n"
         "Global data section:       StageGlobal\nOperational data section:  StageOper\nNext layer:                "
         "StageController\nNext layer server:         @DIR@/servers@/controller.exe\nNext layer interface:      "
         "@DIR@/servers@/controllerapi.dll\nNext layer server data:    @DIR@/data@/controller.dat\nNext layer global "
         "data:    ControllerGlobal\nNext layer oper. data:     ControllerOper\n", "", true, true},
        {{"component", "Focus", "--raw"}, 0, "\nPhysical server:           @DIR\\servers\\focus.exe\n", "", false, true},
        {{"optical-path", "--log-conf", ""}, 1, "", "its name is not set (registry value LogConfFile, or --log-conf)"},
        {{"table", t, "FocusGlobal"}, 0, "Rows:             6\nBlock size:       " +
         std::to_string(sizeof(LcvDataHandle) + 68) + "  (bytes)\nControl column:   Steps\nPhysical limits:  4000 ... "
         "396000\n\nColumn   Unit   Factor  Divider  Logical limits\n"
         "Steps    steps       1        1  4000 ... 396000  4000 steps ... 396000 steps  (control)\n"
         "Focus    um         10        1  1001 ... 99000   100.1 um ... 9900.0 um\n"
         "FocusMM  mm       1000        1  100 ... 9900     .100 mm ... 9.900 mm\n", "", true, true},
        // Beyond the logical limits a value is held to them.
        {{"convert", t, "FocusGlobal", "Focus", "--to-phy", "200000", "--text"}, 0, "Column:          Focus  (um)\nLogical "
         "value:   200000  (held to the logical limits 1001 ... 99000: 99000)\nPhysical value:  395999\nText:            "
         "9900.0 um\n", "", true},
        {{"convert", t, "FocusGlobal", "Focus", "--to-log", "500000"}, 1, "Column:          Focus  (um)\nPhysical "
         "value:  500000\nLogical value:   0\n", "500000 lies outside the table (control positions 0 ... 400000)", true},
        {{"check"}, 0, "no problems found\n", "", true},
    };
    for (const Expected& row : rows) expect(row);
    // With its configuration and data files in UTF-16LE (with the byte-order mark), all shows the same.
    for (const auto& each : fs::recursive_directory_iterator(dir()))
        if (each.path().extension() == ".ini")
            scratch_.write(each.path().string(), xq::test::utf16_bytes(xq::test::read_bytes(each.path().string())));
    for (const Expected& row : rows) expect(row);
}

TEST_F(Commands, BrokenInstallationsAreReportedWhereTheFaultIs) {
    const std::string L = "@DIR@/logical.ini", P = "@DIR@/physical.ini", D = "@DIR@/data@/focusglobal.ini";
    // Without settings, each missing one is named where it lives (the registry: a file on Linux).
    xq::test::registry_clear();
    const std::string at = std::string(kSeparator == '/' ? std::getenv("XQ_UTILS_REGISTRY") : "registry") +
                           " [HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenvik\\Vorta XQ SDK";
    expect({{"check"}, 1, at + "] CurrentVersion: not set: the kit's settings are not installed\n" + at +
            "\\<CurrentVersion>\\Ini] VortaRoot: not set: no root directory (or --root)\n", "4 problems found", true, true});
    const struct {
        std::string file, from, to;  // one change to the installation; `from` empty: the file is removed
        Expected expected;
    } rows[] = {
        {P, "NextLayer=StageController", "NextLayer=StageCtl", {{"component", "Stage"}, 1, "Component:", "component "
         "'Stage' does not resolve:\n  " + P + " [StageServer] NextLayer: the next layer 'StageCtl' is not a section of "
         "this file\n", true, true}},
        // The library reads a broken row all the same: the result stands, with a warning.
        {D, "4002    850", "4OO2    850", {{"convert", D, "FocusGlobal", "FocusMM", "--to-log", "160000"}, 0,
         "Column:          FocusMM  (mm)\nPhysical value:  160000\nLogical value:   4\n", "xqutil convert: warning: " + D +
         " [FocusGlobal] Pos3: the cell '4OO2' of column FocusMM is not a number"}},
        {P, "", "", {{"check"}, 1, P + ": cannot be opened\n", "1 problem found"}},
        {L, "Focus=FocusDrive", "Focus=FocusDrv", {{"check"}, 1, L + " [Configuration] Focus: its physical entry "
         "'FocusDrv' is not in section [Focus] of '" + P + "'\n", "1 problem found", true}},
        {D, "ControlName=Steps", "ControlName=steps", {{"check"}, 1, D + " [FocusGlobal] ControlName: 'steps' is not one "
         "of the columns (Steps Focus FocusMM Height; letter case counts)\n", "1 problem found"}},
    };
    for (const auto& [file, from, to, expected] : rows) {
        restore();
        std::string bytes = xq::test::read_bytes(expand(file));
        if (from.empty()) fs::remove(expand(file));
        else scratch_.write(expand(file), bytes.replace(bytes.find(from), from.size(), to));  // throws if `from` is missing
        expect(expected);
    }
}

}  // namespace
}  // namespace xqutil::test
