// The registry seam through the test settings store (the Wine registry on
// Windows, a registry file on Linux): key opening, the terminator rules of
// string queries, string writes and the fault points.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/fault.h"
#include "platform/platform.h"
#include "support/reset.h"
#include "support/test_registry.h"

namespace xq::os {
namespace {

constexpr const char* kIniPath = "SOFTWARE\\Brenvik\\Vorta XQ SDK\\9.9\\Ini";

class RegistrySeam : public ::testing::Test {
protected:
    void SetUp() override {
        test::reset_library_state();
        test::registry_install("9.9", {{"Text", "abc"}, {"Empty", ""}});
    }
    void TearDown() override {
        fault_disarm();
        test::registry_clear();
    }
};

// Opens the test's settings key; closes it at scope end.
struct OpenKey {
    explicit OpenKey(std::uint32_t rights) : key(reg_open(nullptr, kIniPath, rights)) {}
    ~OpenKey() { reg_close(key); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    RegKey* key;
};

TEST_F(RegistrySeam, OpensKeysLevelByLevelOrInOneGo) {
    RegKey* software = reg_open(nullptr, "SOFTWARE", kKeyQueryValue);
    ASSERT_NE(software, nullptr);
    RegKey* product = reg_open(software, "Brenvik\\Vorta XQ SDK", kKeyQueryValue);
    ASSERT_NE(product, nullptr);
    std::array<char, 16> version{};
    EXPECT_TRUE(reg_query_string(product, "CurrentVersion", version));
    EXPECT_STREQ(version.data(), "9.9");
    EXPECT_EQ(reg_open(product, "no such key", kKeyQueryValue), nullptr);
    reg_close(product);
    reg_close(software);
}

TEST_F(RegistrySeam, QuerySucceedsOnlyWhenTextAndTerminatorFit) {
    test::registry_set_raw("9.9", "Raw", "xyz");  // stored without terminator
    test::registry_set_raw("9.9", "RawEmpty", "");
    struct Case {
        const char* name;
        std::size_t capacity;
        bool ok;
        const char* text;
    };
    const Case cases[] = {
        {"Text", 3, false, nullptr}, {"Text", 4, true, "abc"},      {"Text", 40, true, "abc"},
        {"Raw", 3, false, nullptr},  {"Raw", 4, true, "xyz"},       {"Raw", 40, true, "xyz"},
        {"Empty", 1, true, ""},      {"RawEmpty", 1, true, ""},     {"Missing", 40, false, nullptr},
    };
    const OpenKey settings(kKeyQueryValue);
    ASSERT_NE(settings.key, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " in " + std::to_string(c.capacity));
        std::array<char, 48> bytes;
        bytes.fill('#');
        const bool ok = reg_query_string(settings.key, c.name, std::span<char>(bytes.data(), c.capacity));
        EXPECT_EQ(ok, c.ok);
        if (ok) {
            EXPECT_EQ(std::string(bytes.data()), c.text);
        }
        EXPECT_EQ(bytes[c.capacity], '#') << "written past the span";
    }
}

TEST_F(RegistrySeam, SetStoresTheViewWithTerminatorAndNeedsTheSetRight) {
    const std::string backing = "GERMANY";
    {
        const OpenKey settings(kKeyQueryValue | kKeySetValue);
        ASSERT_NE(settings.key, nullptr);
        EXPECT_TRUE(reg_set_string(settings.key, "Lang", std::string_view(backing).substr(0, 3)));
        EXPECT_TRUE(reg_set_string(settings.key, "Blank", ""));
    }
    EXPECT_EQ(test::registry_get("9.9", "Lang"), "GER");
    EXPECT_EQ(test::registry_get("9.9", "Blank"), "");
    const OpenKey read_only(kKeyQueryValue);
    EXPECT_FALSE(reg_set_string(read_only.key, "Lang", "ENG"));
    EXPECT_EQ(test::registry_get("9.9", "Lang"), "GER");
}

TEST_F(RegistrySeam, EveryOperationHasItsFaultPoint) {
    fault_arm({.kind = Op::reg_open, .fail_at = 1});
    EXPECT_EQ(reg_open(nullptr, kIniPath, kKeyQueryValue), nullptr);

    // The set-right fault leaves query-only opens alone.
    fault_arm({.kind = Op::reg_open_set, .fail_at = 1, .sticky = true});
    {
        const OpenKey reading(kKeyQueryValue);
        EXPECT_NE(reading.key, nullptr);
        const OpenKey writing(kKeyQueryValue | kKeySetValue);
        EXPECT_EQ(writing.key, nullptr);
    }
    fault_disarm();

    const OpenKey settings(kKeyQueryValue | kKeySetValue);
    ASSERT_NE(settings.key, nullptr);
    std::array<char, 8> out{};
    fault_arm({.kind = Op::reg_query, .fail_at = 1});
    EXPECT_FALSE(reg_query_string(settings.key, "Text", out));
    EXPECT_TRUE(reg_query_string(settings.key, "Text", out));
    fault_arm({.kind = Op::reg_set, .fail_at = 1});
    EXPECT_FALSE(reg_set_string(settings.key, "Text", "new"));
    fault_disarm();
    EXPECT_EQ(test::registry_get("9.9", "Text"), "abc");
}

}  // namespace
}  // namespace xq::os
