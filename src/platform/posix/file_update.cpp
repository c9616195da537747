// In-place update of an existing file: one open serves the read and the
// write, under the lock that every writer of this library takes
// (file_lock.h), so no such writer changes the file between the two.
#include <unistd.h>


#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/posix/fd.h"
#include "platform/posix/file_lock.h"

namespace xq::os {
namespace {

UpdateStatus update_locked(posix::LockedFile& locked, const FileUpdate& edit) {
    if (fault_point(Op::file_read)) return UpdateStatus::failed;
    FileBytes bytes;
    const auto expected = static_cast<std::size_t>(locked.st.st_size);
    if (::lseek(locked.fd.get(), 0, SEEK_SET) != 0 || !posix::read_sized(locked.fd.get(), expected, bytes)) {
        return UpdateStatus::failed;
    }
    const std::string_view current = bytes.view();
    const std::optional<Patch> patch = edit(current);
    if (!patch) return UpdateStatus::declined;
    if (!patch->lies_within(current.size())) return UpdateStatus::failed;
    if (fault_point(Op::file_write)) return UpdateStatus::failed;
    if (!posix::write_all_at(locked.fd.get(), patch->bytes, static_cast<off_t>(patch->offset))) {
        return UpdateStatus::failed;
    }
    // Closing also gives up the lock; a failed close may mean a lost write.
    return locked.fd.close() ? UpdateStatus::written : UpdateStatus::failed;
}

}  // namespace

UpdateStatus file_update(const char* path, const FileUpdate& edit) {
    if (path == nullptr || !edit) return UpdateStatus::failed;
    try {
        const std::string target = posix::resolved_path(posix::native_path(path));
        posix::LockedFile locked;
        switch (posix::lock_file(target, false, locked)) {
        case posix::LockResult::locked:
            return update_locked(locked, edit);
        case posix::LockResult::missing:
            return UpdateStatus::not_found;
        case posix::LockResult::failed:
            break;
        }
        return UpdateStatus::failed;
    } catch (...) {
        // Whatever went wrong (the edit included), nothing was written.
        return UpdateStatus::failed;
    }
}

}  // namespace xq::os
