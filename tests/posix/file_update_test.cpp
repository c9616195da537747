// The in-place update of the Linux backend: one open for the read and the
// write, the writers' lock held across both, nothing written on failure.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/fault.h"
#include "platform/platform.h"
#include "posix/processes.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace {

using xq::os::Op;
using xq::os::Patch;
using xq::os::UpdateStatus;
using xq::test::read_bytes;
using xq::test::write_bytes;
using Names = std::set<std::string>;

xq::os::FileUpdate patch_with(std::uint64_t offset, std::string bytes) {
    return [offset, bytes](std::string_view) { return std::optional<Patch>(Patch{offset, bytes}); };
}

class PosixFileUpdate : public ::testing::Test {
protected:
    void TearDown() override { xq::os::fault_disarm(); }
    xq::test::TempDirectory dir;
};

TEST_F(PosixFileUpdate, WritesThePatchInPlace) {
    const std::string path = dir.file("u.ini");
    write_bytes(path, "0123456789");
    ::chmod(path.c_str(), 0640);
    struct stat before {};
    ::stat(path.c_str(), &before);
    std::string seen;
    EXPECT_EQ(xq::os::file_update(path.c_str(), [&](std::string_view current) {
        seen = current;
        return std::optional<Patch>(Patch{3, "abc"});
    }), UpdateStatus::written);
    EXPECT_EQ(seen, "0123456789");
    EXPECT_EQ(read_bytes(path), "012abc6789");
    EXPECT_EQ(xq::os::file_update(path.c_str(), patch_with(7, "XYZ")), UpdateStatus::written) << "up to the end";
    EXPECT_EQ(xq::os::file_update(path.c_str(), patch_with(10, "")), UpdateStatus::written);
    EXPECT_EQ(read_bytes(path), "012abc6XYZ");
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the same file, not a replacement";
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(dir.names(), Names{"u.ini"});
}

TEST_F(PosixFileUpdate, DeclinedMissingAndRefusedPatches) {
    const std::string path = dir.file("u.ini");
    write_bytes(path, "abc");
    EXPECT_EQ(xq::os::file_update(path.c_str(), [](std::string_view) { return std::optional<Patch>(); }),
              UpdateStatus::declined);
    bool called = false;
    const auto watch = [&](std::string_view) {
        called = true;
        return std::optional<Patch>();
    };
    EXPECT_EQ(xq::os::file_update(dir.file("missing").c_str(), watch), UpdateStatus::not_found);
    EXPECT_EQ(xq::os::file_update(dir.file("no/such/dir").c_str(), watch), UpdateStatus::not_found);
    EXPECT_FALSE(called);
    // Patches that would reach beyond the end: the file keeps its length.
    for (const auto& [offset, bytes] : {std::pair<std::uint64_t, std::string>{2, "xy"}, {4, ""}, {~0ULL, "x"}}) {
        EXPECT_EQ(xq::os::file_update(path.c_str(), patch_with(offset, bytes)), UpdateStatus::failed) << offset;
    }
    EXPECT_EQ(xq::os::file_update(path.c_str(), [](std::string_view) -> std::optional<Patch> {
        throw std::runtime_error("edit failed");
    }), UpdateStatus::failed);
    EXPECT_EQ(xq::os::file_update(nullptr, patch_with(0, "x")), UpdateStatus::failed);
    EXPECT_EQ(xq::os::file_update(path.c_str(), nullptr), UpdateStatus::failed);
    EXPECT_EQ(xq::os::file_update(dir.file("").c_str(), patch_with(0, "x")), UpdateStatus::failed) << "a directory";
    EXPECT_EQ(read_bytes(path), "abc");
    EXPECT_EQ(dir.names(), Names{"u.ini"}) << "nothing created";
}

TEST_F(PosixFileUpdate, ReadOnlyFileAndEveryFailingStep) {
    const std::string path = dir.file("u.ini");
    write_bytes(path, "abc");
    ::chmod(path.c_str(), 0444);
    if (::access(path.c_str(), W_OK) != 0) {  // (root may write anyway)
        EXPECT_EQ(xq::os::file_update(path.c_str(), patch_with(0, "x")), UpdateStatus::failed);
    }
    ::chmod(path.c_str(), 0644);
    for (const Op op : {Op::file_open, Op::file_lock, Op::file_read, Op::file_write}) {
        xq::os::fault_arm({op, 1, false});
        EXPECT_EQ(xq::os::file_update(path.c_str(), patch_with(0, "x")), UpdateStatus::failed) << static_cast<int>(op);
    }
    xq::os::fault_arm({Op::count_, 1000, false});
    EXPECT_EQ(xq::os::file_update(path.c_str(), patch_with(0, "x")), UpdateStatus::written);
    EXPECT_EQ(xq::os::fault_count(), 4) << "open, lock, read, write";
    EXPECT_EQ(read_bytes(path), "xbc");
}

// The update waits for a writer that holds the lock, and then sees that
// writer's result: no update is made on a stale read.
TEST_F(PosixFileUpdate, WaitsForTheWritersLock) {
    const std::string path = dir.file("u.ini");
    write_bytes(path, "old!");
    const int held = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    std::string seen;
    std::thread updater([&] {
        xq::os::file_update(path.c_str(), [&](std::string_view current) {
            seen = current;
            return std::optional<Patch>(Patch{3, "?"});
        });
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(seen.empty()) << "still waiting";
    ASSERT_EQ(::pwrite(held, "new", 3, 0), 3);
    ::close(held);
    updater.join();
    EXPECT_EQ(seen, "new!");
    EXPECT_EQ(read_bytes(path), "new?");
}

// Whole-file rewrites replace the file by renaming; updates that race with
// them must land in the file that is current, so no increment is lost.
TEST_F(PosixFileUpdate, UpdatesAndRewritesLoseNothing) {
    constexpr int kProcesses = 4;
    constexpr int kRounds = 50;
    const std::string path = dir.file("counter");
    write_bytes(path, "000000");
    const auto bump = [](std::string_view current) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%06d", std::stoi(std::string(current)) + 1);
        return std::string(digits);
    };
    EXPECT_TRUE(xq::test::in_processes(kProcesses, [&](int p) {
        bool ok = true;
        for (int i = 0; i < kRounds; ++i) {
            if (p % 2 == 0) {
                ok = xq::os::file_update(path.c_str(), [&](std::string_view current) {
                         return std::optional<Patch>(Patch{0, bump(current)});
                     }) == UpdateStatus::written && ok;
            } else {
                ok = xq::os::file_rewrite(path.c_str(), false, [&](std::string_view current, bool) {
                         return std::optional<std::string>(bump(current));
                     }) && ok;
            }
        }
        return ok;
    }));
    char expected[16];
    std::snprintf(expected, sizeof expected, "%06d", kProcesses * kRounds);
    EXPECT_EQ(read_bytes(path), expected);
    EXPECT_EQ(dir.names(), Names{"counter"});
}

}  // namespace
