// Installation settings: registry values, defaults, overrides and capacities.
#include <gtest/gtest.h>

#include <span>
#include <string>

#include "platform/fault.h"
#include "support/buffer.h"
#include "support/reset.h"
#include "support/test_registry.h"
#include "xq_utils.h"

namespace {

using xq::test::GuardedBuffer;

using Getter = int32_t(XQ_CALL*)(char*, uint32_t);

std::string get(Getter getter, uint32_t capacity = 260) {
    GuardedBuffer buffer(capacity);
    EXPECT_EQ(getter(buffer.data(), capacity), 1);
    EXPECT_TRUE(buffer.guards_intact());
    return buffer.text();
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        xq::test::reset_library_state();
        xq::test::registry_clear();
    }
    void TearDown() override { xq::test::reset_library_state(); }

    static void install(const xq::test::Values& ini) { xq::test::registry_install("4.1", ini); }
};

const xq::test::Values kFullInstall = {{"VortaRoot", "C:\\Scope"},
                                       {"Lang", "GER"},
                                       {"FirstSetup", "TRUE"},
                                       {"LogConfFile", "logical.ini"},
                                       {"PhyConfFile", "physical.ini"}};

// Each getter with its installed value and its default.
const struct {
    Getter getter;
    const char* value;
    const char* fallback;
} kGetters[] = {{GetVortaRootDir, "C:\\Scope", "0"},
                {GetVortaLang, "GER", "0"},
                {GetVortaFirstSetup, "TRUE", "FALSE"},
                {GetVortaLogConfFile, "logical.ini", "None"},
                {GetVortaPhyConfFile, "physical.ini", "None"}};

// Without the product key every getter gives its default and the version
// read fails writing nothing; installed, the values are read, the version
// only into a buffer it fits.
TEST_F(SettingsTest, InstalledValuesAndDefaults) {
    for (const bool installed : {false, true}) {
        if (installed) install(kFullInstall);
        for (const auto& g : kGetters) EXPECT_EQ(get(g.getter), installed ? g.value : g.fallback);
        for (const uint32_t capacity : {3u, 4u, 32u}) {
            GuardedBuffer version(capacity);
            const bool fits = installed && capacity > 3;
            EXPECT_EQ(GetVortaSDKVersion(version.data(), capacity), fits ? 1 : 0) << capacity;
            const std::string untouched(capacity, GuardedBuffer::kFill);
            EXPECT_EQ(fits ? version.text() : version.raw(), fits ? "4.1" : untouched);
            EXPECT_TRUE(version.guards_intact());
        }
    }
}

TEST_F(SettingsTest, VersionKeyMissingOrUnnamedGivesDefaults) {
    xq::test::registry_install_product_only({{"CurrentVersion", "9.9"}});
    EXPECT_EQ(get(GetVortaRootDir), "0");
    xq::test::registry_install_product_only({});
    EXPECT_EQ(get(GetVortaLang), "0");
    GuardedBuffer version(16);
    EXPECT_EQ(GetVortaSDKVersion(version.data(), 16), 0);
}

TEST_F(SettingsTest, StoredTextsThatMeanUnset) {
    struct Case {
        const char* stored;
        const char* root;
        const char* first_setup;
        const char* log_conf;
    } cases[] = {
        {"", "0", "FALSE", ""},
        {"None", "0", "FALSE", "None"},
        {"none", "none", "none", "none"},
        {"NO", "NO", "NO", "NO"},
    };
    for (const auto& c : cases) {
        install({{"VortaRoot", c.stored}, {"FirstSetup", c.stored}, {"LogConfFile", c.stored}, {"Lang", c.stored}});
        EXPECT_EQ(get(GetVortaRootDir), c.root) << c.stored;
        EXPECT_EQ(get(GetVortaLang), c.root) << c.stored;
        EXPECT_EQ(get(GetVortaFirstSetup), c.first_setup) << c.stored;
        EXPECT_EQ(get(GetVortaLogConfFile), c.log_conf) << c.stored;
    }
}

