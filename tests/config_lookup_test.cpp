// Stand, component-settings and optical-path lookups: the sample installation
// through every export, then the rules on small files.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "config_installation.h"
#include "platform/fault.h"
#include "xq_utils.h"

namespace {

using xq::test::Answer;
using xq::test::ask;
using xq::test::ask_with;
using xq::test::Installation;
using xq::test::kUntouched;

Answer stand(uint32_t capacity = 260) { return ask_with(capacity, GetQelStand); }
Answer stand_port(uint32_t capacity = 260) { return ask_with(capacity, GetQelStandPort); }
Answer optical(int32_t index, uint32_t capacity = 260) {
    return ask_with(capacity, [&](char* b, uint32_t c) { return GetQelOpticalPath(index, b, c); });
}

TEST(ConfigSample, EveryLookupOnTheSampleInstallation) {
    Installation sample;
    const std::string bin = sample.root() + "\\bin\\qel";
    EXPECT_EQ(stand(), (Answer{1, "Axial400"}));
    EXPECT_EQ(stand_port(), (Answer{1, "COM1"}));
    EXPECT_EQ(GetQelMultiInstances(), 0);
    EXPECT_EQ(GetQelImagePathCount(), 2);
    EXPECT_EQ(GetQelImagePathDeviceCount(), 3);
    const struct {
        const char* component;
        int32_t stand_component, enabled, mode;
        const char* port;
        std::string server, server_api;
    } components[] = {
        {"Focus", 1, 1, 0, "COM1", bin + "focus.exe", bin + "focusapi.dll"},
        {"Stage", 0, 1, 1, "COM2", bin + "stage.exe", bin + "stageapi.dll"},
        {"Nosepiece", 1, 1, 0, "COM1", bin + "nosepiece.exe", bin + "nosepieceapi.dll"},
        {"Lamp", 1, 1, 2, "COM1", bin + "lamp.exe", bin + "lampapi.dll"},
        {"Shutter", 1, 1, 0, "COM1", bin + "shutter.exe", "None"},
        {"CameraPort", 0, 1, 0, "COM1", bin + "cameraport.exe", bin + "cameraportapi.dll"},
        {"Condenser", 0, 0, -1, "None", "None", "None"},  // "None" in Configuration
        {"Turret", 0, 0, -1, "None", "None", "None"},     // not listed at all
    };
    for (const auto& c : components) {
        SCOPED_TRACE(c.component);
        EXPECT_EQ(GetQelStandComp(c.component), c.stand_component);
        EXPECT_EQ(GetQelServerEnabled(c.component), c.enabled);
        EXPECT_EQ(GetQelMode(c.component), c.mode);
        EXPECT_EQ(ask(GetQelPort, c.component), (Answer{1, c.port}));
        EXPECT_EQ(ask(GetQelServer, c.component), (Answer{1, c.server}));
        EXPECT_EQ(ask(GetQelServerApi, c.component), (Answer{1, c.server_api}));
    }
    const struct {
        int32_t index;
        const char* text;
    } positions[] = {{INT_MIN, "None"}, {-2, "None"}, {-1, "2"}, {0, "3"}, {1, "Reflector Nosepiece"},
                     {2, "CameraPort Reflector Nosepiece"}, {3, "None"}, {INT_MAX, "None"}};
    for (const auto& p : positions) EXPECT_EQ(optical(p.index), (Answer{1, p.text})) << p.index;
}

TEST(ConfigSample, NothingConfiguredOrFilesMissing) {
    const std::function<void(Installation&)> setups[] = {
        [](Installation&) { xq::test::registry_clear(); },
        [](Installation& i) { std::filesystem::remove_all(i.root()); },
        [](Installation&) { VOKSDKChangeRoot(""); },
        [](Installation&) { VOKSDKChangeLogConfFile("None"); },
    };
    for (const auto& setup : setups) {
        Installation sample;
        setup(sample);
        EXPECT_EQ(stand(), (Answer{0, kUntouched}));
        EXPECT_EQ(stand_port(), (Answer{0, kUntouched}));
        EXPECT_EQ(GetQelStandComp("Focus"), 0);
        EXPECT_EQ(GetQelServerEnabled("Focus"), 0);
        EXPECT_EQ(GetQelMode("Focus"), -1);
        EXPECT_EQ(ask(GetQelPort, "Focus"), (Answer{1, "None"}));
        EXPECT_EQ(ask(GetQelServer, "Focus"), (Answer{1, "None"}));
        EXPECT_EQ(GetQelImagePathCount(), 0);
        EXPECT_EQ(optical(-1), (Answer{1, "None"}));
    }
    // Only the physical file missing: the stand is configured but unknown.
    Installation sample;
    std::filesystem::remove(std::filesystem::path(sample.root()) / "physical.ini");
    EXPECT_EQ(stand(), (Answer{1, "None"}));
    EXPECT_EQ(stand_port(), (Answer{1, "COM1"}));
    EXPECT_EQ(GetQelStandComp("Focus"), 0);
}

TEST(ConfigStand, StandAndPortFromTheEntryWords) {
    const std::string physical = "[Stand]\nS1=Upright frame\nS1\tCOM2=Tabbed\nnone=lower\nS3=None\n";
    const struct {
        const char* value;  // of "Stand" in "MicStand"; nullptr: no entry
        Answer stand, port;
    } cases[] = {
        {"S1 COM2", {1, "Upright"}, {1, "COM2"}},
        {"S1", {1, "Upright"}, {1, "None"}},
        {"\"  S1   COM2  \"", {1, "Upright"}, {1, "COM2"}},  // quotes keep the spaces for the split
        {"S1\tCOM2", {1, "Tabbed"}, {1, "None"}},              // a tab belongs to the word
        {"S9 None", {1, "None"}, {1, "None"}},
        {"S3 COM3", {1, "None"}, {1, "COM3"}},
        {"none COM3", {1, "lower"}, {1, "COM3"}},  // only "None" itself is unset
        {"None COM2", {0, kUntouched}, {0, kUntouched}},
        {"", {0, kUntouched}, {0, kUntouched}},
        {nullptr, {0, kUntouched}, {0, kUntouched}},
    };
    Installation install("", physical);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(no entry)");
        install.write(std::string("[MicStand]\n") + (c.value ? std::string("Stand=") + c.value : ""), physical);
        EXPECT_EQ(stand(), c.stand);
        EXPECT_EQ(stand_port(), c.port);
    }
    install.write("[MicStand]\nStand=S1 COM2\n", "[Stand]\nS1=Inverted\n");
    EXPECT_EQ(stand(4), (Answer{1, "Inv"}));
    EXPECT_EQ(stand_port(1), (Answer{1, ""}));
}

