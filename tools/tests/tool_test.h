// The frame of the xqutil tests: a scratch installation (a copy of the
// sample installation and a file of cases of our own), an empty registry,
// and table rows that run the tool and check what it says.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_tool.h"
#include "support/temp_dir.h"

namespace xqutil::test {

// Under Wine each start of the tool costs about a quarter of a second, so the
// Windows run takes only the rows marked Wine::run: those that exercise what
// differs there (command lines, paths, the registry, ANSI texts, the file
// backends). The other rows run the same code and are checked on Linux.
enum class Wine { skip, run };

// True when a row marked so runs on this platform.
bool runs_here(Wine wine);

// One run of the tool and what it must give.
struct Expected {
    std::vector<std::string> arguments;
    int status;
    std::string out;       // all of standard output
    std::string err_part;  // a part of standard error; empty: nothing on standard error
    Wine wine = Wine::skip;
};

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override;

    // `text` with "@DIR" replaced by the scratch directory and "@/" by the
    // separator of the paths the tool shows (a backslash only on Windows).
    std::string expand(const std::string& text) const;
    // Runs the arguments (expanded) and checks the result, if the row runs here.
    void expect(const Expected& expected) const;
    ToolResult run(const std::vector<std::string>& arguments) const;

    const std::string& dir() const { return dir_text_; }
    std::string file(const std::string& name) const { return scratch_.file(name); }
    void write(const std::string& name, const std::string& bytes) const { scratch_.write(name, bytes); }

    // The file of our own cases, as written by SetUp.
    static const std::string kCases;

private:
    xq::test::TempDirectory scratch_;
    std::string dir_text_;
};

// `text` as a JSON string's contents, for ASCII texts such as paths.
std::string json_text(const std::string& text);

// True when one of the lines of `text` is `line`.
bool has_line(const std::string& text, const std::string& line);

}  // namespace xqutil::test
