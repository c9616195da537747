// A UTF-16 installation reads as the 8-bit one: with its configuration and
// data files turned into UTF-16LE (with the byte-order mark), the tool shows
// and checks the same, in text and in JSON.
#include <filesystem>

#include "installation_test.h"
#include "support/file_bytes.h"

namespace xqutil::test {
namespace {

using Utf16Installation = InstallationTest;

// ASCII text as UTF-16LE bytes after the byte-order mark.
std::string utf16_file(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) {
        EXPECT_GE(c, 0) << "the sample files are ASCII";
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

TEST_F(Utf16Installation, ShowsAndChecksTheSame) {
    const std::vector<std::vector<std::string>> commands = {
        {"components"}, {"components", "--json"}, {"check"}, {"check", "--json"}, {"optical-path", "--json"},
    };
    std::vector<ToolResult> eight_bit;
    for (const auto& arguments : commands) eight_bit.push_back(run(arguments));

    std::vector<std::string> names = {"logical.ini", "physical.ini"};
    for (const auto& each : std::filesystem::directory_iterator(file("data")))
        if (each.path().extension() == ".ini") names.push_back("data/" + each.path().filename().string());
    for (const std::string& name : names) write(name, utf16_file(xq::test::read_bytes(file(name))));

    for (std::size_t i = 0; i < commands.size(); ++i) {
        const ToolResult wide = run(commands[i]);
        EXPECT_EQ(wide.status, eight_bit[i].status) << commands[i][0];
        EXPECT_EQ(wide.out, eight_bit[i].out) << commands[i][0];
        EXPECT_EQ(wide.err, eight_bit[i].err) << commands[i][0];
    }
    EXPECT_EQ(eight_bit[2].out, "no problems found\n");
}

}  // namespace
}  // namespace xqutil::test
