// Whole-buffer reads and writes on open file handles.
#include <limits>

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

}  // namespace xq::os::win32
