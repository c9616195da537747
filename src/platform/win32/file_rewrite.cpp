// Read-modify-write of a whole file under the per-file rewrite lock. The new
// contents go to a temporary file beside the old one, which then replaces it
// in one rename, so readers see the old file or the new one, never a mix.
#include <windows.h>

#include <string>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/win32/handle.h"
#include "platform/win32/rewrite_lock.h"

namespace xq::os {
namespace {

// Attributes carried over from the old file to its replacement.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

struct Current {
    std::string contents;
    bool exists = false;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    std::string target;  // the path to replace, with the file's own spelling of its name
};

// `path` with its last part spelt as the existing file's name is, so that a
// rewrite through another spelling does not rename the file.
std::string spelt_as_on_disk(const char* path) {
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return path;
    FindClose(search);
    const std::string given = path;
    const std::size_t slash = given.find_last_of("\\/:");
    return given.substr(0, slash == std::string::npos ? 0 : slash + 1) + found.cFileName;
}

// Reads the file as it is now; a missing file (or directory) is not an error.
bool read_current(const char* path, Current& current) {
    if (fault_point(Op::file_open)) return false;
    current.target = path;
    const win32::Handle file = win32::open_for_reading(path);
    if (!file) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    current.exists = true;
    current.target = spelt_as_on_disk(path);
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(file.get(), &info)) current.attributes = info.dwFileAttributes;
    if (fault_point(Op::file_read)) return false;
    return win32::read_all(file.get(), current.contents);
}

// Writes `contents` to a temporary file and renames it over the target. On
// any failure the temporary file is removed and the target is untouched.
bool replace_file(std::string_view contents, const Current& current) {
    if (fault_point(Op::file_write)) return false;
    // A read-only file stays as it is, as it would for an in-place write (some
    // file systems would let the rename replace it).
    if (current.exists && (current.attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
    std::string temp;
    win32::Handle file = win32::create_temp_beside(current.target, temp);
    if (!file) return false;
    bool ok = win32::write_all(file.get(), contents) && FlushFileBuffers(file.get());
    file.reset();
    if (ok && current.exists && (current.attributes & kKeptAttributes) != 0) {
        ok = SetFileAttributesA(temp.c_str(), current.attributes & kKeptAttributes) != FALSE;
    }
    ok = ok && !fault_point(Op::file_rename) && win32::rename_over(temp, current.target.c_str());
    if (!ok) DeleteFileA(temp.c_str());
    return ok;
}

}  // namespace

bool file_rewrite(const char* path, bool create, const FileEdit& edit) {
    if (fault_point(Op::file_lock)) return false;
    if (path == nullptr || !edit) return false;
    try {
        const auto lock = win32::RewriteLock::acquire(path);
        if (!lock) return false;
        Current current;
        if (!read_current(path, current)) return false;
        if (!current.exists && !create) return false;
        const std::optional<std::string> next = edit(current.contents, current.exists);
        if (!next) return true;
        return replace_file(*next, current);
    } catch (...) {
        // Whatever went wrong, the file was not replaced.
        return false;
    }
}

}  // namespace xq::os