TEST(ConfigStand, StandComponentIsMarkedByAThirdWordM) {
    const struct {
        const char* logical;
        const char* physical;
        int32_t result;
    } cases[] = {
        {"F1 1 0", "x y M z", 1}, {"F1", "\"  x  y  M\"", 1}, {"F1", "x y m z", 0},   {"F1", "x y M2", 0},
        {"F1", "x y", 0},         {"F1", "x\ty M z", 0},      {"None", "x y M", 0}, {"F2", "x y M", 0},
    };
    Installation install("", "");
    for (const auto& c : cases) {
        install.write(std::string("[Configuration]\nFocus=") + c.logical, std::string("[Focus]\nF1=") + c.physical);
        EXPECT_EQ(GetQelStandComp("Focus"), c.result) << c.logical << " / " << c.physical;
    }
}

TEST(ConfigComponent, EnabledPortAndModeFromTheConfigurationEntry) {
    const struct {
        const char* value;  // nullptr: no entry
        int32_t enabled;
        const char* port;
        int32_t mode;
    } cases[] = {
        {"F1 COM1 2", 1, "COM1", 2},    {"F1", 1, "", 0},           {"F1 COM1 -3", 1, "COM1", -3},
        {"F1 COM1 12x", 1, "COM1", 12}, {"F1 None abc", 1, "None", 0}, {"F1\tCOM1 2", 1, "2", 0},
        {"none COM1 5", 1, "COM1", 5},  {"None COM1 2", 0, "None", -1}, {"", 0, "None", -1},
        {nullptr, 0, "None", -1},
    };
    Installation install("", "");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(no entry)");
        install.write(std::string("[Configuration]\n") + (c.value ? std::string("Focus=") + c.value : ""), "");
        EXPECT_EQ(GetQelServerEnabled("Focus"), c.enabled);
        EXPECT_EQ(ask(GetQelPort, "Focus"), (Answer{1, c.port}));
        EXPECT_EQ(GetQelMode("Focus"), c.mode);
    }
}

