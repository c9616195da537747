// Runs the built xqutil as a user would: a separate process with its own
// command line, its standard output and error caught in files.
#include "tool_test.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace xqutil::test {

ToolResult run_tool(const std::vector<std::string>& arguments) {
    const xq::test::TempDirectory scratch;
    const std::string out = scratch.file("stdout"), err = scratch.file("stderr");
    ToolResult result;
#ifdef _WIN32
    std::string self(MAX_PATH, '\0');
    self.resize(GetModuleFileNameA(nullptr, self.data(), MAX_PATH));
    const std::string tool = (std::filesystem::path(self).parent_path() / XQUTIL_FILE_NAME).string();
    // Each argument in double quotes: none of the tests' holds one or ends in a backslash.
    std::string line = "\"" + tool + "\"";
    for (const std::string& argument : arguments) line += " \"" + argument + "\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = CreateFileA(out.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
    startup.hStdError = CreateFileA(err.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
    PROCESS_INFORMATION process{};
    DWORD code = 0;
    if (CreateProcessA(tool.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        if (GetExitCodeProcess(process.hProcess, &code)) result.status = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
#else
    // Through the shell, each argument in single quotes.
    std::string line = "'" + (std::filesystem::read_symlink("/proc/self/exe").parent_path() / XQUTIL_FILE_NAME).string();
    for (std::string argument : arguments) {
        for (std::size_t at = argument.find('\''); at != std::string::npos; at = argument.find('\'', at + 4))
            argument.replace(at, 1, "'\\''");
        line += "' '" + argument;
    }
    const int status = std::system((line + "' >'" + out + "' 2>'" + err + "'").c_str());
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
#endif
    result.out = xq::test::read_bytes(out);
    result.err = xq::test::read_bytes(err);
#ifdef _WIN32
    // Text written by the tool gets CR LF line ends on Windows.
    std::erase(result.out, '\r');
    std::erase(result.err, '\r');
#endif
    return result;
}

}  // namespace xqutil::test
