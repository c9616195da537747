// Paths of the logical and physical configuration files.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "config/sources.h"
#include "platform/fault.h"
#include "support/buffer.h"
#include "support/reset.h"
#include "support/test_registry.h"
#include "xq_utils.h"

namespace {

using xq::test::GuardedBuffer;

std::string path_of(void (*getter)(char*, std::uint32_t), uint32_t capacity) {
    GuardedBuffer buffer(capacity);
    getter(buffer.data(), capacity);
    EXPECT_TRUE(buffer.guards_intact());
    return buffer.text();
}
std::string log_path(uint32_t capacity = 260) { return path_of(xq::config::GetLogConfFilePath, capacity); }
std::string phy_path(uint32_t capacity = 260) { return path_of(xq::config::GetPhyConfFilePath, capacity); }

class ConfPathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        xq::test::reset_library_state();
        xq::test::registry_clear();
    }
    void TearDown() override { xq::test::reset_library_state(); }
};

TEST_F(ConfPathsTest, BuiltFromRegistryValues) {
    using Opt = std::optional<std::string>;
    const struct {
        Opt root, log, phy;
        const char* log_path;
        const char* phy_path;
    } cases[] = {
        {{}, {}, {}, "0", "None\\None"},
        {{}, "micro.ini", "phys.ini", "0", "None\\phys.ini"},
        {"C:\\Scope", "micro.ini", "phys.ini", "C:\\Scope\\micro.ini", "C:\\Scope\\phys.ini"},
        {"C:\\Scope", {}, {}, "0", "C:\\Scope\\None"},
        {"C:\\Scope", "", "", "0", "C:\\Scope\\"},
        {"C:\\Scope", "None", "None", "0", "C:\\Scope\\None"},
        {"C:\\Scope\\", "a.ini", "b.ini", "C:\\Scope\\\\a.ini", "C:\\Scope\\\\b.ini"},
        {"none", "a.ini", "b.ini", "none\\a.ini", "none\\b.ini"},
        {"", "a.ini", "b.ini", "0", "\\b.ini"},
        {"None", "a.ini", "b.ini", "0", "None\\b.ini"},
        {"/opt/scope", "logical.ini", "physical.ini", "/opt/scope\\logical.ini", "/opt/scope\\physical.ini"},
    };
    for (const auto& c : cases) {
        xq::test::Values values;
        if (c.root) values.emplace_back("VortaRoot", *c.root);
        if (c.log) values.emplace_back("LogConfFile", *c.log);
        if (c.phy) values.emplace_back("PhyConfFile", *c.phy);
        xq::test::registry_install("4.1", values);
        EXPECT_EQ(log_path(), c.log_path) << c.root.value_or("(none)");
        EXPECT_EQ(phy_path(), c.phy_path) << c.root.value_or("(none)");
    }
}

TEST_F(ConfPathsTest, OverridesReplaceTheRegistry) {
    xq::test::registry_install("4.1", {{"VortaRoot", "C:\\Scope"}, {"LogConfFile", "a.ini"}, {"PhyConfFile", "b.ini"}});
    ASSERT_EQ(VOKSDKChangeRoot("D:\\Other"), 1);
    EXPECT_EQ(log_path(), "D:\\Other\\a.ini");
    EXPECT_EQ(phy_path(), "D:\\Other\\b.ini");
    ASSERT_EQ(VOKSDKChangeLogConfFile("x.ini"), 1);
    ASSERT_EQ(VOKSDKChangePhyConfFile("y.ini"), 1);
    // With every piece overridden, the registry is not consulted at all.
    xq::os::fault_arm({xq::os::Op::count_, 1, true});
    EXPECT_EQ(log_path(), "D:\\Other\\x.ini");
    EXPECT_EQ(phy_path(), "D:\\Other\\y.ini");
    EXPECT_EQ(xq::os::fault_count(), 0);
    xq::os::fault_disarm();
    ASSERT_EQ(VOKSDKChangeLogConfFile(""), 1);
    EXPECT_EQ(log_path(), "0");
}

TEST_F(ConfPathsTest, TextCopyCutsAndZeroFills) {
    xq::test::registry_install("4.1", {{"VortaRoot", "C:\\Scope"}, {"LogConfFile", "micro12.ini"}});
    ASSERT_EQ(log_path(), "C:\\Scope\\micro12.ini");  // 20 characters
    EXPECT_EQ(log_path(10), "C:\\Scope\\");
    EXPECT_EQ(log_path(1), "");
    GuardedBuffer wide(40);
    xq::config::GetLogConfFilePath(wide.data(), 40);
    EXPECT_EQ(wide.raw(), std::string("C:\\Scope\\micro12.ini") + std::string(20, '\0'));
}

TEST_F(ConfPathsTest, PhysicalNameMustFitTheRoomLeftByTheRoot) {
    const std::string root(250, 'r');  // room: 259 - 251 = 8 bytes
    xq::test::registry_install("4.1", {{"VortaRoot", root}, {"PhyConfFile", "1234567"}});
    EXPECT_EQ(phy_path(), root + "\\1234567");
    xq::test::registry_install("4.1", {{"VortaRoot", root}, {"PhyConfFile", "12345678"}});
    EXPECT_EQ(phy_path(), root + "\\None");
    // An override is cut to the room instead.
    ASSERT_EQ(VOKSDKChangePhyConfFile("123456789"), 1);
    EXPECT_EQ(phy_path(), root + "\\12345678");
}

TEST_F(ConfPathsTest, LongestPiecesStayBounded) {
    const std::string root(259, 'r');
    const std::string name(259, 'n');
    ASSERT_EQ(VOKSDKChangeRoot(root.c_str()), 1);
    ASSERT_EQ(VOKSDKChangeLogConfFile(name.c_str()), 1);
    ASSERT_EQ(VOKSDKChangePhyConfFile(name.c_str()), 1);
    EXPECT_EQ(log_path(), (root + "\\" + name).substr(0, 259));
    EXPECT_EQ(log_path(1000), root + "\\" + name);
    // No room is left for the physical name at all.
    EXPECT_EQ(phy_path(), (root + "\\").substr(0, 259));
    // From the registry: the name gets the room left of 259 characters, a
    // name that does not fit reads as "None" cut to that room, and a root of
    // 259 characters does not fit at all.
    const struct {
        std::size_t root_length;
        const char* name;
    } registry_cases[] = {{254, "Non"}, {255, "No"}, {256, "N"}, {257, ""}, {258, ""}};
    for (const auto& c : registry_cases) {
        xq::test::registry_install("4.1", {{"VortaRoot", std::string(c.root_length, 'r')}, {"PhyConfFile", "p.ini"}});
        xq::test::reset_library_state();
        EXPECT_EQ(phy_path(1000), std::string(c.root_length, 'r') + "\\" + c.name) << c.root_length;
    }
    xq::test::registry_install("4.1", {{"VortaRoot", std::string(259, 'r')}, {"PhyConfFile", "p.ini"}});
    EXPECT_EQ(phy_path(1000), "None\\p.ini");
    EXPECT_EQ(log_path(1000), "0");
}

}  // namespace
