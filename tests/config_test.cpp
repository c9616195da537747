// Configuration lookups (stand, components, optical path), the physical
// server interface lookups and the paths of the two configuration files, each
// rule on small files (xqutil's tests show the sample installation whole).
#include <optional>

#include "config/sources.h"
#include "config_installation.h"
#include "platform/fault.h"

namespace {

using namespace xq::test;

Answer stand(uint32_t capacity = 260) { return ask_with(capacity, GetQelStand); }
Answer stand_port(uint32_t capacity = 260) { return ask_with(capacity, GetQelStandPort); }
Answer optical(int32_t index, uint32_t capacity = 260) {
    return ask_with(capacity, [&](char* b, uint32_t c) { return GetQelOpticalPath(index, b, c); });
}
const Answer kNone{1, "None"}, kNothing{0, kUntouched};

TEST(ConfigSample, NothingConfiguredOrFilesMissing) {
    for (const std::string gone : {"settings", "root", "physical.ini"}) {
        Installation sample;
        if (gone == "settings") registry_clear();
        else std::filesystem::remove_all(gone == "root" ? sample.root() : sample.root() + "/" + gone);
        const bool logical_only = gone == "physical.ini";  // the stand is configured but unknown, its port known
        EXPECT_EQ(std::make_pair(stand(), stand_port()),
                  logical_only ? std::make_pair(kNone, Answer{1, "COM1"}) : std::make_pair(kNothing, kNothing)) << gone;
        // Without a physical file the component's data sections are empty words.
        EXPECT_EQ(std::make_tuple(GetQelStandComp("Focus"), ask(GetPsiServer, "Focus"), ask(GetPsiGlobalDataSection, "Focus")),
                  std::make_tuple(0, kNone, Answer{1, logical_only ? "" : "None"})) << gone;
        if (logical_only) continue;
        EXPECT_EQ(std::make_tuple(GetQelServerEnabled("Focus"), GetQelMode("Focus"), GetQelImagePathCount()),
                  std::make_tuple(0, -1, 0)) << gone;
        EXPECT_EQ(std::make_tuple(ask(GetQelPort, "Focus"), ask(GetQelServer, "Focus"), optical(-1)),
                  std::make_tuple(kNone, kNone, kNone)) << gone;
    }
}

TEST(ConfigRules, StandAndPortAreTheWordsOfMicStand) {
    const std::string physical = "[Stand]\nS1=Upright frame\nS1\tCOM2=Tabbed\nnone=lower\nS3=None\n";
    const struct { const char* value; Answer stand, port; } cases[] = {  // value nullptr: no entry
        {"S1 COM2", {1, "Upright"}, {1, "COM2"}}, {"S1", {1, "Upright"}, kNone},
        {"\"  S1   COM2  \"", {1, "Upright"}, {1, "COM2"}},  // quotes keep the spaces for the split
        {"S1\tCOM2", {1, "Tabbed"}, kNone},                  // a tab belongs to the word
        {"S9 None", kNone, kNone}, {"S3 COM3", kNone, {1, "COM3"}},
        {"none COM3", {1, "lower"}, {1, "COM3"}},  // only "None" itself is unset
        {"None COM2", kNothing, kNothing}, {"", kNothing, kNothing}, {nullptr, kNothing, kNothing},
    };
    Installation install("", physical);
    for (const auto& c : cases) {
        install.write(std::string("[MicStand]\n") + (c.value ? std::string("Stand=") + c.value : ""), physical);
        EXPECT_EQ(std::make_pair(stand(), stand_port()), std::make_pair(c.stand, c.port)) << (c.value ? c.value : "-");
    }
    install.write("[MicStand]\nStand=S1 COM2\n", "[Stand]\nS1=Inverted\n");
    xq::os::fault_arm({xq::os::Op::reg_query, 1000});  // each setting read once: version, root, the two file names
    EXPECT_EQ(stand(4), (Answer{1, "Inv"}));
    EXPECT_EQ(xq::os::fault_count(), 4);
}

TEST(ConfigRules, ComponentEntryGivesEnabledPortAndModeAndServerIsRootAndFirstWord) {
    const struct { const char* value; int32_t enabled; const char* port; int32_t mode; } cases[] = {
        {"F1 COM1 2", 1, "COM1", 2},    {"F1", 1, "", 0},              {"F1 COM1 -3", 1, "COM1", -3},
        {"F1 COM1 12x", 1, "COM1", 12}, {"F1 None abc", 1, "None", 0}, {"F1\tCOM1 2", 1, "2", 0},
        {"none COM1 5", 1, "COM1", 5},  {"None COM1 2", 0, "None", -1}, {"", 0, "None", -1}, {nullptr, 0, "None", -1},
    };
    Installation install("", "");
    for (const auto& c : cases) {
        install.write(std::string("[Configuration]\n") + (c.value ? std::string("Focus=") + c.value : ""), "");
        EXPECT_EQ(std::make_tuple(GetQelServerEnabled("Focus"), ask(GetQelPort, "Focus"), GetQelMode("Focus")),
                  std::make_tuple(c.enabled, Answer{1, c.port}, c.mode)) << (c.value ? c.value : "-");
    }
    // A null component names nothing (the reader would list the names there).
    install.write("[Configuration]\nFocus=F1 COM1 2\n[Focus]\nServer=f.exe\n", "");
    EXPECT_EQ(std::make_pair(GetQelServerEnabled(nullptr), ask(GetQelServer, nullptr)), std::make_pair(0, kNone));
    const std::string root = install.root() + "\\";
    const struct { const char* value; std::string server; int32_t multiple; } servers[] = {
        {"focus.dll --fast", root + "focus.dll", 1}, {"\"  focus.dll x\"", root + "  focus.dll", 1},  // blanks stay
        {"a\tb c", root + "a\tb", 1}, {"NO", root + "NO", 1}, {"None focus.dll", "None", 0}, {"", "None", 0},
    };
    for (const auto& c : servers) {
        const std::string value = std::string("=") + c.value + "\n";
        install.write("[Focus]\nServer" + value + "ServerApi" + value + "[GeneralSettings]\nMultipleInstances" + value, "");
        EXPECT_EQ(std::make_tuple(ask(GetQelServer, "Focus"), ask(GetQelServerApi, "Focus"), GetQelMultiInstances()),
                  std::make_tuple(Answer{1, c.server}, Answer{1, c.server}, c.multiple)) << c.value;
    }
}

TEST(ConfigRules, OpticalPathCountsAndTheNthEntryWithin999BytesOfNames) {
    // The counts are read as decimals, like every number of these files; the entries are counted from -1.
    const std::string long_value(100, 'v');
    Installation install("[OpticalPath]\nImagePathCount=4 cameras\nImagePathDeviceCount=-1\nFirst=1\nEmpty=\nLong=" +
                         long_value + "\nShort=0123456789\n; x\nLast=end\n[Next]\nA=x\n", "");
    EXPECT_EQ(std::make_pair(GetQelImagePathCount(), GetQelImagePathDeviceCount()), std::make_pair(4, -1));
    const struct { int32_t index; uint32_t capacity; Answer answer; } cases[] = {
        {-1, 260, {1, "4 cameras"}}, {0, 260, {1, "-1"}}, {1, 260, {1, "1"}}, {2, 260, kNone},
        {3, 260, {1, long_value.substr(0, 78)}}, {4, 3, {1, "01"}}, {5, 260, {1, "end"}}, {6, 260, kNone},
        {-2, 260, kNone}, {INT32_MIN, 260, kNone}, {INT32_MAX, 260, kNone}};
    for (const auto& c : cases) EXPECT_EQ(optical(c.index, c.capacity), c.answer) << c.index;
    install.write("[OpticalPath]\n[Next]\nA=x\n", "");
    EXPECT_EQ(optical(-1), kNone);
    // 90 names of 10 characters fill 990 bytes; the 91st is cut to 7 and names no entry.
    std::string section = "[OpticalPath]\n";
    for (int n = 100001; n <= 100095; ++n) section += "Entry" + std::to_string(n).substr(1) + "=v" + std::to_string(n) + "\n";
    install.write(section, "");
    EXPECT_EQ(std::make_pair(optical(88), optical(89)), std::make_pair(Answer{1, "v100090"}, kNone));
}

// The physical entry's third word marks a stand component ("M" exactly), its
// fourth names the server section the server interface lookups walk.
TEST(ConfigRules, PhysicalEntryMarksTheStandComponentAndNamesTheServerSection) {
    // Focus in Configuration, F1 in section Focus; what GetPsiServer ("$": root prefix), GetPsiNextLayer,
    // GetPsiGlobalDataSection, GetPsiOperationalDataSection and GetQelStandComp answer.
    const struct { const char *logical, *physical, *server, *layer, *global, *operational; int32_t stand; } cases[] = {
        {"F1 COM1 0", "a b M Srv G O extra", "$srv 1.exe", "Layer", "G", "O", 1},
        {"F1", "a b M NO G O", "None", "None", "G", "O", 1},
        {"F1", "a b M no G", "$lower.exe", "None", "G", "", 1},  // "no" names a section
        {"F1", "a b M", "None", "None", "", "", 1},              // section "" does not exist
        {"F1", "a b", "None", "None", "", "", 0},
        {"F1", "a b m Quiet None", "None", "None", "None", "", 0},  // Server holds "None"
        {"F1", "a b M2 Blank", "$", "", "", "", 0},                 // empty values are configured
        {"F2", "a b M Srv G O", "None", "None", "", "", 0},         // no physical entry F2
        {"None", "a b M Srv G O", "None", "None", "None", "None", 0}, {"\"\"", "a b M Srv G O", "None", "None", "None", "None", 0},
    };
    const std::string sections = "[Srv]\nServer=srv 1.exe\nNextLayer=Layer\n[no]\nServer=lower.exe\n[Quiet]\nServer=None\n"
                                 "NextLayer=None\n[Blank]\nServer=\nNextLayer=\n";
    Installation install("", "");
    for (const auto& c : cases) {
        install.write(std::string("[Configuration]\nFocus=") + c.logical, std::string("[Focus]\nF1=") + c.physical + "\n" + sections);
        const std::string server = c.server[0] == '$' ? install.root() + "\\" + (c.server + 1) : c.server;
        EXPECT_EQ(std::make_tuple(ask(GetPsiServer, "Focus"), ask(GetPsiNextLayer, "Focus"),
                                  ask(GetPsiGlobalDataSection, "Focus"), ask(GetPsiOperationalDataSection, "Focus"),
                                  GetQelStandComp("Focus")),
                  std::make_tuple(Answer{1, server}, Answer{1, c.layer}, Answer{1, c.global}, Answer{1, c.operational}, c.stand))
            << c.logical << " / " << c.physical;
    }
}

// Root and value joined can exceed 259 characters: a server path is held
// whole and cut by the capacity, a server interface path to 259 characters.
TEST(ConfigBounds, LongRootsAndValuesStayBounded) {
    const std::string file(258, 'f');
    Installation install("[Focus]\nServer=" + file + "\n[Configuration]\nFocus=F1\n",
                         "[Focus]\nF1=a b M Srv\n[Srv]\nServer=" + file + "\n", 240);
    const std::string whole = install.root() + "\\" + file;
    for (const uint32_t capacity : {600u, 499u, 260u})
        EXPECT_EQ(ask(GetQelServer, "Focus", capacity), (Answer{1, whole.substr(0, capacity - 1)})) << capacity;
    EXPECT_EQ(ask(GetPsiServer, "Focus", 600), (Answer{1, whole.substr(0, 259)}));
    // A configuration file's path is cut to 259 characters before it is opened.
    write_bytes(install.root() + "/" + std::string(18, 'n'), "[Focus]\nServer=Cut\n");
    registry_install("4.1", {{"VortaRoot", install.root()}, {"LogConfFile", std::string(30, 'n')}, {"PhyConfFile", "p.ini"}});
    EXPECT_EQ(ask(GetQelServer, "Focus"), (Answer{1, install.root() + "\\Cut"}));
}

std::string conf_path(bool logical, uint32_t capacity = 260) {
    const auto path = logical ? xq::config::GetLogConfFilePath : xq::config::GetPhyConfFilePath;
    return ask_with(capacity, [&](char* b, uint32_t c) { return path(b, c), 1; }).second;
}

// The physical name gets the room left of 259 characters: from the settings
// a name that does not fit reads as "None" cut to that room, an override is
// cut; a root of 259 characters from the settings does not fit at all.
TEST(ConfPaths, RootBackslashAndNameFromTheSettingsOrOverridesWithin259Characters) {
    reset_library_state();
    using Opt = std::optional<std::string>;
    const auto r = [](std::size_t length) { return std::string(length, 'r'); };
    const struct { Opt root, log, phy; std::string log_path, phy_path; } cases[] = {
        {{}, "micro.ini", "phys.ini", "0", "None\\phys.ini"},
        {"C:\\Scope", "micro.ini", "phys.ini", "C:\\Scope\\micro.ini", "C:\\Scope\\phys.ini"},
        {"C:\\Scope", {}, {}, "0", "C:\\Scope\\None"}, {"C:\\Scope", "", "", "0", "C:\\Scope\\"},
        {"C:\\Scope\\", "a.ini", "b.ini", "C:\\Scope\\\\a.ini", "C:\\Scope\\\\b.ini"},
        {"none", "a.ini", "b.ini", "none\\a.ini", "none\\b.ini"}, {"", "a.ini", "b.ini", "0", "\\b.ini"},
        {"None", "a.ini", "b.ini", "0", "None\\b.ini"},
        {r(250), {}, "1234567", "0", r(250) + "\\1234567"}, {r(250), {}, "12345678", "0", r(250) + "\\None"},
        {r(254), {}, "p.ini", "0", r(254) + "\\Non"}, {r(257), {}, "p.ini", "0", r(257) + "\\"},
        {r(258), {}, "p.ini", "0", r(258) + "\\"}, {r(259), "a.ini", "p.ini", "0", "None\\p.ini"},
    };
    for (const auto& c : cases) {
        Values values;
        for (const auto& [name, value] : {std::pair{"VortaRoot", c.root}, {"LogConfFile", c.log}, {"PhyConfFile", c.phy}})
            if (value) values.emplace_back(name, *value);
        registry_install("4.1", values);
        EXPECT_EQ(std::make_pair(conf_path(true, 1000), conf_path(false, 1000)), std::make_pair(c.log_path, c.phy_path))
            << c.root.value_or("(none)");
    }
    // Overrides: the physical name is cut to the room left; with every piece overridden no settings are read.
    registry_install("4.1", {{"VortaRoot", r(250)}});
    ASSERT_EQ(VOKSDKChangePhyConfFile("123456789"), 1);
    EXPECT_EQ(conf_path(false), r(250) + "\\12345678");
    ASSERT_EQ(VOKSDKChangeRoot("D:\\Other") + VOKSDKChangeLogConfFile("x.ini"), 2);
    xq::os::fault_arm({xq::os::Op::count_, 1, true});
    EXPECT_EQ(conf_path(true) + "|" + conf_path(false), "D:\\Other\\x.ini|D:\\Other\\123456789");
    EXPECT_EQ(xq::os::fault_count(), 0);
    reset_library_state();
}

}  // namespace
