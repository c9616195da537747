// Physical server interface lookups: a component's server-section entries,
// its data sections and the next layer, on the sample installation and on
// small files for each rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "config/sources.h"
#include "config_installation.h"
#include "config/lookups.h"
#include "xq_utils.h"

namespace {

using xq::test::Answer;
using xq::test::ask;
using xq::test::Installation;
using xq::test::NamedText;

// The lookups of a component's server section, in the order of its entries,
// and those of a next layer's section.
const NamedText kServerEntries[] = {GetPsiServer, GetPsiServerApi, GetPsiServerData,
                                    GetPsiGlobalData, GetPsiOperData, GetPsiNextLayer};
const NamedText kLayerEntries[] = {GetPsiNextLayerServer, GetPsiNextLayerServerApi, GetPsiNextLayerServerData,
                                   GetPsiNextLayerGlobalDataSection, GetPsiNextLayerOperationalDataSection};

// `text` with a leading "$" replaced by the root and its backslash.
std::string expand(const std::string& text, const std::string& root) {
    return text.starts_with('$') ? root + "\\" + text.substr(1) : text;
}

TEST(PsiSample, EveryLookupOnTheSampleInstallation) {
    Installation sample;
    const struct {
        const char* component;
        const char* entries[6];  // Server, ServerApi, ServerData, GlobalData, OperData, NextLayer
        const char* sections[2];  // global, operational
    } components[] = {
        {"Stage",
         {"$servers\\stage.exe", "$servers\\stageapi.dll", "$data\\stage.dat", "$data\\stageglobal.ini",
          "$data\\stageoper.ini", "StageController"},
         {"StageGlobal", "StageOper"}},
        {"Lamp",  // a file name with a blank in it is used whole
         {"$servers\\lamp control.exe", "$servers\\lampapi.dll", "$data\\lamp.dat", "$data\\lampglobal.ini",
          "$data\\lampoper.ini", "None"},
         {"LampGlobal", "LampOper"}},
        // Server section "NO": every entry "None", the data sections remain.
        {"Shutter", {"None", "None", "None", "None", "None", "None"}, {"ShutterGlobal", "ShutterOper"}},
        {"Condenser", {"None", "None", "None", "None", "None", "None"}, {"None", "None"}},
        {"Turret", {"None", "None", "None", "None", "None", "None"}, {"None", "None"}},
    };
    for (const auto& c : components) {
        for (std::size_t n = 0; n < 6; ++n)
            EXPECT_EQ(ask(kServerEntries[n], c.component), (Answer{1, expand(c.entries[n], sample.root())}))
                << c.component << " entry " << n;
        EXPECT_EQ(ask(GetPsiGlobalDataSection, c.component), (Answer{1, c.sections[0]})) << c.component;
        EXPECT_EQ(ask(GetPsiOperationalDataSection, c.component), (Answer{1, c.sections[1]})) << c.component;
    }
    const struct {
        const char* layer;
        const char* entries[5];
    } layers[] = {
        {"StandBus",
         {"$servers\\canbus.exe", "$servers\\canbusapi.dll", "$data\\canbus.dat", "CanBusGlobal", "CanBusOper"}},
        {"None", {"None", "None", "None", "None", "None"}},  // GetPsiNextLayer's answer for "no next layer"
    };
    for (const auto& l : layers) {
        for (std::size_t n = 0; n < 5; ++n)
            EXPECT_EQ(ask(kLayerEntries[n], l.layer), (Answer{1, expand(l.entries[n], sample.root())}))
                << l.layer << " entry " << n;
    }
    // The chain as a caller walks it.
    EXPECT_EQ(ask(GetPsiNextLayer, "Nosepiece"), (Answer{1, "StandBus"}));
    EXPECT_EQ(ask(GetPsiNextLayerGlobalDataSection, ask(GetPsiNextLayer, "Stage").text.c_str()),
              (Answer{1, "ControllerGlobal"}));
}

TEST(PsiRules, ServerSectionWalkAndDataSections) {
    const struct {
        const char* logical;   // value of Focus in Configuration
        const char* physical;  // value of F1 in section Focus
        const char* server;    // GetPsiServer ("$": root prefix)
        const char* layer;     // GetPsiNextLayer
        const char* global;    // GetPsiGlobalDataSection
        const char* operational;
    } cases[] = {
        {"F1 COM1 0", "a b M Srv G O extra", "$srv.exe", "Layer", "G", "O"},
        {"F1", "a b M NO G O", "None", "None", "G", "O"},
        {"F1", "a b M no G", "$lower.exe", "None", "G", ""},  // "no" names a section
        {"F1", "a b M", "None", "None", "", ""},              // section "" does not exist
        {"F1", "a b M Srv\tX G\tY", "$tab.exe", "None", "G\tY", ""},  // tabs belong to words
        {"F1", "a b M Quiet None", "None", "None", "None", ""},        // Server holds "None"
        {"F1", "a b M Blank", "$", "", "", ""},                        // empty values are configured
        {"F2", "a b M Srv G O", "None", "None", "", ""},               // no physical entry F2
        {"None", "a b M Srv G O", "None", "None", "None", "None"},
        {"\"\"", "a b M Srv G O", "None", "None", "None", "None"},
    };
    const std::string sections =
        "[Srv]\nServer=srv.exe\nNextLayer=Layer\n[no]\nServer=lower.exe\n[Srv\tX]\nServer=tab.exe\n"
        "[Quiet]\nServer=None\nNextLayer=None\n[Blank]\nServer=\nNextLayer=\n";
    Installation install("", "");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.logical) + " / " + c.physical);
        install.write(std::string("[Configuration]\nFocus=") + c.logical, std::string("[Focus]\nF1=") + c.physical +
                                                                           "\n" + sections);
        EXPECT_EQ(ask(GetPsiServer, "Focus"), (Answer{1, expand(c.server, install.root())}));
        EXPECT_EQ(ask(GetPsiNextLayer, "Focus"), (Answer{1, c.layer}));
        EXPECT_EQ(ask(GetPsiGlobalDataSection, "Focus"), (Answer{1, c.global}));
        EXPECT_EQ(ask(GetPsiOperationalDataSection, "Focus"), (Answer{1, c.operational}));
    }
}

