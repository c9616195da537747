// Rewriters of one file in several processes and threads at once: in-place
// rewrites of their own and of a shared entry, and whole-file rewrites of
// data entries through the profile writer. Afterwards no byte outside the
// value fields has changed, every value is one that some writer wrote, and
// no writer's last value is lost.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "posix/processes.h"
#include "posix/temp_dir.h"
#include "xq_utils.h"

namespace {

using xq::test::read_file;
using xq::test::write_file;

constexpr int kProcesses = 4;
constexpr int kStringThreads = 3;  // per process, each with its own entry
constexpr int kRounds = 150;
constexpr auto kTimeLimit = std::chrono::seconds(20);
constexpr std::size_t kRoom = 10;

std::string own_entry(int p, int t) { return "P" + std::to_string(p) + "T" + std::to_string(t); }
std::string data_entry(int p) { return "D" + std::to_string(p); }
std::string own_value(int p, int t, int i) { return std::to_string(p) + "." + std::to_string(t) + "." + std::to_string(i); }
std::string data_value(int i) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d", i);
    return text;
}

std::string initial_file() {
    const std::string blank(kRoom, ' ');
    std::string out = "[Run]\r\nShared=" + blank + "\r\n";
    for (int p = 0; p < kProcesses; ++p) {
        for (int t = 0; t < kStringThreads; ++t) out += own_entry(p, t) + "=" + blank + "\r\n";
    }
    out += "[Data]\r\n";
    for (int p = 0; p < kProcesses; ++p) out += data_entry(p) + "=" + data_value(0) + "\r\n";
    return out + "[Tail]\r\nEnd=1\r\n";
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find("\r\n", at);
        out.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

// The value of `entry` as the file holds it, leading padding removed.
std::string value_in(const std::string& text, const std::string& entry) {
    for (const std::string& line : lines_of(text)) {
        if (!line.starts_with(entry + "=")) continue;
        const std::size_t start = line.find_first_not_of(' ', entry.size() + 1);
        return start == std::string::npos ? std::string() : line.substr(start);
    }
    return "<none>";
}

// One process: string writers on their own entries and the shared one, and
// a data writer; then checks that its own entries hold its last values.
bool run_writers(const std::string& path, int p) {
    std::atomic<bool> ok = true;
    std::vector<std::string> last(kStringThreads + 1);
    const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
    std::vector<std::thread> threads;
    for (int t = 0; t < kStringThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 1; i <= kRounds && std::chrono::steady_clock::now() < deadline; ++i) {
                const std::string value = own_value(p, t, i);
                if (RplNamedString("Run", own_entry(p, t).c_str(), value.c_str(), path.c_str()) != 1) ok = false;
                last[static_cast<std::size_t>(t)] = value;
                if (i % 3 == 0 && RplNamedInt("Run", "Shared", p * 100000 + t * 10000 + i, path.c_str()) != 1) {
                    ok = false;
                }
            }
        });
    }
    threads.emplace_back([&] {
        int32_t flag = 0;
        StatusRecord status{};
        for (int i = 1; i <= kRounds && std::chrono::steady_clock::now() < deadline; ++i) {
            const std::string value = data_value(i);
            const std::string entry = data_entry(p);
            if (RplNamedData("Data", entry.c_str(), 1, value.c_str(), path.c_str(), 0, &flag, &status) != 1) {
                ok = false;
            }
            last[kStringThreads] = value;
        }
    });
    for (std::thread& thread : threads) thread.join();
    const std::string now = read_file(path);
    for (int t = 0; t < kStringThreads; ++t) {
        if (value_in(now, own_entry(p, t)) != last[static_cast<std::size_t>(t)]) ok = false;
    }
    if (value_in(now, data_entry(p)) != last[kStringThreads]) ok = false;
    return ok;
}

TEST(ReplaceConcurrency, WritersInProcessesAndThreadsKeepTheFileWhole) {
    xq::test::TempDir dir;
    const std::string path = dir.file("shared.ini");
    const std::string before = initial_file();
    write_file(path, before);
    EXPECT_TRUE(xq::test::in_processes(kProcesses, [&](int p) { return run_writers(path, p); }))
        << "a write failed or a writer's last value was lost";

    const std::string after = read_file(path);
    ASSERT_EQ(after.size(), before.size());
    const std::vector<std::string> old_lines = lines_of(before);
    const std::vector<std::string> new_lines = lines_of(after);
    ASSERT_EQ(new_lines.size(), old_lines.size());
    for (std::size_t i = 0; i < old_lines.size(); ++i) {
        const std::size_t field = old_lines[i].find('=') + 1;  // 0 for headers: compared whole
        EXPECT_EQ(new_lines[i].substr(0, field), old_lines[i].substr(0, field)) << "line " << i;
        EXPECT_EQ(new_lines[i].size(), old_lines[i].size()) << "line " << i;
    }
    const int shared = std::stoi(value_in(after, "Shared"));
    EXPECT_LT(shared / 100000, kProcesses);
    EXPECT_LT(shared % 100000 / 10000, kStringThreads);
    EXPECT_EQ(shared % 10000 % 3, 0) << "the number of a round that wrote it";
    EXPECT_EQ(dir.names(), std::set<std::string>{"shared.ini"}) << "no temporary file left";
}

}  // namespace