TEST(ConfigComponent, ServerIsRootAndFirstWordAndMultipleInstancesAnyWord) {
    Installation install("", "");
    const std::string root = install.root() + "\\";
    const struct {
        const char* value;
        std::string server;
        int32_t multiple;
    } cases[] = {
        {"focus.dll --fast", root + "focus.dll", 1},
        {"\"  focus.dll x\"", root + "  focus.dll", 1},  // blanks before the first word stay
        {"a\tb c", root + "a\tb", 1},
        {"NO", root + "NO", 1},
        {"None focus.dll", "None", 0},
        {"", "None", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const std::string value = std::string("=") + c.value + "\n";
        install.write("[Focus]\nServer" + value + "ServerApi" + value + "[GeneralSettings]\nMultipleInstances" + value,
                      "");
        EXPECT_EQ(ask(GetQelServer, "Focus"), (Answer{1, c.server}));
        EXPECT_EQ(ask(GetQelServerApi, "Focus"), (Answer{1, c.server}));
        EXPECT_EQ(GetQelMultiInstances(), c.multiple);
    }
    install.write("[Focus]\nServer=focus.dll\n", "");
    EXPECT_EQ(ask(GetQelServer, "Focus", 5), (Answer{1, root.substr(0, 4)}));
}

TEST(ConfigOpticalPath, CountsAndPositions) {
    Installation install("", "");
    const struct {
        const char* value;
        int32_t count;
    } counts[] = {{"4 cameras", 4}, {"x4", 0}, {"-1", -1}, {"", 0}};
    for (const auto& c : counts) {
        const std::string value(c.value);
        install.write("[OpticalPath]\nImagePathCount=" + value + "\nImagePathDeviceCount=" + value, "");
        EXPECT_EQ(GetQelImagePathCount(), c.count) << c.value;
        EXPECT_EQ(GetQelImagePathDeviceCount(), c.count) << c.value;
    }
    const std::string long_value(100, 'v');
    install.write("[OpticalPath]\nFirst=1\nEmpty=\nLong=" + long_value + "\nShort=0123456789\n; x\nLast=end\n"
                  "[Next]\nA=x\n", "");
    const struct {
        int32_t index;
        uint32_t capacity;
        Answer answer;
    } cases[] = {{-1, 260, {1, "1"}}, {0, 260, {1, "None"}}, {1, 260, {1, long_value.substr(0, 78)}},
                 {2, 3, {1, "01"}},   {3, 260, {1, "end"}},  {4, 260, {1, "None"}}};
    for (const auto& c : cases) EXPECT_EQ(optical(c.index, c.capacity), c.answer) << c.index;
    install.write("[OpticalPath]\n[Next]\nA=x\n", "");
    EXPECT_EQ(optical(-1), (Answer{1, "None"}));

    // Only the names within 999 bytes count: 90 names of 10 characters fill
    // 990 bytes, the 91st is cut to 7 characters and names no entry.
    std::string section = "[OpticalPath]\n";
    for (int n = 100001; n <= 100095; ++n)
        section += "Entry" + std::to_string(n).substr(1) + "=v" + std::to_string(n) + "\n";
    install.write(section, "");
    EXPECT_EQ(optical(88), (Answer{1, "v100090"}));
    EXPECT_EQ(optical(89), (Answer{1, "None"}));
}

TEST(ConfigOpticalPath, ScratchMemoryFailureWritesNothing) {
    Installation sample;
    xq::os::fault_arm({xq::os::Op::alloc, 1});
    EXPECT_EQ(optical(1), (Answer{0, kUntouched}));
    EXPECT_EQ(optical(1), (Answer{1, "Reflector Nosepiece"}));
    EXPECT_EQ(xq::os::fault_count(), 2) << "one block per call";
    // The block is released on every path: the sanitizer run checks for leaks.
}

// Each lookup reads each configuration file at most once (next-layer lookups
// only the physical one), and the settings with one opening of their key.
TEST(ConfigSample, EachFileReadOncePerCall) {
    using xq::os::Op;
    Installation sample;
    xq::os::fault_arm({Op::reg_open, 1000});
    char b[260];
    GetVortaRootDir(b, sizeof b);
    const int settings_opens = xq::os::fault_count();
    const struct {
        std::function<void()> call;
        int files;
    } calls[] = {
        {[&] { GetQelStand(b, 260); }, 2},          {[] { GetQelStandComp("Focus"); }, 2},
        {[&] { GetQelServer("Focus", b, 260); }, 1}, {[] { GetQelMode("Focus"); }, 1},
        {[&] { GetQelOpticalPath(1, b, 260); }, 1},  {[&] { GetPsiServer("Stage", b, 260); }, 2},
        {[&] { GetPsiGlobalDataSection("Stage", b, 260); }, 2}, {[&] { GetPsiNextLayerServer("StandBus", b, 260); }, 1},
    };
    for (std::size_t n = 0; n < std::size(calls); ++n) {
        xq::os::fault_arm({Op::file_open, 1000});
        calls[n].call();
        EXPECT_EQ(xq::os::fault_count(), calls[n].files) << "call " << n;
        xq::os::fault_arm({Op::reg_open, 1000});
        calls[n].call();
        EXPECT_EQ(xq::os::fault_count(), settings_opens) << "call " << n;
    }
}

// Root and file name joined can exceed 259 characters: the server path is
// held whole and cut only by the caller's capacity.
TEST(ConfigBounds, LongRootsStayBounded) {
    const std::string file(258, 'f');
    Installation install("[Focus]\nServer=" + file + "\n", "");
    install.move_root(240);
    ASSERT_EQ(install.root().size(), 240u);
    const std::string whole = install.root() + "\\" + file;
    for (const uint32_t capacity : {600u, 499u, 260u}) {
        EXPECT_EQ(ask(GetQelServer, "Focus", capacity), (Answer{1, whole.substr(0, capacity - 1)})) << capacity;
    }
    // Roots that leave the physical file name no room, or overflow the
    // 259-character path: nothing is found and nothing overrun.
    for (const std::size_t length : {254u, 256u, 259u}) {
        ASSERT_EQ(VOKSDKChangeRoot(std::string(length, 'r').c_str()), 1);
        EXPECT_EQ(stand(), (Answer{0, kUntouched})) << length;
        EXPECT_EQ(GetQelStandComp("Focus"), 0) << length;
        EXPECT_EQ(ask(GetQelServer, "Focus"), (Answer{1, "None"})) << length;
        EXPECT_EQ(ask(GetPsiServer, "Focus"), (Answer{1, "None"})) << length;
    }
}

}  // namespace
