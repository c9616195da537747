// The file services of the platform seam on every platform: whole reads,
// copies, the locked whole-file rewrite and the in-place update. Each
// export's failing operations are swept in fault_sweep_test.cpp; here are
// the rules of the seam itself.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <thread>

#include "platform/win32/rewrite_lock.h"
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/posix/fd.h"
#endif

#include "platform/platform.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"  // also std::filesystem, sets and strings

#ifndef _WIN32
namespace {
// While set, syncs of directories fail with this errno, the next pwrite
// fails with this errno (-1: writes nothing) and each pwrite writes one byte
// at most: the system's failures and partial work the functions below handle.
std::atomic<int> directory_sync_errno{0};
std::atomic<int> pwrite_errno{0};
std::atomic<bool> pwrite_short{false};
}  // namespace

extern "C" ssize_t pwrite(int fd, const void* bytes, std::size_t size, off_t offset) {
    static const auto real = reinterpret_cast<decltype(&pwrite)>(::dlsym(RTLD_NEXT, "pwrite"));
    if (const int fail = pwrite_errno.exchange(0)) return fail < 0 ? 0 : (errno = fail, -1);  // -1: no progress, no error
    return real(fd, bytes, pwrite_short ? std::min<std::size_t>(size, 1) : size, offset);
}

extern "C" int fsync(int fd) {
    struct stat st {};
    const int fail = directory_sync_errno.load();
    if (fail != 0 && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) return errno = fail, -1;
    return static_cast<int>(::syscall(SYS_fsync, fd));
}
#endif

