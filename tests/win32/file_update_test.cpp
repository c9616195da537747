// The in-place update of the Windows backend: one open for the read and the
// write, under the per-file rewrite lock, nothing written on failure, and no
// update lost next to threads that update or rewrite the same file.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>
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

FileUpdate patch_with(std::uint64_t offset, std::string bytes) {
    return [offset, bytes](std::string_view) { return std::optional<Patch>(Patch{offset, bytes}); };
}

class FileUpdateTest : public ::testing::Test {
protected:
    void TearDown() override { fault_disarm(); }
    test::TempDirectory dir;
};

TEST_F(FileUpdateTest, WritesThePatchInPlace) {
    const std::string path = dir.write("u.ini", "0123456789");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    std::string seen;
    EXPECT_EQ(file_update(path.c_str(), [&](std::string_view current) {
        seen = current;
        return std::optional<Patch>(Patch{3, "abc"});
    }), UpdateStatus::written);
    EXPECT_EQ(seen, "0123456789");
    EXPECT_EQ(file_update(path.c_str(), patch_with(7, "XYZ")), UpdateStatus::written);
    EXPECT_EQ(file_update(path.c_str(), patch_with(10, "")), UpdateStatus::written);
    EXPECT_EQ(read_bytes(path), "012abc6XYZ");
    EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u) << "the same file, not a replacement";
    EXPECT_EQ(dir.names(), Names{"u.ini"});
}

TEST_F(FileUpdateTest, DeclinedMissingAndRefusedPatches) {
    const std::string path = dir.write("u.ini", "abc");
    EXPECT_EQ(file_update(path.c_str(), [](std::string_view) { return std::optional<Patch>(); }),
              UpdateStatus::declined);
    bool called = false;
    const FileUpdate watch = [&](std::string_view) {
        called = true;
        return std::optional<Patch>();
    };
    EXPECT_EQ(file_update(dir.file("missing.ini").c_str(), watch), UpdateStatus::not_found);
    EXPECT_EQ(file_update(dir.file("no\\such.ini").c_str(), watch), UpdateStatus::not_found);
    EXPECT_FALSE(called);
    for (const auto& [offset, bytes] : {std::pair<std::uint64_t, std::string>{2, "xy"}, {4, ""}, {~0ULL, "x"}}) {
        EXPECT_EQ(file_update(path.c_str(), patch_with(offset, bytes)), UpdateStatus::failed) << offset;
    }
    EXPECT_EQ(file_update(path.c_str(), [](std::string_view) -> std::optional<Patch> {
        throw std::runtime_error("edit failed");
    }), UpdateStatus::failed);
    EXPECT_EQ(file_update(nullptr, patch_with(0, "x")), UpdateStatus::failed);
    EXPECT_EQ(file_update(dir.path().string().c_str(), patch_with(0, "x")), UpdateStatus::failed) << "a directory";
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(file_update(path.c_str(), patch_with(0, "x")), UpdateStatus::failed) << "read-only";
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(read_bytes(path), "abc");
    EXPECT_EQ(dir.names(), Names{"u.ini"});
}

TEST_F(FileUpdateTest, EveryFailingStepWritesNothing) {
    const std::string path = dir.write("u.ini", "abc");
    for (const Op op : {Op::file_lock, Op::file_open, Op::file_read, Op::file_write}) {
        fault_arm({op, 1, false});
        EXPECT_EQ(file_update(path.c_str(), patch_with(0, "x")), UpdateStatus::failed) << static_cast<int>(op);
        EXPECT_EQ(read_bytes(path), "abc");
    }
    fault_arm({Op::count_, 1000, false});
    EXPECT_EQ(file_update(path.c_str(), patch_with(0, "x")), UpdateStatus::written);
    EXPECT_EQ(fault_count(), 4) << "lock, open, read, write";
    EXPECT_EQ(read_bytes(path), "xbc");
}

// The update waits while a rewriter holds the lock, and sees its result.
TEST_F(FileUpdateTest, WaitsForTheRewriteLock) {
    const std::string path = dir.write("u.ini", "old!");
    std::string seen;
    std::thread updater;
    {
        const auto lock = win32::RewriteLock::acquire(path.c_str());
        ASSERT_TRUE(lock);
        updater = std::thread([&] {
            file_update(path.c_str(), [&](std::string_view current) {
                seen = current;
                return std::optional<Patch>(Patch{3, "?"});
            });
        });
        Sleep(100);
        EXPECT_TRUE(seen.empty()) << "still waiting";
        const win32::Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        EXPECT_TRUE(win32::write_all(file.get(), "new"));
    }
    updater.join();
    EXPECT_EQ(seen, "new!");
    EXPECT_EQ(read_bytes(path), "new?");
}

// Threads that update in place and threads that rewrite whole files share
// one counter: with the lock held across read and write, none is lost.
TEST_F(FileUpdateTest, UpdatesAndRewritesLoseNothing) {
    const std::string path = dir.write("counter", "000000");
    const auto bump = [](std::string_view current) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%06d", std::stoi(std::string(current)) + 1);
        return std::string(digits);
    };
    constexpr int kThreads = 4;
    constexpr int kRounds = 25;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                if (t % 2 == 0) {
                    EXPECT_EQ(file_update(path.c_str(), [&](std::string_view current) {
                        return std::optional<Patch>(Patch{0, bump(current)});
                    }), UpdateStatus::written);
                } else {
                    EXPECT_TRUE(file_rewrite(path.c_str(), false, [&](std::string_view current, bool) {
                        return std::optional<std::string>(bump(current));
                    }));
                }
            }
        });
    }
    for (std::thread& w : writers) w.join();
    EXPECT_EQ(read_bytes(path), "000100");
    EXPECT_EQ(dir.names(), Names{"counter"});
}

}  // namespace
}  // namespace xq::os
