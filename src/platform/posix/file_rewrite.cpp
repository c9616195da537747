// Read-modify-write of a whole file under the exclusive lock that every
// writer of this library takes (file_lock.h). The new contents go to a file
// beside the old one, synced, and then renamed over it; the rename is synced
// too, so a power cut leaves the old file or the new one.
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/posix/fd.h"
#include "platform/posix/file_lock.h"

namespace xq::os {
namespace {

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
        [[maybe_unused]] const int kept = ::fchown(fd.get(), old.st_uid, old.st_gid);
    }
    if (!fd.close()) return false;
    if (fault_point(Op::file_rename)) return false;
    if (!posix::rename_durably(temp, path)) return false;
    remove_temp.release();
    return true;
}

bool rewrite_locked(const std::string& path, posix::LockedFile& locked, const FileEdit& edit) {
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
        posix::LockedFile locked;
        if (posix::lock_file(target, create, locked) != posix::LockResult::locked) return false;
        // The lock goes with the descriptor, after any removal in there.
        return rewrite_locked(target, locked, edit);
    } catch (...) {
        return false;
    }
}

}  // namespace xq::os
