// xqutil settings: the registry, the overrides, and what is missing.
#include <cstdlib>

#include "support/test_registry.h"
#include "tool_test.h"

namespace xqutil::test {
namespace {

class SettingsCommand : public ToolTest {
protected:
    void install_sample() const {
        xq::test::registry_install("4.1", {{"VortaRoot", dir()},
                                           {"Lang", "GER"},
                                           {"FirstSetup", "TRUE"},
                                           {"LogConfFile", "logical.ini"},
                                           {"PhyConfFile", "physical.ini"}});
    }
};

TEST_F(SettingsCommand, ShowsTheRegistry) {
    install_sample();
    const ToolResult text = run({"settings"});
    EXPECT_EQ(text.status, 0) << text.err;
    for (const char* line : {"Root directory:        @DIR", "Language:              GER", "First setup:           yes",
                             "Logical config file:   logical.ini", "Physical config path:  @DIR@/physical.ini",
                             "Kit version:           4.1"}) {
        EXPECT_TRUE(has_line(text.out, expand(line))) << line << "\n" << text.out;
    }
    const ToolResult json = run({"settings", "--json"});
    EXPECT_EQ(json.status, 0);
    for (const std::string& member : {std::string("\"root\": \"") + json_text(dir()) + "\",",
                                      "\"logical_path\": \"" + json_text(expand("@DIR@/logical.ini")) + "\",",
                                      std::string("\"kit_version\": \"4.1\","),
                                      std::string("\"first_setup\": true,")}) {
        EXPECT_NE(json.out.find(member), std::string::npos) << member << "\n" << json.out;
    }
    // The path the report gives is the path the library opens.
    expect({{"get", "@DIR\\logical.ini", "MicStand", "Stand"}, 0, "Axial400 COM1\n", ""});
}

TEST_F(SettingsCommand, OptionsOverrideTheRegistryForOneRun) {
    install_sample();
    const ToolResult text = run({"settings", "--root", "@DIR/other", "--log-conf", "a.ini", "--lang", "ENG"});
    EXPECT_EQ(text.status, 0);
    for (const char* line :
         {"Root directory:        @DIR/other  (from --root)", "Language:              ENG  (from --lang)",
          "Logical config path:   @DIR/other@/a.ini", "Physical config file:  physical.ini"}) {
        EXPECT_TRUE(has_line(text.out, expand(line))) << line << "\n" << text.out;
    }
    if (runs_here(Wine::skip)) {
        EXPECT_TRUE(has_line(run({"settings"}).out, expand("Root directory:        @DIR"))) << "for one run only";
    }
}

TEST_F(SettingsCommand, NothingConfiguredIsReportedAndFails) {
    const ToolResult result = run({"settings"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("no root directory is configured"), std::string::npos);
    for (const char* line : {"Root directory:        not set", "Logical config path:   not set",
                             "Kit version:           not set", "First setup:           no"}) {
        EXPECT_TRUE(has_line(result.out, line)) << line;
    }
    if (!runs_here(Wine::skip)) return;
    EXPECT_NE(run({"settings", "--json"}).out.find("\"root\": null,"), std::string::npos);
    EXPECT_EQ(run({"settings", "--root", "@DIR"}).status, 0);
}

#ifndef _WIN32
TEST_F(SettingsCommand, NamesTheRegistryFileOnLinux) {
    const std::string missing = file("missing.reg");
    ::setenv("XQ_UTILS_REGISTRY", missing.c_str(), 1);
    const ToolResult result = run({"settings"});
    EXPECT_TRUE(
        has_line(result.out, "Registry file:         " + missing + "  (from XQ_UTILS_REGISTRY; does not exist)"))
        << result.out;
    EXPECT_NE(run({"settings", "--json"}).out.find("\"registry_file_exists\": false"), std::string::npos);
    install_sample();  // points XQ_UTILS_REGISTRY at the test registry again
    EXPECT_NE(run({"settings", "--json"}).out.find("\"registry_file_exists\": true"), std::string::npos);
}
#endif

}  // namespace
}  // namespace xqutil::test
