// The manual page and the tool's own help name the same commands and options,
// so neither can change without the other.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

#include "run_tool.h"
#include "tool_test.h"

namespace xqutil::test {
namespace {

using Names = std::set<std::string>;

bool is_name_char(char c) { return (c >= 'a' && c <= 'z') || c == '-'; }
bool is_word_char(char c) { return is_name_char(c) || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// The run of [a-z-] characters at `at` in `text`.
std::string name_at(std::string_view text, std::size_t at) {
    std::size_t end = at;
    while (end < text.size() && is_name_char(text[end])) ++end;
    return std::string(text.substr(at, end - at));
}

// Every option in `text`: "-" or "--" and a lower-case name, not inside a
// hyphenated word.
Names options(std::string_view text) {
    Names names;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '-' || (i > 0 && is_word_char(text[i - 1]))) continue;
        const std::size_t dashes = i + 1 < text.size() && text[i + 1] == '-' ? 2 : 1;
        if (i + dashes < text.size() && text[i + dashes] >= 'a' && text[i + dashes] <= 'z') {
            names.insert(std::string(dashes, '-') + name_at(text, i + dashes));
        }
        i += dashes;
        while (i < text.size() && is_name_char(text[i])) ++i;
    }
    return names;
}

// The name that follows every occurrence of `lead` in `text`, when it is
// followed by `after` (or by anything, when `after` is 0).
Names names_after(std::string_view text, std::string_view lead, char after) {
    Names names;
    for (std::size_t at = text.find(lead); at != std::string_view::npos; at = text.find(lead, at + 1)) {
        const std::string name = name_at(text, at + lead.size());
        const std::size_t next = at + lead.size() + name.size();
        if (!name.empty() && (after == 0 || (next < text.size() && text[next] == after))) names.insert(name);
    }
    return names;
}

// The page as text: roff's "\-" as "-", comment lines left out.
std::string page_text(const std::string& roff) {
    std::string text;
    std::istringstream lines(roff);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(".\\\"")) continue;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '-') continue;
            text += line[i];
        }
        text += '\n';
    }
    return text;
}

TEST(ManPage, AgreesWithHelp) {
    if (!runs_here(Wine::skip)) GTEST_SKIP() << "the page is checked on Linux";
    std::ifstream file(XQUTIL_MAN_PAGE);
    ASSERT_TRUE(file) << XQUTIL_MAN_PAGE;
    std::stringstream buffer;
    buffer << file.rdbuf();
    const std::string page = page_text(buffer.str());

    const ToolResult overview = run_tool({"--help"});
    ASSERT_EQ(overview.status, 0);
    const std::string list = overview.out.substr(0, overview.out.find("\n\n", overview.out.find("Commands:")));
    const Names commands = names_after(list, "\n  ", ' ');
    ASSERT_GE(commands.size(), 10u);

    std::string help = overview.out;
    for (const std::string& command : commands) help += run_tool({command, "--help"}).out;

    // Commands: the term lines of the COMMANDS section.
    const std::size_t start = page.find(".SH COMMANDS"), end = page.find(".SH", start + 1);
    ASSERT_NE(start, std::string::npos);
    const std::string_view section = std::string_view(page).substr(start, end - start);
    Names listed = names_after(section, ".TP\n.B ", 0);
    listed.merge(names_after(section, ".TP\n.BI ", 0));
    EXPECT_EQ(listed, commands);
    // Options: wherever they are mentioned.
    EXPECT_EQ(options(page), options(help));
}

}  // namespace
}  // namespace xqutil::test
