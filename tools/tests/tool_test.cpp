#include "tool_test.h"

#include <filesystem>
#include <sstream>

#include "support/test_registry.h"

namespace xqutil::test {

const std::string ToolTest::kCases =
    "[Main]\nPlain=hello world\nQuote=a \"q\" \\ b\tc \x01 gen\xFCgend gen\xC3\xBCgend\nComment=;anything\n"
    "Number=  -17\nWord=abc\nRow=a,b'c,d\nMode=fast\nSpeed = 12\nList=mm  um  nm\nData=1,2,3\nBare\n"
    "Long=" +
    std::string(5000, 'x') +
    "\n"
    "[Table]\nPos12=5 0x10 abc 010\nFactor=3 4\n"
    "[Refs]\nObj=Stand Type extra\nDangling=Stand Missing\nSingle=Stand\n";

void ToolTest::SetUp() {
    xq::test::registry_clear();
    dir_text_ = scratch_.path().string();
    for (const char* name : {"logical.ini", "physical.ini"}) {
        std::filesystem::copy_file(std::filesystem::path(XQ_EXAMPLES_DIR) / "installation" / name,
                                   scratch_.path() / name);
    }
    scratch_.write("cases.ini", kCases);
    scratch_.write("second.ini", "[Stand]\nType=Upright Model\n");
}

std::string ToolTest::expand(const std::string& text) const {
    std::string out = text;
    for (std::size_t at = out.find("@DIR"); at != std::string::npos; at = out.find("@DIR", at + dir_text_.size())) {
        out.replace(at, 4, dir_text_);
    }
#ifdef _WIN32
    const std::string separator = "\\";
#else
    const std::string separator = "/";
#endif
    for (std::size_t at = out.find("@/"); at != std::string::npos; at = out.find("@/", at + 1)) {
        out.replace(at, 2, separator);
    }
    return out;
}

ToolResult ToolTest::run(const std::vector<std::string>& arguments) const {
    std::vector<std::string> expanded;
    for (const std::string& argument : arguments) expanded.push_back(expand(argument));
    return run_tool(expanded);
}

bool runs_here(Wine wine) {
#ifdef _WIN32
    return wine == Wine::run;
#else
    (void)wine;
    return true;
#endif
}

void ToolTest::expect(const Expected& expected) const {
    if (!runs_here(expected.wine)) return;
    std::string shown = "xqutil";
    for (const std::string& argument : expected.arguments) shown += " " + argument;
    SCOPED_TRACE(shown);
    const ToolResult result = run(expected.arguments);
    EXPECT_EQ(result.status, expected.status) << result.err;
    EXPECT_EQ(result.out, expand(expected.out));
    if (expected.err_part.empty()) {
        EXPECT_EQ(result.err, "");
    } else {
        EXPECT_NE(result.err.find(expand(expected.err_part)), std::string::npos) << result.err;
    }
}

std::string json_text(const std::string& text) {
    std::string out;
    for (const char c : text) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

bool has_line(const std::string& text, const std::string& line) {
    std::istringstream lines(text);
    for (std::string each; std::getline(lines, each);) {
        if (each == line) return true;
    }
    return false;
}

}  // namespace xqutil::test
