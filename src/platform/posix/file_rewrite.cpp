// Read-modify-write of a whole file under an exclusive lock that every writer
// of this library takes, in any process: flock on the file itself. A writer
// replaces the file by renaming a new one over it, so whoever waited for the
// lock checks afterwards that the path still names the file it locked, and
// starts again if not.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/posix/fd.h"

namespace xq::os {
namespace {

// Each retry means another writer replaced or removed the file meanwhile.
constexpr int kLockTries = 1000;

enum class Outcome { locked, retry, missing, failed };

struct Locked {
    posix::Fd fd;
    struct stat st {};
    bool created = false;  // the file did not exist and was made by this call
};

bool lock(int fd) {
    if (fault_point(Op::file_lock)) return false;
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

// Creates the missing file already locked: a new file beside it is locked
// first and then linked into place, so no other writer can see it unlocked.
// Where hard links are not supported, it is created in place instead.
Outcome create_locked(const std::string& path, Locked& out) {
    std::string temp;
    posix::Fd fd = posix::create_beside(path, 0666, temp);
    if (!fd) return Outcome::failed;
    const posix::RemoveGuard remove_temp(temp);
    if (!lock(fd.get())) return Outcome::failed;
    if (::link(temp.c_str(), path.c_str()) != 0) {
        if (errno == EEXIST) return Outcome::retry;
        if (errno != EPERM && errno != ENOTSUP && errno != EMLINK && errno != EXDEV) return Outcome::failed;
        fd = posix::Fd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd) return errno == EEXIST ? Outcome::retry : Outcome::failed;
        if (!lock(fd.get())) {
            ::unlink(path.c_str());
            return Outcome::failed;
        }
    }
    if (::fstat(fd.get(), &out.st) != 0) {
        ::unlink(path.c_str());
        return Outcome::failed;
    }
    // Linked while locked: no other writer can have replaced it since.
    out.fd = std::move(fd);
    out.created = true;
    return Outcome::locked;
}

// Opens and locks the file that `path` names; a file replaced while this
// call waited for the lock means another try.
Outcome open_locked(const std::string& path, bool create, Locked& out) {
    out = Locked{};
    if (fault_point(Op::file_open)) return Outcome::failed;
    posix::Fd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (!fd) {
        if (errno != ENOENT) return Outcome::failed;
        return create ? create_locked(path, out) : Outcome::missing;
    }
    if (!lock(fd.get())) return Outcome::failed;
    out.fd = std::move(fd);
    struct stat named {};
    if (::fstat(out.fd.get(), &out.st) != 0) return Outcome::failed;
    if (!S_ISREG(out.st.st_mode)) return Outcome::failed;
    if (::stat(path.c_str(), &named) != 0 || named.st_dev != out.st.st_dev || named.st_ino != out.st.st_ino) {
        return Outcome::retry;
    }
    return Outcome::locked;
}

// Writes `contents` to a new file beside `path` with the old file's
// permissions and renames it over `path`. On failure nothing is left behind.
bool replace(const std::string& path, std::string_view contents, const struct stat& old) {
    if (fault_point(Op::file_write)) return false;
    std::string temp;
    posix::Fd fd = posix::create_beside(path, 0600, temp);
    if (!fd) return false;
    posix::RemoveGuard remove_temp(temp);
    if (!posix::write_all(fd.get(), contents) || ::fsync(fd.get()) != 0) return false;
    if (::fchmod(fd.get(), old.st_mode & 07777) != 0) return false;
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        // Keeps the owner where this process may; a failure is no error.
        (void)::fchown(fd.get(), old.st_uid, old.st_gid);
    }
    if (!fd.close()) return false;
    if (fault_point(Op::file_rename)) return false;
    if (::rename(temp.c_str(), path.c_str()) != 0) return false;
    remove_temp.release();
    return true;
}

bool rewrite_locked(const std::string& path, Locked& locked, const FileEdit& edit) {
    // A file made by this call is removed again unless it is replaced.
    posix::RemoveGuard remove_created(locked.created ? path : std::string());
    if (fault_point(Op::file_read)) return false;
    std::string current;
    if (::lseek(locked.fd.get(), 0, SEEK_SET) != 0 || !posix::read_all(locked.fd.get(), current)) return false;
    const std::optional<std::string> next = edit(current, !locked.created);
    if (!next) return true;
    if (!replace(path, *next, locked.st)) return false;
    remove_created.release();
    return true;
}

}  // namespace

bool file_rewrite(const char* path, bool create, const FileEdit& edit) {
    if (path == nullptr || !edit) return false;
    try {
        const std::string target = posix::resolved_path(posix::native_path(path));
        Locked locked;
        for (int attempt = 0; attempt < kLockTries; ++attempt) {
            switch (open_locked(target, create, locked)) {
            case Outcome::locked:
                // The lock goes with the descriptor, after any removal above.
                return rewrite_locked(target, locked, edit);
            case Outcome::retry:
                continue;
            case Outcome::missing:
            case Outcome::failed:
                return false;
            }
        }
        return false;
    } catch (...) {
        return false;
    }
}

}  // namespace xq::os
