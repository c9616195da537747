// Rewriting whole files on Windows (the rules shared with Linux are in
// file_seam_test.cpp): read-only targets, attributes, and one writer at a
// time across threads, path spellings and processes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/win32/rewrite_lock.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace xq::os {
namespace {

using test::read_bytes;
using Names = std::set<std::string>;

// An edit that appends `line` to whatever is there.
FileEdit append(std::string line) {
    return [line](std::string_view current, bool) { return std::string(current) + line; };
}

class FileRewrite : public ::testing::Test {
protected:
    void TearDown() override { fault_disarm(); }
    test::TempDirectory dir;
};

// A read-only file and a directory as the target.
TEST_F(FileRewrite, UnwritableTargetsStayAsTheyWere) {
    const std::string path = dir.write("a.ini", "old");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(file_rewrite(path.c_str(), true, append("new")));
    EXPECT_EQ(read_bytes(path), "old");
    EXPECT_FALSE(file_rewrite(dir.path().string().c_str(), true, append("x")));
    EXPECT_EQ(dir.names(), Names{"a.ini"});
}

TEST_F(FileRewrite, KeepsTheAttributesOfTheFile) {
    const std::string path = dir.write("h.ini", "old");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(file_rewrite(path.c_str(), false, append("new")));
    EXPECT_EQ(read_bytes(path), "oldnew");
    EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(FileRewrite, SpellingsOfOnePathShareOneLock) {
    const std::string path = dir.file("Shared.ini");
    std::string upper = path;
    CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    const std::string dotted = dir.path().string() + "\\.\\sub\\..\\Shared.ini";
    EXPECT_EQ(win32::rewrite_lock_name(path.c_str()), win32::rewrite_lock_name(upper.c_str()));
    EXPECT_EQ(win32::rewrite_lock_name(path.c_str()), win32::rewrite_lock_name(dotted.c_str()));
    EXPECT_NE(win32::rewrite_lock_name(path.c_str()), win32::rewrite_lock_name(dir.file("other.ini").c_str()));

    // Writing through another spelling keeps the file's name.
    dir.write("Shared.ini", "a");
    EXPECT_TRUE(file_rewrite(upper.c_str(), false, append("b")));
    EXPECT_EQ(read_bytes(path), "ab");
    EXPECT_EQ(dir.names(), Names{"Shared.ini"});
}

// Appends must not be lost when writers race: each sees the other's result.
TEST_F(FileRewrite, ConcurrentWritersInThreadsLoseNoUpdate) {
    const std::string path = dir.write("race.ini", "");
    std::string upper = path;
    CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    constexpr int kThreads = 4;
    constexpr int kAppends = 25;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            const std::string& spelling = t % 2 == 0 ? path : upper;
            for (int i = 0; i < kAppends; ++i) {
                EXPECT_TRUE(file_rewrite(spelling.c_str(), true, append("x")));
            }
        });
    }
    for (std::thread& w : writers) w.join();
    EXPECT_EQ(read_bytes(path), std::string(kThreads * kAppends, 'x'));
    EXPECT_EQ(dir.names(), Names{"race.ini"});
}

// The writer half of the cross-process test: a child started with the file's
// name in its environment appends to it and exits before any test runs.
class RewriteChild : public ::testing::Environment {
public:
    void SetUp() override {
        const char* path = std::getenv("XQ_REWRITE_CHILD_FILE");
        if (path == nullptr) return;
        bool ok = true;
        for (int i = 0; i < 20; ++i) ok = file_rewrite(path, true, append("p")) && ok;
        std::exit(ok ? 0 : 1);
    }
};
[[maybe_unused]] ::testing::Environment* const rewrite_child = ::testing::AddGlobalTestEnvironment(new RewriteChild);

TEST_F(FileRewrite, ConcurrentWritersInProcessesLoseNoUpdate) {
    const std::string path = dir.file("procs.ini");
    char self[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    ASSERT_TRUE(SetEnvironmentVariableA("XQ_REWRITE_CHILD_FILE", path.c_str()));
    // The filter names one quick test, since environments are set up only
    // when some test is selected; the child exits before it runs.
    std::string command = std::string("\"") + self + "\" --gtest_filter=FileRewrite.KeepsTheAttributesOfTheFile";
    std::vector<PROCESS_INFORMATION> children;
    for (int i = 0; i < 3; ++i) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child{};
        std::string line = command;
        ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &child));
        children.push_back(child);
    }
    SetEnvironmentVariableA("XQ_REWRITE_CHILD_FILE", nullptr);
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(file_rewrite(path.c_str(), true, append("p")));
    for (const PROCESS_INFORMATION& child : children) {
        EXPECT_EQ(WaitForSingleObject(child.hProcess, 60'000), WAIT_OBJECT_0);
        DWORD code = 1;
        GetExitCodeProcess(child.hProcess, &code);
        EXPECT_EQ(code, 0u);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    EXPECT_EQ(read_bytes(path), std::string(80, 'p'));
    EXPECT_EQ(dir.names(), Names{"procs.ini"});
}

}  // namespace
}  // namespace xq::os