namespace xq::os {
namespace {

using test::read_bytes;

FileEdit append(std::string text) {
    return [text](std::string_view current, bool) { return std::optional<std::string>(std::string(current) + text); };
}
FileUpdate patch(std::uint64_t offset, std::string bytes) {
    return [offset, bytes](std::string_view) { return std::optional<Patch>(Patch{offset, bytes}); };
}

// A mark that a copy or replacement must carry over: permissions 0604 on
// Linux, the hidden attribute on Windows.
#ifdef _WIN32
void mark(const std::string& path) { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN); }
bool marked(const std::string& path) { return (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0; }
#else
void mark(const std::string& path) { ::chmod(path.c_str(), 0604); }
bool marked(const std::string& p) { struct stat st {}; return ::stat(p.c_str(), &st) == 0 && (st.st_mode & 07777U) == 0604U; }
#endif

struct FileSeam : ::testing::Test { test::TempDirectory dir; };

// A failing open or read is the fault sweep's: every export that reads a file.
TEST_F(FileSeam, ReadsEveryByteAndTellsWhatIsMissing) {
    std::string large(3 * 1024 * 1024 + 7, 'x');  // more than one read
    for (std::size_t i = 0; i < large.size(); i += 997) large[i] = static_cast<char>(i % 251);
    std::filesystem::create_directory(dir.file("sub"));
    const std::string path = dir.file("sub\\f.ini");  // a backslash separates directories
    // Below, at and above the size of the buffer each thread keeps, in an
    // order that hands kept buffers from larger files to smaller ones.
    for (const std::string& bytes : {std::string("a\0b\r\nc\x1a\xff", 8), std::string(), large,
                                     std::string(kKeptBufferLimit - 1, 'k'), std::string("short"), large, std::string("x")}) {
        dir.write("sub/f.ini", bytes);
        std::string out = "stale";
        EXPECT_TRUE(file_read(path.c_str(), out) == ReadStatus::ok && out == bytes && file_exists(path.c_str())) << bytes.size();
    }
    std::string out = "kept";
    for (const std::string& missing : {dir.file("none.ini"), dir.file("no\\dir.ini"), dir.file("sub")})
        EXPECT_TRUE(!file_exists(missing.c_str()) && file_read(missing.c_str(), out) == ReadStatus::not_found) << missing;
}

// A copy carries the mark over. Its refusals are DoubleFile's test, its
// failures (nothing left behind) the fault sweep's.
TEST_F(FileSeam, CopyKeepsTheMark) {
    const std::string from = dir.write("from", "payload"), to = dir.file("to");
    mark(from);
    EXPECT_TRUE(file_copy(from.c_str(), to.c_str(), true) && read_bytes(to) == "payload" && marked(to));
}

// A rewrite through any spelling of a name replaces the file behind it,
// keeping its mark and name (on Linux a link stays a link).
TEST_F(FileSeam, RewriteReplacesTheFileBehindTheName) {
    const std::string path = dir.write("Shared.ini", "a");
    mark(path);
    std::filesystem::create_directory(dir.file("x"));
#ifdef _WIN32
    std::string other = path;
    CharUpperBuffA(other.data(), static_cast<DWORD>(other.size()));
    const std::string link = dir.path().string() + "\\.\\x\\..\\Shared.ini";
#else
    const std::string other = dir.file("x\\..\\Shared.ini"), link = dir.file("link");
    std::filesystem::create_symlink(path, link);
#endif
    const auto names = dir.names();
    EXPECT_TRUE(file_rewrite(link.c_str(), false, append("L")) && file_rewrite(other.c_str(), false, append("b")));
    EXPECT_TRUE(file_rewrite(path.c_str(), false, [](std::string_view current, bool exists) {
        EXPECT_TRUE(exists && current == "aLb");
        return std::optional<std::string>();
    })) << "no new contents: the file stays";
    EXPECT_TRUE(marked(path) && read_bytes(path) == "aLb");
    EXPECT_EQ(dir.names(), names) << "names kept, nothing left behind";
}

TEST_F(FileSeam, UpdateWritesOnlyPatchesWithinTheFile) {
    const std::string path = dir.write("u.ini", "0123456789");
    mark(path);
    // The first patch applies only to the bytes the file held.
    const FileUpdate first = [](std::string_view now) { return std::optional<Patch>({now == "0123456789" ? 3U : 0U, "abc"}); };
    const FileUpdate none = [](std::string_view) { return std::optional<Patch>(); };
    const FileUpdate never = [](std::string_view) -> std::optional<Patch> { throw 1; };
    const std::string missing = dir.file("missing"), no_dir = dir.file("no\\such.ini"), folder = dir.path().string();
    const char* const p = path.c_str();
    using enum UpdateStatus;
    const struct { const char* path; FileUpdate edit; UpdateStatus status; } rows[] = {
        {p, first, written}, {p, patch(7, "XYZ"), written}, {p, patch(10, ""), written}, {p, none, declined},
        // Patches reaching beyond the end: the file keeps its length.
        {p, patch(8, "xyz"), failed}, {p, patch(11, ""), failed}, {p, patch(~0ULL, "x"), failed}, {p, never, failed},
        {missing.c_str(), never, not_found}, {no_dir.c_str(), never, not_found}, {nullptr, patch(0, "x"), failed},
        {p, nullptr, failed}, {folder.c_str(), patch(0, "x"), failed}};
    for (const auto& row : rows) EXPECT_EQ(file_update(row.path, row.edit), row.status) << (&row - rows);
    EXPECT_TRUE(read_bytes(path) == "012abc6XYZ" && marked(path)) << "the same file, not a replacement";
    EXPECT_EQ(dir.names(), std::set<std::string>{"u.ini"});
}

#ifdef _WIN32
// An update waits while another writer holds the lock, and then patches
// what that writer left. On Linux the soak holds this, with the file
// replaced meanwhile by rewrites of whole lines.
TEST_F(FileSeam, UpdateWaitsForTheWritersLock) {
    const std::string path = dir.write("u.ini", "old!");
    std::optional<win32::RewriteLock> held(win32::RewriteLock::acquire(path.c_str()));
    std::thread updater([&] { EXPECT_EQ(file_update(path.c_str(), patch(3, "?")), UpdateStatus::written); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    test::write_bytes(path, "new!");
    held.reset();
    updater.join();
    EXPECT_EQ(read_bytes(path), "new?");
}

// A bare profile name lives in the Windows directory (on Linux: the current
// directory, the profile tests'); any other name is kept as given.
TEST(PlatformServices, BareProfileNamesLiveInTheWindowsDirectory) {
    char windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    EXPECT_EQ(profile_file_path("qel.ini"), std::string(windows) + "\\qel.ini");
    for (const char* kept : {".\\qel.ini", "sub\\qel.ini", "C:\\dir\\qel.ini", "sub/qel.ini", "/abs/qel.ini"})
        EXPECT_EQ(profile_file_path(kept), kept);
}
#else
// Texts are UTF-8, a lone surrogate becomes '?' (UTF-8 read into UTF-16,
// invalid bytes too: the registry tests).
TEST(PlatformServices, TextsAreUtf8) {
    EXPECT_EQ(wide_to_narrow(u"gr\u00FC\u00DF \U0001D11E" + std::u16string(1, char16_t{0xDC00})),
              "gr\xC3\xBC\xC3\x9F \xF0\x9D\x84\x9E?");
}

// A rename is made in any case, and durable when the directory syncs or
// cannot be synced at all (EINVAL). A write at an offset goes on after short
// writes, interruptions and a write of nothing, and stops at the first error.
TEST(PosixFd, RenamesAreDurableWhereTheyCanBeAndWritesAtAnOffsetFinish) {
    test::TempDirectory dir;
    for (const auto& [sync_errno, durable] : {std::pair{0, true}, std::pair{EIO, false}, std::pair{EINVAL, true}}) {
        directory_sync_errno = sync_errno;
        EXPECT_EQ(posix::rename_durably(dir.write("from", "x"), dir.file("to")), durable) << sync_errno;
        directory_sync_errno = 0;
        EXPECT_EQ(read_bytes(dir.file("to")), "x") << sync_errno;
    }
    for (const auto& [fail_errno, written] :
         {std::pair{0, true}, std::pair{EINTR, true}, std::pair{-1, true}, std::pair{EIO, false}}) {
        const posix::Fd fd(::open(dir.write("f", "0123456789").c_str(), O_RDWR | O_CLOEXEC));
        pwrite_short = true;
        pwrite_errno = fail_errno;
        errno = 0;  // no error of an earlier row's
        EXPECT_EQ(posix::write_all_at(fd.get(), "abc", 1), written) << fail_errno;
        pwrite_short = false;
        EXPECT_EQ(read_bytes(dir.file("f")), written ? "0abc456789" : "0123456789") << fail_errno;
    }
}
#endif

}  // namespace
}  // namespace xq::os
