// Installation settings and overrides, and the registry seam beneath them
// (the Wine registry on Windows, a registry file on Linux).
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/fault.h"
#include "platform/platform.h"
#include "support/buffer.h"
#include "support/reset.h"
#include "support/test_registry.h"
#include "xq_utils.h"

namespace {

using xq::test::GuardedBuffer;
using Getter = int32_t(XQ_CALL*)(char*, uint32_t);
using Change = int32_t(XQ_CALL*)(const char*);
const std::string F(1, GuardedBuffer::kFill);

// The getter's result (always 1) and every byte of the capacity; nothing outside.
std::string raw(Getter getter, uint32_t capacity) {
    GuardedBuffer buffer(capacity);
    EXPECT_EQ(getter(buffer.data(), capacity), 1);
    EXPECT_TRUE(buffer.guards_intact());
    return buffer.raw();
}
std::string get(Getter getter) {
    const std::string all = raw(getter, 260);
    return all.substr(0, all.find('\0'));
}
std::string zeros(std::size_t n) { return std::string(n, '\0'); }

class Settings : public ::testing::Test {
protected:
    void SetUp() override { xq::test::reset_library_state(), xq::test::registry_clear(); }
    void TearDown() override { xq::os::fault_disarm(), xq::test::reset_library_state(); }
};

const xq::test::Values kFull = {{"VortaRoot", "C:\\Scope"}, {"Lang", "GER"}, {"FirstSetup", "TRUE"},
                                {"LogConfFile", "logical.ini"}, {"PhyConfFile", "physical.ini"}};
const struct {
    Getter getter;
    const char *value, *fallback, *none;  // installed, not installed, stored "None"
} kGetters[] = {{GetVortaRootDir, "C:\\Scope", "0", "0"},          {GetVortaLang, "GER", "0", "0"},
                {GetVortaFirstSetup, "TRUE", "FALSE", "FALSE"},     {GetVortaLogConfFile, "logical.ini", "None", "None"},
                {GetVortaPhyConfFile, "physical.ini", "None", "None"}};

// Each getter installed, without the product key, without CurrentVersion,
// with a version key that does not exist, with "None" and "" stored.
TEST_F(Settings, GettersReadTheValueOrGiveTheirDefault) {
    xq::test::Values none, empty, other;
    for (const auto& [name, text] : kFull) none.push_back({name, "None"}), empty.push_back({name, ""});
    for (const auto& g : kGetters) EXPECT_EQ(get(g.getter), g.fallback);
    xq::test::registry_install_product_only({});
    for (const auto& g : kGetters) EXPECT_EQ(get(g.getter), g.fallback);
    xq::test::registry_install_product_only({{"CurrentVersion", "9.9"}});
    for (const auto& g : kGetters) EXPECT_EQ(get(g.getter), g.fallback);
    xq::test::registry_install("4.1", none);
    for (const auto& g : kGetters) EXPECT_EQ(get(g.getter), g.none);
    xq::test::registry_install("4.1", empty);  // "" is unset for root, language and first setup only
    for (const auto& g : kGetters) EXPECT_EQ(get(g.getter), g.fallback == std::string("None") ? "" : g.fallback);
    xq::test::registry_install("4.1", {{"VortaRoot", "none"}, {"FirstSetup", "NO"}});
    EXPECT_EQ(get(GetVortaRootDir) + get(GetVortaFirstSetup), "noneNO");
    xq::test::registry_install("4.1", kFull);
    for (const auto& g : kGetters) EXPECT_EQ(get(g.getter), g.value);
}

// Registry texts: 258 characters fit the getters' working text, 259 do not;
// a version of 259 characters names its key, one of 260 does not.
TEST_F(Settings, LengthLimitsOfRegistryTexts) {
    for (const std::size_t n : {258u, 259u}) {
        xq::test::registry_install("4.1", {{"VortaRoot", std::string(n, 'r')}});
        EXPECT_EQ(get(GetVortaRootDir), n == 258 ? std::string(n, 'r') : "0");
        xq::test::registry_set_raw("4.1", "VortaRoot", std::string(n, 'x'));  // stored without terminator
        EXPECT_EQ(get(GetVortaRootDir), n == 258 ? std::string(n, 'x') : "0");
    }
#ifndef _WIN32  // Windows key names stop at 255 characters
    for (const uint32_t n : {259u, 260u}) {
        xq::test::registry_install(std::string(n, '9'), {{"Lang", "GER"}});
        EXPECT_EQ(get(GetVortaLang), n == 259 ? "GER" : "0") << n;
        GuardedBuffer version(n + 1);
        EXPECT_EQ(GetVortaSDKVersion(version.data(), n + 1), 1);
        EXPECT_EQ(version.raw(), std::string(n, '9') + '\0');
    }
#endif
}

// Cut to the capacity, terminated, zero-filled; the configuration file names
// from the registry leave the capacity's last byte unwritten.
TEST_F(Settings, BytesWrittenForEachCapacity) {
    xq::test::registry_install("4.1", kFull);
    const struct {
        Getter getter;
        uint32_t capacity;
        std::string bytes;
    } rows[] = {
        {GetVortaRootDir, 1, zeros(1)},           {GetVortaRootDir, 3, "C:" + zeros(1)},
        {GetVortaRootDir, 12, "C:\\Scope" + zeros(4)}, {GetVortaLang, 2, "G" + zeros(1)},
        {GetVortaFirstSetup, 3, "TR" + zeros(1)}, {GetVortaPhyConfFile, 1, zeros(1)},
        {GetVortaLogConfFile, 2, zeros(1) + F},   {GetVortaLogConfFile, 5, "Non" + zeros(1) + F},
        {GetVortaLogConfFile, 12, "None" + zeros(7) + F}, {GetVortaLogConfFile, 13, "logical.ini" + zeros(1) + F},
        {GetVortaLogConfFile, 14, "logical.ini" + zeros(2) + F},
    };
    for (const auto& r : rows) EXPECT_EQ(raw(r.getter, r.capacity), r.bytes) << r.capacity;
    for (const uint32_t capacity : {3u, 4u}) {
        GuardedBuffer version(capacity);
        EXPECT_EQ(GetVortaSDKVersion(version.data(), capacity), capacity == 4 ? 1 : 0);
        EXPECT_EQ(version.raw(), capacity == 4 ? "4.1" + zeros(1) : F + F + F) << "a failed read writes nothing";
    }
    xq::test::registry_clear();
    GuardedBuffer version(8);
    EXPECT_EQ(GetVortaSDKVersion(version.data(), 8), 0);
    EXPECT_EQ(version.raw(), std::string(8, GuardedBuffer::kFill));
}

// Root and file names take up to 259 characters, the language only "ENG" or
// "GER"; a refused change keeps what was in force; overrides are cut to the capacity.
TEST_F(Settings, OverridesWinAndRefuseWhatDoesNotFit) {
    xq::test::registry_install("4.1", kFull);
    const std::string longest(259, 'p');
    const struct {
        Change change;
        Getter getter;
    } slots[] = {{VOKSDKChangeRoot, GetVortaRootDir},
                 {VOKSDKChangeLogConfFile, GetVortaLogConfFile},
                 {VOKSDKChangePhyConfFile, GetVortaPhyConfFile}};
    for (const auto& slot : slots) {
        EXPECT_EQ(slot.change("first"), 1);
        EXPECT_EQ(slot.change((longest + "p").c_str()), 0);
        EXPECT_EQ(slot.change(nullptr), 0);
        EXPECT_EQ(get(slot.getter), "first");
        EXPECT_EQ(raw(slot.getter, 4), "fir" + zeros(1));
        EXPECT_EQ(slot.change(longest.c_str()), 1);
        EXPECT_EQ(get(slot.getter), longest);
    }
    EXPECT_EQ(VOKSDKChangeRoot(""), 1);
    EXPECT_EQ(get(GetVortaRootDir), "0") << "an empty root hides the registry";
    for (const char* refused : {"eng", "Ger", "FRA", "", "ENGL", "GER ", "ENGLISH-LANGUAGE-CODE"}) {
        EXPECT_EQ(VOKSDKChangeLang(refused), 0) << refused;
    }
    EXPECT_EQ(get(GetVortaLang), "GER");
    EXPECT_EQ(VOKSDKChangeLang("ENG"), 1);
    EXPECT_EQ(SetVortaLang("GER"), 1);
    EXPECT_EQ(xq::test::registry_get("4.1", "Lang"), "GER");
    EXPECT_EQ(get(GetVortaLang), "ENG") << "the override wins over the registry";
}

// The setters write the registry and answer 1 even when the write fails;
// reading never asks for the right to write.
TEST_F(Settings, SettersWriteTheRegistryReadersNeedNoWriteRight) {
    xq::test::registry_install("4.1", kFull);
    EXPECT_EQ(SetVortaFirstSetup("DONE"), 1);
    EXPECT_EQ(SetVortaLang("ENG"), 1);
    EXPECT_EQ(get(GetVortaFirstSetup) + get(GetVortaLang), "DONEENG");
    xq::os::fault_arm({xq::os::Op::reg_open_set, 1, true});
    EXPECT_EQ(get(GetVortaRootDir) + get(GetVortaLogConfFile), "C:\\Scopelogical.ini");
    EXPECT_EQ(xq::os::fault_count(), 0);
    EXPECT_EQ(SetVortaLang("GER"), 1);
    EXPECT_EQ(xq::test::registry_get("4.1", "Lang"), "ENG");
    xq::os::fault_disarm();
    xq::test::registry_clear();
    EXPECT_EQ(SetVortaLang("GER"), 1);
    EXPECT_EQ(xq::test::registry_get("4.1", "Lang"), std::nullopt);
}

// The seam itself: keys opened level by level or in one go, a text read only
// when it and its terminator fit, a set needing the set right, each operation
// with its fault point.
TEST_F(Settings, RegistrySeam) {
    using namespace xq::os;
    xq::test::registry_install("9.9", {{"Text", "abc"}, {"Empty", ""}});
    xq::test::registry_set_raw("9.9", "Raw", "xyz");
    xq::test::registry_set_raw("9.9", "RawEmpty", "");
    RegKey* software = reg_open(nullptr, "SOFTWARE", kKeyQueryValue);
    RegKey* product = reg_open(software, "Brenvik\\Vorta XQ SDK", kKeyQueryValue);
    std::array<char, 4> version{};
    EXPECT_TRUE(reg_query_string(product, "CurrentVersion", version));
    EXPECT_EQ(std::string(version.data(), 4), "9.9" + zeros(1));
    EXPECT_EQ(reg_open(product, "no such key", kKeyQueryValue), nullptr);
    reg_close(product), reg_close(software);

    RegKey* key = reg_open(nullptr, "SOFTWARE\\Brenvik\\Vorta XQ SDK\\9.9\\Ini", kKeyQueryValue | kKeySetValue);
    ASSERT_NE(key, nullptr);
    const struct {
        const char* name;
        std::size_t capacity;
        const char* text;  // null: refused
    } rows[] = {{"Text", 3, nullptr}, {"Text", 4, "abc"}, {"Raw", 3, nullptr}, {"Raw", 4, "xyz"},
                {"Raw", 40, "xyz"},   {"Empty", 1, ""},   {"RawEmpty", 1, ""}, {"Missing", 40, nullptr}};
    for (const auto& r : rows) {
        std::array<char, 48> bytes;
        bytes.fill('#');
        EXPECT_EQ(reg_query_string(key, r.name, std::span<char>(bytes.data(), r.capacity)), r.text != nullptr);
        const std::string expect = r.text != nullptr ? r.text + zeros(1) : "";
        EXPECT_EQ(std::string(bytes.data(), expect.size()), expect) << r.name << " in " << r.capacity;
        EXPECT_EQ(bytes[r.capacity], '#') << "written past the span";
    }
    EXPECT_TRUE(reg_set_string(key, "Lang", std::string_view("GERMANY").substr(0, 3)));
    EXPECT_TRUE(reg_set_string(key, "Blank", ""));
    EXPECT_EQ(xq::test::registry_get("9.9", "Lang"), "GER");
    EXPECT_EQ(xq::test::registry_get("9.9", "Blank"), "");
    fault_arm({Op::reg_query, 1, false});
    EXPECT_FALSE(reg_query_string(key, "Text", version));
    EXPECT_TRUE(reg_query_string(key, "Text", version));
    fault_arm({Op::reg_set, 1, false});
    EXPECT_FALSE(reg_set_string(key, "Text", "new"));
    reg_close(key);
    EXPECT_EQ(xq::test::registry_get("9.9", "Text"), "abc");

    RegKey* reading = reg_open(nullptr, "SOFTWARE\\Brenvik\\Vorta XQ SDK\\9.9\\Ini", kKeyQueryValue);
    EXPECT_FALSE(reg_set_string(reading, "Lang", "ENG")) << "no set right";
    fault_arm({Op::reg_open_set, 1, true});
    EXPECT_EQ(reg_open(nullptr, "SOFTWARE", kKeyQueryValue | kKeySetValue), nullptr);
    fault_arm({Op::reg_open, 1, false});
    EXPECT_EQ(reg_open(nullptr, "SOFTWARE", kKeyQueryValue), nullptr);
    reg_close(reading);
    EXPECT_EQ(xq::test::registry_get("9.9", "Lang"), "GER");
}

}  // namespace
