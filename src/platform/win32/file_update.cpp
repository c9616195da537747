// In-place update of an existing file: one open serves the read and the
// write, under the per-file rewrite lock that whole-file rewrites take too,
// so no writer of this library changes the file between the two.
#include <windows.h>


#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/win32/handle.h"
#include "platform/win32/rewrite_lock.h"

namespace xq::os {
namespace {

// Opens the existing file for reading and writing; readers and renames by
// others are not shut out, as with the library's other opens.
win32::Handle open_for_update(const char* path) {
    return win32::Handle(CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
}

// A file marked read-only is not written, also where the system would let
// this process open it for writing (as whole-file rewrites do).
bool is_read_only(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    return !GetFileInformationByHandle(file, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
}

UpdateStatus update_open(HANDLE file, const FileUpdate& edit) {
    if (is_read_only(file)) return UpdateStatus::failed;
    if (fault_point(Op::file_read)) return UpdateStatus::failed;
    std::string current;
    if (!win32::read_all(file, current)) return UpdateStatus::failed;
    const std::optional<Patch> patch = edit(current);
    if (!patch) return UpdateStatus::declined;
    if (!patch->lies_within(current.size())) return UpdateStatus::failed;
    if (fault_point(Op::file_write)) return UpdateStatus::failed;
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(patch->offset);
    if (!SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) return UpdateStatus::failed;
    return win32::write_all(file, patch->bytes) ? UpdateStatus::written : UpdateStatus::failed;
}

}  // namespace

UpdateStatus file_update(const char* path, const FileUpdate& edit) {
    if (fault_point(Op::file_lock)) return UpdateStatus::failed;
    if (path == nullptr || !edit) return UpdateStatus::failed;
    try {
        const auto lock = win32::RewriteLock::acquire(path);
        if (!lock) return UpdateStatus::failed;
        if (fault_point(Op::file_open)) return UpdateStatus::failed;
        const win32::Handle file = open_for_update(path);
        if (!file) {
            const DWORD error = GetLastError();
            const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
            return missing ? UpdateStatus::not_found : UpdateStatus::failed;
        }
        // The handle closes before the lock is given up.
        return update_open(file.get(), edit);
    } catch (...) {
        // Whatever went wrong (the edit included), nothing was written.
        return UpdateStatus::failed;
    }
}

}  // namespace xq::os
