// Plain files: existence, whole-file reads, in-place writes, copies, and where
// bare profile file names live.
#include <windows.h>

#include <limits>
#include <new>
#include <string>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/win32/handle.h"

namespace xq::os {

bool file_exists(const char* path) {
    if (fault_point(Op::file_open)) return false;
    return path != nullptr && static_cast<bool>(win32::open_for_reading(path));
}

ReadStatus file_read(const char* path, FileBytes& out) {
    if (fault_point(Op::file_open)) return ReadStatus::not_found;
    if (path == nullptr) return ReadStatus::not_found;
    const win32::Handle file = win32::open_for_reading(path);
    if (!file) return ReadStatus::not_found;
    if (fault_point(Op::file_read)) return ReadStatus::failed;
    try {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return ReadStatus::failed;
        // One byte more than the size, so the end shows as a short read; a
        // file that grew meanwhile is read on to its end.
        std::size_t used = 0;
        std::size_t room = static_cast<std::size_t>(size.QuadPart) + 1;
        constexpr std::size_t kChunk = 64 * 1024;
        for (;;) {
            const DWORD ask = room < std::numeric_limits<DWORD>::max() ? static_cast<DWORD>(room)
                                                                       : std::numeric_limits<DWORD>::max();
            char* data = out.reserve(used + ask);
            DWORD got = 0;
            if (!ReadFile(file.get(), data + used, ask, &got, nullptr)) return ReadStatus::failed;
            used += got;
            out.set_size(used);
            if (got < ask) return ReadStatus::ok;
            room = used < kChunk ? kChunk : used;
        }
    } catch (const std::bad_alloc&) {
        return ReadStatus::failed;
    }
}

bool file_copy(const char* from, const char* to, bool fail_if_exists) {
    if (fault_point(Op::file_copy)) return false;
    if (from == nullptr || to == nullptr) return false;
    // The copy's writing part can fail on its own, as on other systems.
    if (fault_point(Op::file_write)) return false;
    if (fail_if_exists) return CopyFileA(from, to, TRUE) != FALSE;
    // Replacing: a complete copy beside the target, flushed, replaces it in
    // one rename that writes through, so a power cut leaves the old file or
    // the new one.
    std::string temp;
    if (!win32::create_temp_beside(to, temp)) return false;
    bool ok = CopyFileA(from, temp.c_str(), FALSE) != FALSE;
    if (ok) {
        // A copy of a read-only file cannot be opened for writing to flush
        // it; the rename still writes through.
        const win32::Handle copy(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        ok = !copy || FlushFileBuffers(copy.get()) != FALSE;
    }
    ok = ok && !fault_point(Op::file_rename) && win32::rename_over(temp, to);
    if (!ok) {
        SetFileAttributesA(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(temp.c_str());
    }
    return ok;
}

std::string profile_file_path(const char* file) {
    const std::string name = file != nullptr ? file : "";
    if (name.find_first_of("\\/") != std::string::npos) return name;
    // A bare name lives in the Windows directory, as for the system's
    // profile functions.
    std::string directory(MAX_PATH, '\0');
    UINT length = GetWindowsDirectoryA(directory.data(), static_cast<UINT>(directory.size()));
    if (length >= directory.size()) {
        directory.resize(length);
        length = GetWindowsDirectoryA(directory.data(), static_cast<UINT>(directory.size()));
    }
    if (length == 0 || length >= directory.size()) return name;
    directory.resize(length);
    if (directory.back() != '\\') directory += '\\';
    return directory + name;
}

}  // namespace xq::os
