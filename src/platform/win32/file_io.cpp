// Whole-buffer reads and writes on open file handles, and the temporary
// file and rename by which writers replace a file.
#include <limits>
#include <string>

#include "platform/win32/handle.h"

namespace xq::os::win32 {

bool write_all(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        constexpr std::size_t kChunk = std::size_t{1} << 30;
        const auto request = static_cast<DWORD>(bytes.size() < kChunk ? bytes.size() : kChunk);
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), request, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

bool read_all(HANDLE file, std::string& out) {
    out.clear();
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
        static_cast<unsigned long long>(size.QuadPart) < out.max_size()) {
        out.reserve(static_cast<std::size_t>(size.QuadPart));
    }
    // Read to the end rather than trusting the size: the file may grow.
    constexpr DWORD kChunk = 64 * 1024;
    for (;;) {
        const std::size_t used = out.size();
        out.resize(used + kChunk);
        DWORD got = 0;
        const BOOL ok = ReadFile(file, out.data() + used, kChunk, &got, nullptr);
        out.resize(used + got);
        if (!ok) return false;
        if (got == 0) return true;
    }
}

namespace {

// A reader that holds the file open can make the rename fail for a moment on
// some systems; so many tries, this far apart, before giving up.
constexpr int kRenameTries = 20;
constexpr DWORD kRenamePauseMs = 25;

}  // namespace

Handle create_temp_beside(const std::string& path, std::string& temp) {
    const std::string stem = path + ".~xq" + std::to_string(GetCurrentProcessId()) + "-";
    for (int n = 0; n < 100; ++n) {
        temp = stem + std::to_string(n);
        Handle file(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return file;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    temp.clear();
    return {};
}

bool rename_over(const std::string& temp, const char* path) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExA(temp.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        const bool transient = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
        if (!transient || attempt == kRenameTries) return false;
        Sleep(kRenamePauseMs);
    }
}

}  // namespace xq::os::win32
