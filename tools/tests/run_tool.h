// Runs the built xqutil as a user would: a separate process with its own
// command line, whose standard output, standard error and exit status are
// caught.
#pragma once

#include <string>
#include <vector>

namespace xqutil::test {

struct ToolResult {
    int status = -1;  // exit status; -1 when the tool could not be run or did not exit
    std::string out;  // standard output, with LF line ends
    std::string err;  // standard error, with LF line ends
};

// Runs xqutil, found beside this test program, with `arguments`. The
// environment is this process's own.
ToolResult run_tool(const std::vector<std::string>& arguments);

}  // namespace xqutil::test
