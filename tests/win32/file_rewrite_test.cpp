// Rewriting whole files: creation rules, the file left untouched on every
// failure, no temporary files left behind, and one writer at a time across
// threads, path spellings and processes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/win32/rewrite_lock.h"
#include "win32/scratch_dir.h"

namespace xq::os {
namespace {

using test::read_file;
using test::ScratchDir;

// An edit that appends `line` to whatever is there.
FileEdit append(std::string line) {
    return [line](std::string_view current, bool) { return std::string(current) + line; };
}

class FileRewrite : public ::testing::Test {
protected:
    void TearDown() override { fault_disarm(); }
    ScratchDir dir;
};

TEST_F(FileRewrite, CreatesOnlyWhenAskedAndOnlyWhenThereIsContent) {
    const std::string path = dir.file("new.ini");
    bool called = false;
    const FileEdit watch = [&](std::string_view current, bool exists) -> std::optional<std::string> {
        called = true;
        EXPECT_TRUE(current.empty());
        EXPECT_FALSE(exists);
        return std::nullopt;
    };
    EXPECT_FALSE(file_rewrite(path.c_str(), false, watch));
    EXPECT_FALSE(called);
    EXPECT_TRUE(file_rewrite(path.c_str(), true, watch));
    EXPECT_TRUE(called);
    EXPECT_EQ(dir.listing(), "");

    EXPECT_TRUE(file_rewrite(path.c_str(), true, append("[s]\r\n")));
    EXPECT_EQ(read_file(path), "[s]\r\n");
    EXPECT_EQ(dir.listing(), "new.ini;");
}

TEST_F(FileRewrite, ReplacesExistingContentsAndLeavesNothingElse) {
    const std::string path = dir.write("a.ini", std::string("x\0y\r\n", 5));
    EXPECT_TRUE(file_rewrite(path.c_str(), false, [](std::string_view current, bool exists) {
        EXPECT_TRUE(exists);
        EXPECT_EQ(current, std::string_view("x\0y\r\n", 5));
        return std::optional<std::string>("z");
    }));
    EXPECT_EQ(read_file(path), "z");
    EXPECT_TRUE(file_rewrite(path.c_str(), false, [](std::string_view, bool) { return std::optional<std::string>(); }));
    EXPECT_EQ(read_file(path), "z");
    EXPECT_EQ(dir.listing(), "a.ini;");
}

TEST_F(FileRewrite, EveryFailureLeavesTheFileAsItWas) {
    const std::string path = dir.write("a.ini", "old");
    for (const Op op : {Op::file_lock, Op::file_open, Op::file_read, Op::file_write, Op::file_rename}) {
        SCOPED_TRACE(static_cast<int>(op));
        fault_arm({.kind = op, .fail_at = 1});
        EXPECT_FALSE(file_rewrite(path.c_str(), true, append("new")));
        EXPECT_EQ(read_file(path), "old");
        EXPECT_EQ(dir.listing(), "a.ini;");
    }
    fault_disarm();
    EXPECT_FALSE(file_rewrite(path.c_str(), true, [](std::string_view, bool) -> std::optional<std::string> {
        throw std::runtime_error("edit failed");
    }));
    EXPECT_EQ(read_file(path), "old");

    // A missing directory, a read-only file and a directory as target.
    EXPECT_FALSE(file_rewrite(dir.file("no\\such.ini").c_str(), true, append("x")));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(file_rewrite(path.c_str(), true, append("new")));
    EXPECT_EQ(read_file(path), "old");
    EXPECT_FALSE(file_rewrite(dir.path().c_str(), true, append("x")));
    EXPECT_EQ(dir.listing(), "a.ini;");
}

TEST_F(FileRewrite, KeepsTheAttributesOfTheFile) {
    const std::string path = dir.write("h.ini", "old");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(file_rewrite(path.c_str(), false, append("new")));
    EXPECT_EQ(read_file(path), "oldnew");
    EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(FileRewrite, SpellingsOfOnePathShareOneLock) {
    const std::string path = dir.file("Shared.ini");
    std::string upper = path;
    CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    const std::string dotted = dir.path() + "\\.\\sub\\..\\Shared.ini";
    EXPECT_EQ(win32::rewrite_lock_name(path.c_str()), win32::rewrite_lock_name(upper.c_str()));
    EXPECT_EQ(win32::rewrite_lock_name(path.c_str()), win32::rewrite_lock_name(dotted.c_str()));
    EXPECT_NE(win32::rewrite_lock_name(path.c_str()), win32::rewrite_lock_name(dir.file("other.ini").c_str()));

    // Writing through another spelling keeps the file's name.
    dir.write("Shared.ini", "a");
    EXPECT_TRUE(file_rewrite(upper.c_str(), false, append("b")));
    EXPECT_EQ(read_file(path), "ab");
    EXPECT_EQ(dir.listing(), "Shared.ini;");
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
    EXPECT_EQ(read_file(path), std::string(kThreads * kAppends, 'x'));
    EXPECT_EQ(dir.listing(), "race.ini;");
}

// The writer half of the cross-process test: runs only in the children.
TEST(FileRewriteChild, AppendsToTheNamedFile) {
    const char* path = std::getenv("XQ_REWRITE_CHILD_FILE");
    if (path == nullptr) GTEST_SKIP() << "runs only as a child of ConcurrentWritersInProcessesLoseNoUpdate";
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(file_rewrite(path, true, append("p")));
}

TEST_F(FileRewrite, ConcurrentWritersInProcessesLoseNoUpdate) {
    const std::string path = dir.file("procs.ini");
    char self[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    ASSERT_TRUE(SetEnvironmentVariableA("XQ_REWRITE_CHILD_FILE", path.c_str()));
    std::string command = std::string("\"") + self + "\" --gtest_filter=FileRewriteChild.* --gtest_brief=1";
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
    EXPECT_EQ(read_file(path), std::string(80, 'p'));
    EXPECT_EQ(dir.listing(), "procs.ini;");
}

}  // namespace
}  // namespace xq::os
