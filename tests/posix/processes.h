// Runs a test body in several processes at once.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

namespace xq::test {

// What the children of in_processes_reporting did: ok when every child ran
// to the end and its body returned true; each child's report, in order.
struct ChildReports {
    bool ok = true;
    std::vector<std::string> reports;
};

// Runs body(i, report) for i in [0, count) in child processes at the same
// time; each child hands `report` back to the parent through a pipe.
template <typename Body>
ChildReports in_processes_reporting(int count, Body body) {
    struct Child {
        pid_t pid;
        int from;
    };
    std::vector<Child> children;
    ChildReports out;
    for (int i = 0; i < count && out.ok; ++i) {
        int pipe_ends[2];
        out.ok = ::pipe(pipe_ends) == 0;
        if (!out.ok) break;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(pipe_ends[0]);
            std::string report;
            const bool passed = body(i, report);
            bool sent = true;
            for (std::string_view rest = report; sent && !rest.empty();) {
                const ssize_t n = ::write(pipe_ends[1], rest.data(), rest.size());
                sent = n > 0;
                if (sent) rest.remove_prefix(static_cast<std::size_t>(n));
            }
            ::_exit(passed && sent ? 0 : 1);
        }
        ::close(pipe_ends[1]);
        out.ok = pid > 0;
        if (out.ok) children.push_back({pid, pipe_ends[0]});
        else ::close(pipe_ends[0]);
    }
    for (const Child& child : children) {
        std::string& report = out.reports.emplace_back();
        char chunk[4096];
        for (ssize_t n; (n = ::read(child.from, chunk, sizeof chunk)) > 0;) {
            report.append(chunk, static_cast<std::size_t>(n));
        }
        ::close(child.from);
        int status = 0;
        const bool exited = ::waitpid(child.pid, &status, 0) == child.pid && WIFEXITED(status);
        out.ok = exited && WEXITSTATUS(status) == 0 && out.ok;
    }
    return out;
}

// Runs body(i) for i in [0, count) in child processes at the same time; true
// when every child ran and its body returned true.
template <typename Body>
bool in_processes(int count, Body body) {
    return in_processes_reporting(count, [&](int i, std::string&) { return body(i); }).ok;
}

}  // namespace xq::test
