#include "run_tool.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>

#include "support/file_bytes.h"
#include "support/temp_dir.h"

extern char** environ;

namespace xqutil::test {

ToolResult run_tool(const std::vector<std::string>& arguments) {
    const std::string tool =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / XQUTIL_FILE_NAME).string();
    const xq::test::TempDirectory scratch;
    const std::string out = scratch.file("stdout"), err = scratch.file("stderr");

    std::vector<char*> argv{const_cast<char*>(tool.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);

    ToolResult result;
    int status = 0;
    if (spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
    result.out = xq::test::read_bytes(out);
    result.err = xq::test::read_bytes(err);
    return result;
}

}  // namespace xqutil::test