TEST_F(SettingsTest, RootOf259CharactersDoesNotFitAndCountsAsMissing) {
    const std::string fits(258, 'r');
    install({{"VortaRoot", fits}});
    EXPECT_EQ(get(GetVortaRootDir), fits);
    install({{"VortaRoot", fits + "r"}});
    EXPECT_EQ(get(GetVortaRootDir), "0");
}

TEST_F(SettingsTest, GettersCutToTheCapacity) {
    install(kFullInstall);
    // The configuration file names differ: see the next test.
    for (const auto& g : std::span(kGetters).first(3)) {
        for (uint32_t capacity : {1u, 2u, 3u}) {
            GuardedBuffer buffer(capacity);
            ASSERT_EQ(g.getter(buffer.data(), capacity), 1);
            EXPECT_TRUE(buffer.guards_intact()) << g.value;
            EXPECT_EQ(buffer.raw().back(), '\0') << g.value << " capacity " << capacity;
            EXPECT_EQ(buffer.text().size(), capacity - 1) << g.value;
        }
    }
    EXPECT_EQ(get(GetVortaRootDir, 3), "C:");
    // Every byte after the text is zero.
    GuardedBuffer wide(64);
    GetVortaRootDir(wide.data(), 64);
    EXPECT_EQ(wide.raw(), std::string("C:\\Scope") + std::string(64 - 8, '\0'));
}

TEST_F(SettingsTest, ConfFileFromRegistryLeavesTheLastByteAlone) {
    install(kFullInstall);
    // "logical.ini" needs 12 bytes; the registry is offered capacity - 1.
    GuardedBuffer buffer(13);
    ASSERT_EQ(GetVortaLogConfFile(buffer.data(), 13), 1);
    EXPECT_EQ(buffer.text(), "logical.ini");
    GuardedBuffer tight(12);
    ASSERT_EQ(GetVortaLogConfFile(tight.data(), 12), 1);
    EXPECT_EQ(tight.text(), "None");
    // The default itself does not fit: it is cut so that it stays terminated.
    GuardedBuffer small(5);
    ASSERT_EQ(GetVortaLogConfFile(small.data(), 5), 1);
    EXPECT_EQ(small.text(), "Non");
    EXPECT_EQ(small.raw()[4], GuardedBuffer::kFill) << "the last byte is not written";
    EXPECT_TRUE(small.guards_intact());
    GuardedBuffer one(1);
    ASSERT_EQ(GetVortaPhyConfFile(one.data(), 1), 1);
    EXPECT_EQ(one.raw(), std::string(1, '\0'));
}

TEST_F(SettingsTest, ConfFileOverrideIsCutToTheCapacity) {
    ASSERT_EQ(VOKSDKChangeLogConfFile("a-rather-long-logical-file-name.ini"), 1);
    ASSERT_EQ(VOKSDKChangePhyConfFile("phy.ini"), 1);
    EXPECT_EQ(get(GetVortaLogConfFile, 8), "a-rathe");
    EXPECT_EQ(get(GetVortaPhyConfFile, 4), "phy");
    EXPECT_EQ(get(GetVortaPhyConfFile), "phy.ini");
}

TEST_F(SettingsTest, LanguageOverrideAcceptsOnlyTwoCodes) {
    install(kFullInstall);
    for (const char* refused : {"eng", "Ger", "FRA", "", "ENGL", "GER ", "ENGLISH-LANGUAGE-CODE-TOO-LONG"}) {
        EXPECT_EQ(VOKSDKChangeLang(refused), 0) << refused;
    }
    EXPECT_EQ(get(GetVortaLang), "GER") << "refused changes leave the registry value in force";
    ASSERT_EQ(VOKSDKChangeLang("ENG"), 1);
    EXPECT_EQ(get(GetVortaLang), "ENG");
    // Writing the registry does not change what this process sees.
    EXPECT_EQ(SetVortaLang("GER"), 1);
    EXPECT_EQ(xq::test::registry_get("4.1", "Lang"), "GER");
    EXPECT_EQ(get(GetVortaLang), "ENG");
    EXPECT_EQ(VOKSDKChangeLang("xx"), 0);
    EXPECT_EQ(get(GetVortaLang), "ENG");
}