TEST(PsiRules, CapacitiesMissingFilesAndRootOverride) {
    Installation other;
    Installation sample;  // the settings store names this one
    const std::string server = sample.root() + "\\servers\\focus.exe";
    EXPECT_EQ(ask(GetPsiServer, "Focus", 5), (Answer{1, server.substr(0, 4)}));
    EXPECT_EQ(ask(GetPsiNextLayer, "Stage", 1), (Answer{1, ""}));
    EXPECT_EQ(ask(GetPsiGlobalDataSection, "Focus", 6), (Answer{1, "Focus"}));
    ASSERT_EQ(VOKSDKChangeRoot(other.root().c_str()), 1);
    EXPECT_EQ(ask(GetPsiNextLayerServer, "StandBus"), (Answer{1, other.root() + "\\servers\\canbus.exe"}));
    // No physical file: "None", and empty data sections.
    std::filesystem::remove(std::filesystem::path(other.root()) / "physical.ini");
    EXPECT_EQ(ask(GetPsiServer, "Focus"), (Answer{1, "None"}));
    EXPECT_EQ(ask(GetPsiGlobalDataSection, "Focus"), (Answer{1, ""}));
    EXPECT_EQ(ask(GetPsiNextLayerServer, "StandBus"), (Answer{1, "None"}));
}

// Root and value joined reach 259 + 1 + 258 characters; the lookups hand over
// at most 259 of them, cut further by the capacity. The root is not tested:
// an unconfigured one prefixes "None\".
TEST(PsiBounds, LongestRootAndValue) {
    const std::string root(259, 'r'), value(258, 'v');
    const std::string logical = "[Configuration]\nFocus=F1\n";
    const std::string physical = "[Focus]\nF1=a b M Srv\n[Srv]\nServer=" + value + "x\n";
    xq::config::Sources sources(root, logical, physical);
    const std::string whole = xq::psi::component_entry(sources, "Focus", "Server", true);
    EXPECT_EQ(whole, root + "\\" + value);
    for (const uint32_t capacity : {600u, 259u, 1u}) {
        const Answer a = xq::test::ask_with(capacity, [&](char* b, uint32_t c) {
            return xq::psi::hand_over_result(b, c, whole);
        });
        EXPECT_EQ(a, (Answer{1, whole.substr(0, std::min<std::size_t>(259, capacity - 1))})) << capacity;
    }
    xq::config::Sources unrooted("None", logical, physical);
    EXPECT_EQ(xq::psi::next_layer_entry(unrooted, "Srv", "Server", true), "None\\" + value);

    Installation install(logical, physical);
    install.move_root(240);
    ASSERT_EQ(install.root().size(), 240u);
    const Answer cut{1, (install.root() + "\\" + value).substr(0, 259)};
    EXPECT_EQ(ask(GetPsiServer, "Focus", 600), cut);
    EXPECT_EQ(ask(GetPsiNextLayerServer, "Srv", 600), cut);
}

}  // namespace
