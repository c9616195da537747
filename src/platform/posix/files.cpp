// Plain files: existence, whole-file reads, in-place writes, copies, and where
// bare profile file names live.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/posix/fd.h"

namespace xq::os {
namespace {

constexpr std::size_t kCopyChunk = 64 * 1024;

// Copies what is left of `in` to `out`.
bool copy_bytes(int in, int out) {
    char buffer[kCopyChunk];
    while (true) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0) return true;
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (!posix::write_all(out, std::string_view(buffer, static_cast<std::size_t>(got)))) return false;
    }
}

// Fills the new file `out` from `in`, with the permissions of `in`.
bool fill_copy(int in, int out, mode_t mode) {
    if (fault_point(Op::file_write)) return false;
    return copy_bytes(in, out) && ::fchmod(out, mode & 07777) == 0 && ::fsync(out) == 0;
}

}  // namespace

bool file_exists(const char* path) {
    if (fault_point(Op::file_open)) return false;
    if (path == nullptr) return false;
    try {
        return static_cast<bool>(posix::open_for_reading(posix::native_path(path)));
    } catch (...) {
        return false;
    }
}

ReadStatus file_read(const char* path, FileBytes& out) {
    if (fault_point(Op::file_open)) return ReadStatus::not_found;
    if (path == nullptr) return ReadStatus::not_found;
    try {
        // Lookups read a file on every call: a name that fits is converted
        // in a buffer on the stack, not in a string of its own.
        std::array<char, 512> local;
        const std::size_t length = std::strlen(path);
        const bool fits = length < local.size();
        if (fits) {
            std::memcpy(local.data(), path, length + 1);
            for (char* c = std::strchr(local.data(), '\\'); c != nullptr; c = std::strchr(c + 1, '\\')) *c = '/';
        }
        const posix::Fd fd(::open(fits ? local.data() : posix::native_path(path).c_str(), O_RDONLY | O_CLOEXEC));
        if (!fd) return ReadStatus::not_found;
        if (fault_point(Op::file_read)) return ReadStatus::failed;
        return posix::read_whole(fd.get(), out);
    } catch (...) {
        return ReadStatus::failed;
    }
}

bool file_copy(const char* from, const char* to, bool fail_if_exists) {
    if (fault_point(Op::file_copy)) return false;
    if (from == nullptr || to == nullptr) return false;
    try {
        const posix::Fd in = posix::open_for_reading(posix::native_path(from));
        struct stat st {};
        if (!in || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
        const std::string target = posix::resolved_path(posix::native_path(to));
        if (fail_if_exists) {
            // Created here or not at all: a failed copy removes what it made.
            posix::Fd out(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
            if (!out) return false;
            posix::RemoveGuard guard(target);
            if (!fill_copy(in.get(), out.get(), st.st_mode) || !out.close()) return false;
            guard.release();
            return true;
        }
        // Replacing: a complete copy beside the target is renamed over it.
        std::string temp;
        posix::Fd out = posix::create_beside(target, 0600, temp);
        if (!out) return false;
        posix::RemoveGuard guard(temp);
        if (!fill_copy(in.get(), out.get(), st.st_mode) || !out.close()) return false;
        if (fault_point(Op::file_rename)) return false;
        if (!posix::rename_durably(temp, target)) return false;
        guard.release();
        return true;
    } catch (...) {
        return false;
    }
}

std::string profile_file_path(const char* file) {
    // A bare name stays relative to the current directory; any other name is
    // used as given (backslashes become separators when the file is opened).
    return file != nullptr ? std::string(file) : std::string();
}

}  // namespace xq::os
