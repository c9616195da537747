// Installation settings and overrides, and the registry seam beneath them
// (the Wine registry on Windows, a registry file on Linux).
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/fault.h"
#include "platform/platform.h"
#include "support/buffer.h"
#include "support/reset.h"
#include "support/test_registry.h"
#include "xq_utils.h"

namespace {

using namespace std::string_literals;
using xq::test::GuardedBuffer;
using xq::test::registry_get;
using xq::test::registry_install;
using Getter = int32_t(XQ_CALL*)(char*, uint32_t);
const std::string F(1, GuardedBuffer::kFill);

// The getter's result, ":" and every byte of the capacity; nothing written outside.
std::string raw(Getter getter, uint32_t capacity) {
    GuardedBuffer buffer(capacity);
    const int32_t result = getter(buffer.data(), capacity);
    EXPECT_TRUE(buffer.guards_intact());
    return std::to_string(result) + ":" + buffer.raw();
}
// The text a getter (which must answer 1) gives in 260 bytes.
std::string get(Getter getter) {
    const std::string all = raw(getter, 260);
    EXPECT_EQ(all.substr(0, 2), "1:");
    return all.substr(2, all.find('\0') - 2);
}

const xq::test::Values kFull = {{"VortaRoot", "C:\\Scope"}, {"Lang", "GER"}, {"FirstSetup", "TRUE"},
                                {"LogConfFile", "logical.ini"}, {"PhyConfFile", "physical.ini"}};

// Every test starts from an installation holding all the settings.
class Settings : public ::testing::Test {
protected:
    void SetUp() override { xq::test::reset_library_state(), registry_install("4.1", kFull); }
    void TearDown() override { xq::os::fault_disarm(), xq::test::reset_library_state(); }
};

// Not installed, no CurrentVersion, no version key, "None" or "" stored,
// installed; reading never asks for the right to write.
TEST_F(Settings, GettersReadTheValueOrGiveTheirDefault) {
    // Getter; installed; not installed or "None"; stored "".
    const std::tuple<Getter, const char*, const char*, const char*> getters[] = {
        {GetVortaRootDir, "C:\\Scope", "0", "0"},      {GetVortaLang, "GER", "0", "0"},
        {GetVortaFirstSetup, "TRUE", "FALSE", "FALSE"}, {GetVortaLogConfFile, "logical.ini", "None", ""},
        {GetVortaPhyConfFile, "physical.ini", "None", ""}};
    xq::test::Values none, empty;
    for (const auto& [name, text] : kFull) none.push_back({name, "None"}), empty.push_back({name, ""});
    for (int step = 0; step < 6; ++step) {
        if (step == 0) xq::test::registry_clear();
        if (step == 1) xq::test::registry_install_product_only({});
        if (step == 2) xq::test::registry_install_product_only({{"CurrentVersion", "9.9"}});
        if (step >= 3) registry_install("4.1", step == 3 ? none : step == 4 ? empty : kFull);
        xq::os::fault_arm({xq::os::Op::reg_open_set, 1, true});
        for (const auto& [getter, value, unset, blank] : getters)
            EXPECT_EQ(get(getter), step == 5 ? value : step == 4 ? blank : unset);
        EXPECT_EQ(raw(GetVortaSDKVersion, 4), step > 2 ? "1:4.1\0"s : step == 2 ? "1:9.9\0"s : "0:" + F + F + F + F);
        EXPECT_EQ(xq::os::fault_count(), 0) << "a reader opened a key to write";
    }
#ifndef _WIN32  // Windows key names stop at 255 characters
    // A version of 259 characters names its key, one of 260 does not.
    for (const uint32_t n : {259u, 260u}) {
        registry_install(std::string(n, '9'), {{"Lang", "GER"}});
        EXPECT_EQ(get(GetVortaLang), n == 259 ? "GER" : "0") << n;
        EXPECT_EQ(raw(GetVortaSDKVersion, n + 1), "1:" + std::string(n, '9') + '\0');
    }
#endif
}

// Cut to the capacity, terminated, zero-filled; the configuration file names
// from the registry leave the capacity's last byte unwritten; a version that
// does not fit writes nothing.
TEST_F(Settings, BytesWrittenForEachCapacity) {
    const std::tuple<Getter, uint32_t, std::string> rows[] = {
        {GetVortaRootDir, 1, "1:\0"s}, {GetVortaRootDir, 12, "1:C:\\Scope\0\0\0\0"s}, {GetVortaLogConfFile, 2, "1:\0"s + F},
        {GetVortaFirstSetup, 3, "1:TR\0"s}, {GetVortaLogConfFile, 5, "1:Non\0"s + F}, {GetVortaSDKVersion, 3, "0:" + F + F + F},
        {GetVortaLogConfFile, 12, "1:None\0\0\0\0\0\0\0"s + F}, {GetVortaLogConfFile, 13, "1:logical.ini\0"s + F}};
    for (const auto& [getter, capacity, bytes] : rows) EXPECT_EQ(raw(getter, capacity), bytes) << capacity;
}

// Root and file names take no more than 259 characters, the language only
// "ENG" or "GER"; a refused change keeps what was in force; overrides are cut
// to the capacity and win over the registry. The setters write the registry
// and answer 1 even when there is nothing to write to.
TEST_F(Settings, OverridesWinSettersWriteTheRegistry) {
    using Change = int32_t(XQ_CALL*)(const char*);
    const std::pair<Change, Getter> slots[] = {{VOKSDKChangeRoot, GetVortaRootDir},
                                               {VOKSDKChangeLogConfFile, GetVortaLogConfFile},
                                               {VOKSDKChangePhyConfFile, GetVortaPhyConfFile}};
    for (const auto& [change, getter] : slots) {
        EXPECT_EQ(change("first") * 10 + change(std::string(260, 'p').c_str()) + change(nullptr), 10);
        EXPECT_EQ(get(getter) + "|" + raw(getter, 4), "first|1:fir\0"s);
    }
    for (const char* refused : {"eng", "Ger", "FRA", "", "ENGL", "GER ", "ENGLISH-LANGUAGE-CODE"})
        EXPECT_EQ(VOKSDKChangeLang(refused), 0) << refused;
    EXPECT_EQ(get(GetVortaLang), "GER");
    EXPECT_EQ(VOKSDKChangeLang("ENG") * 100 + SetVortaLang("GER") * 10 + SetVortaFirstSetup("DONE"), 111);
    EXPECT_EQ(get(GetVortaLang) + get(GetVortaFirstSetup) + registry_get("4.1", "Lang").value_or("-"), "ENGDONEGER");
    xq::test::registry_clear();
    EXPECT_EQ(SetVortaLang("GER"), 1);
    EXPECT_EQ(registry_get("4.1", "Lang"), std::nullopt);
}

// The seam beneath: a key opened in one go, a text read only when it and its
// terminator fit, a set needing the set right.
TEST_F(Settings, RegistrySeam) {
    using namespace xq::os;
    registry_install("9.9", {{"Text", "abc"}, {"Empty", ""}});
    const char* const ini = "SOFTWARE\\Brenvik\\Vorta XQ SDK\\9.9\\Ini";
    RegKey *key = reg_open(nullptr, ini, kKeyQueryValue | kKeySetValue), *reading = reg_open(nullptr, ini, kKeyQueryValue);
    ASSERT_TRUE(key != nullptr && reading != nullptr);
    // Refused (""): the span may hold anything, but nothing is written past it.
    const std::tuple<const char*, std::size_t, std::string> rows[] = {
        {"Text", 3, ""}, {"Text", 4, "abc\0"s}, {"Text", 6, "abc\0##"s}, {"Empty", 1, "\0"s}, {"Missing", 4, ""}};
    for (const auto& [name, capacity, bytes] : rows) {
        std::string out(capacity + 1, '#');
        EXPECT_EQ(reg_query_string(key, name, std::span(out.data(), capacity)), !bytes.empty());
        EXPECT_EQ(bytes.empty() ? out.substr(capacity) : out, bytes + "#") << name << " in " << capacity;
    }
    EXPECT_TRUE(reg_set_string(key, "Lang", std::string_view("GERMANY").substr(0, 3)));
    EXPECT_FALSE(reg_set_string(reading, "Text", "new")) << "no set right";
    EXPECT_EQ(registry_get("9.9", "Lang").value_or("-") + registry_get("9.9", "Text").value_or("-"), "GERabc");
    reg_close(key), reg_close(reading);
}

}  // namespace
