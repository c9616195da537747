#include "platform/posix/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/fault.h"

namespace xq::os::posix {
namespace {

// Each retry means another writer replaced or removed the file meanwhile,
// so the writers as a whole always progress; the bound only stops a writer
// that some other program keeps outpacing for good. A thousand was too few:
// under sixteen busy writers one could lose that often and fail its write.
constexpr int kLockTries = 1000000;

enum class Outcome { locked, retry, missing, failed };

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
Outcome create_locked(const std::string& path, LockedFile& out) {
    std::string temp;
    Fd fd = create_beside(path, 0666, temp);
    if (!fd) return Outcome::failed;
    const RemoveGuard remove_temp(temp);
    if (!lock(fd.get())) return Outcome::failed;
    if (::link(temp.c_str(), path.c_str()) != 0) {
        if (errno == EEXIST) return Outcome::retry;
        if (errno != EPERM && errno != ENOTSUP && errno != EMLINK && errno != EXDEV) return Outcome::failed;
        fd = Fd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
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
Outcome open_locked(const std::string& path, bool create, LockedFile& out) {
    out = LockedFile{};
    if (fault_point(Op::file_open)) return Outcome::failed;
    Fd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
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

}  // namespace

LockResult lock_file(const std::string& path, bool create, LockedFile& out) {
    for (int attempt = 0; attempt < kLockTries; ++attempt) {
        switch (open_locked(path, create, out)) {
        case Outcome::locked:
            return LockResult::locked;
        case Outcome::retry:
            continue;
        case Outcome::missing:
            return LockResult::missing;
        case Outcome::failed:
            return LockResult::failed;
        }
    }
    return LockResult::failed;
}

}  // namespace xq::os::posix
