// The frame of the xqutil tests: a scratch copy of the sample installation,
// named by the registry, with a file of cases of our own beside it, and table
// rows that run the tool and check what it says.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/test_registry.h"

namespace xqutil::test {

struct ToolResult {
    int status = -1;       // exit status; -1 when the tool could not be run or did not exit
    std::string out, err;  // standard output and error, with LF line ends
};

// Runs xqutil, found beside this test program, with `arguments` and this process's environment.
ToolResult run_tool(const std::vector<std::string>& arguments);

inline const std::string kCases =
    "[Main]\nPlain=hello world\nQuote=a \"q\" \\ b\tc \x01 gen\xFCgend gen\xC3\xBCgend\nNumber=  -17\nWord=abc\n"
    "Row=a,b'c,d\nMode=fast\nList=mm  um  nm\nData=1,2,3\nBare\nLong=" +
    std::string(5000, 'x') + "\n[Table]\nPos12=5 0x10 abc 010\n[Refs]\nObj=Stand Type extra\nDangling=Stand Missing\n"
    "[Stand]\nType=Upright Model\n";

// One run of the tool and what it must give. Under Wine each start of the
// tool costs a quarter of a second, so there only the rows marked `wine` run:
// those that exercise what differs there (command lines, paths, registry,
// ANSI texts); the others run the same code and are checked on Linux.
struct Expected {
    std::vector<std::string> arguments;
    int status;
    std::string out;       // all of standard output, or a part of it when `out_part`
    std::string err_part;  // a part of standard error; empty: nothing on standard error
    bool wine = false, out_part = false;
};

constexpr char kSeparator = std::filesystem::path::preferred_separator;
inline bool runs_here(bool wine) { return wine || kSeparator == '/'; }

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        restore();
        write("cases.ini", kCases);
    }
    // The sample installation as shipped, with the registry naming it.
    void restore() const {
        std::filesystem::copy(XQ_EXAMPLES_DIR "/installation", dir(),
                              std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
        xq::test::registry_install(
            "4.1", {{"VortaRoot", dir()}, {"Lang", "ENG"}, {"LogConfFile", "logical.ini"}, {"PhyConfFile", "physical.ini"}});
    }
    // In file `name`, `from` (which must occur) becomes `to`; an empty `from` removes the file.
    void edit(const std::string& name, const std::string& from, const std::string& to) const {
        if (from.empty()) return (void)std::filesystem::remove(file(name));
        std::string bytes = xq::test::read_bytes(file(name));
        ASSERT_NE(bytes.find(from), std::string::npos) << from << " in " << name;
        write(name, bytes.replace(bytes.find(from), from.size(), to));
    }
    // `text` with "@DIR" as the scratch directory and "@/" as the separator
    // of the paths the tool shows (a backslash only on Windows).
    std::string expand(std::string text) const {
        for (std::size_t at = text.find("@DIR"); at != std::string::npos; at = text.find("@DIR", at + 1))
            text.replace(at, 4, dir());
        for (std::size_t at = text.find("@/"); at != std::string::npos; at = text.find("@/", at + 1))
            text.replace(at, 2, 1, kSeparator);
        return text;
    }
    ToolResult run(std::vector<std::string> arguments) const {
        for (std::string& argument : arguments) argument = expand(argument);
        return run_tool(arguments);
    }
    void expect(const Expected& row) const {
        if (!runs_here(row.wine)) return;
        SCOPED_TRACE(::testing::PrintToString(row.arguments));
        const ToolResult result = run(row.arguments);
        EXPECT_EQ(result.status, row.status) << result.err;
        const std::string out = expand(row.out), err = expand(row.err_part);
        EXPECT_TRUE(row.out_part ? result.out.find(out) != std::string::npos : result.out == out) << result.out;
        EXPECT_TRUE(err.empty() ? result.err.empty() : result.err.find(err) != std::string::npos) << result.err;
    }
    std::string dir() const { return scratch_.path().string(); }
    std::string file(const std::string& name) const { return scratch_.file(name); }
    void write(const std::string& name, const std::string& bytes) const { scratch_.write(name, bytes); }

private:
    xq::test::TempDirectory scratch_;
};

}  // namespace xqutil::test
