// The manual page and the tool's own help name the same commands and options,
// so neither can change without the other.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "run_tool.h"
#include "tool_test.h"

namespace xqutil::test {
namespace {

using Names = std::set<std::string>;

// Every match of the first group of `pattern` in `text`.
Names matches(const std::string& text, const std::regex& pattern) {
    Names names;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it) {
        names.insert((*it)[1].str());
    }
    return names;
}

// An option: "-" or "--" and a name, not inside a hyphenated word.
const std::regex kOption(R"((?:^|[^A-Za-z0-9-])(--?[a-z][a-z-]*))");

TEST(ManPage, AgreesWithHelp) {
    if (!runs_here(Wine::skip)) GTEST_SKIP() << "the page is checked on Linux";
    std::ifstream file(XQUTIL_MAN_PAGE);
    ASSERT_TRUE(file) << XQUTIL_MAN_PAGE;
    std::stringstream buffer;
    buffer << file.rdbuf();
    // roff writes a hyphen as "\-"; comment lines are not the page.
    const std::string page = std::regex_replace(std::regex_replace(buffer.str(), std::regex(R"(\\-)"), "-"),
                                                std::regex(R"(^\.\\".*$)", std::regex::multiline), "");

    const ToolResult overview = run_tool({"--help"});
    ASSERT_EQ(overview.status, 0);
    const std::string list = overview.out.substr(0, overview.out.find("\n\n", overview.out.find("Commands:")));
    const Names commands = matches(list, std::regex(R"(\n  ([a-z-]+) )"));
    ASSERT_GE(commands.size(), 10u);

    std::string help = overview.out;
    for (const std::string& command : commands) help += run_tool({command, "--help"}).out;

    // Commands: the term lines of the COMMANDS section.
    const std::size_t start = page.find(".SH COMMANDS"), end = page.find(".SH", start + 1);
    ASSERT_NE(start, std::string::npos);
    EXPECT_EQ(matches(page.substr(start, end - start), std::regex(R"(\.TP\n\.BI? ([a-z-]+))")), commands);
    // Options: wherever they are mentioned.
    EXPECT_EQ(matches(page, kOption), matches(help, kOption));
}

}  // namespace
}  // namespace xqutil::test