TEST_F(SettingsTest, PathOverridesTakeUpTo259Characters) {
    install(kFullInstall);
    const std::string longest(259, 'p');
    using Change = int32_t(XQ_CALL*)(const char*);
    const struct {
        Change change;
        Getter getter;
    } slots[] = {{VOKSDKChangeRoot, GetVortaRootDir},
                 {VOKSDKChangeLogConfFile, GetVortaLogConfFile},
                 {VOKSDKChangePhyConfFile, GetVortaPhyConfFile}};
    for (const auto& slot : slots) {
        ASSERT_EQ(slot.change("first"), 1);
        EXPECT_EQ(slot.change((longest + "p").c_str()), 0);
        EXPECT_EQ(get(slot.getter), "first") << "a refused change keeps the earlier override";
        ASSERT_EQ(slot.change(longest.c_str()), 1);
        EXPECT_EQ(get(slot.getter), longest);
        EXPECT_EQ(slot.change(nullptr), 0);
    }
    ASSERT_EQ(VOKSDKChangeRoot(""), 1);
    EXPECT_EQ(get(GetVortaRootDir), "0") << "an empty root hides the registry";
}

TEST_F(SettingsTest, SettersWriteTheRegistry) {
    install(kFullInstall);
    EXPECT_EQ(SetVortaFirstSetup("DONE"), 1);
    EXPECT_EQ(get(GetVortaFirstSetup), "DONE");
    EXPECT_EQ(SetVortaLang("ENG"), 1);
    EXPECT_EQ(get(GetVortaLang), "ENG");
    EXPECT_EQ(xq::test::registry_get("4.1", "Lang"), "ENG");
    // Without a settings key the write fails, and the result is still 1.
    xq::test::registry_clear();
    EXPECT_EQ(SetVortaLang("GER"), 1);
    EXPECT_EQ(get(GetVortaLang), "0");
}

TEST_F(SettingsTest, ReadingNeedsNoRightToWrite) {
    install(kFullInstall);
    xq::os::fault_arm({xq::os::Op::reg_open_set, 1, true});
    EXPECT_EQ(get(GetVortaRootDir), "C:\\Scope");
    EXPECT_EQ(get(GetVortaLogConfFile), "logical.ini");
    EXPECT_EQ(xq::os::fault_count(), 0) << "no read asks for the set-value right";
    EXPECT_EQ(SetVortaLang("ENG"), 1);
    EXPECT_GE(xq::os::fault_count(), 1);
    xq::os::fault_disarm();
    EXPECT_EQ(xq::test::registry_get("4.1", "Lang"), "GER") << "the refused write changed nothing";
}

TEST_F(SettingsTest, ValueStoredWithoutTerminatorIsTerminated) {
    install(kFullInstall);
    xq::test::registry_set_raw("4.1", "VortaRoot", "D:\\Raw");
    EXPECT_EQ(get(GetVortaRootDir), "D:\\Raw");
    // Raw bytes that fill the working capacity exactly leave no room for the
    // terminator: the value counts as missing.
    xq::test::registry_set_raw("4.1", "VortaRoot", std::string(259, 'x'));
    EXPECT_EQ(get(GetVortaRootDir), "0");
}

// Every registry operation a getter makes may fail; each failure gives the
// getter's default, never a crash or an unterminated text.
TEST_F(SettingsTest, EveryRegistryFailureGivesTheDefault) {
    install(kFullInstall);
    for (const auto& g : kGetters) {
        xq::os::fault_arm({xq::os::Op::count_, 1000000, false});
        get(g.getter);
        const int operations = xq::os::fault_count();
        ASSERT_GT(operations, 0);
        for (int n = 1; n <= operations; ++n) {
            xq::os::fault_arm({xq::os::Op::count_, n, false});
            EXPECT_EQ(get(g.getter), g.fallback) << g.value << ": operation " << n;
        }
        xq::os::fault_disarm();
        EXPECT_EQ(get(g.getter), g.value);
    }
}

}  // namespace
