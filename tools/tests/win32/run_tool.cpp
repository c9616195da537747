#include "run_tool.h"

#include <windows.h>

#include <filesystem>

#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace xqutil::test {
namespace {

// One argument as the program's start-up code splits the command line:
// quoted when it is empty or holds blanks or quotes, with backslashes
// doubled before a quote.
std::string quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');
    return out + "\"";
}

// A file for the child's output, its handle inheritable.
HANDLE output_file(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

std::string without_cr(std::string text) {
    std::erase(text, '\r');
    return text;
}

}  // namespace

ToolResult run_tool(const std::vector<std::string>& arguments) {
    std::string self(MAX_PATH, '\0');
    self.resize(GetModuleFileNameA(nullptr, self.data(), MAX_PATH));
    const std::string tool = (std::filesystem::path(self).parent_path() / XQUTIL_FILE_NAME).string();
    const xq::test::TempDirectory scratch;
    const std::string out = scratch.file("stdout"), err = scratch.file("stderr");

    std::string command_line = quoted(tool);
    for (const std::string& argument : arguments) command_line += " " + quoted(argument);

    ToolResult result;
    HANDLE out_handle = output_file(out), err_handle = output_file(err);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = out_handle;
    startup.hStdError = err_handle;
    PROCESS_INFORMATION process{};
    if (out_handle != INVALID_HANDLE_VALUE && err_handle != INVALID_HANDLE_VALUE &&
        CreateProcessA(tool.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
        DWORD code = 0;
        if (WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(process.hProcess, &code)) {
            result.status = static_cast<int>(code);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (out_handle != INVALID_HANDLE_VALUE) CloseHandle(out_handle);
    if (err_handle != INVALID_HANDLE_VALUE) CloseHandle(err_handle);
    // Text written by the tool gets CR LF line ends on Windows.
    result.out = without_cr(xq::test::read_bytes(out));
    result.err = without_cr(xq::test::read_bytes(err));
    return result;
}

}  // namespace xqutil::test
