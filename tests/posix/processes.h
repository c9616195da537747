// Runs a test body in several processes at once.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace xq::test {

// Runs body(i) for i in [0, count) in child processes at the same time; true
// when every child started, ran to its end and its body returned true.
template <typename Body>
bool in_processes(int count, Body body) {
    std::vector<pid_t> children;
    bool ok = true;
    for (int i = 0; i < count && ok; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) ::_exit(body(i) ? 0 : 1);
        ok = pid > 0;
        if (ok) children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ok = ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
    }
    return ok;
}

}  // namespace xq::test
