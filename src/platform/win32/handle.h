// Small owners for Win32 handles used by the backend.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

namespace xq::os::win32 {

// Owns a kernel handle (file, mutex); closes it once.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, nullptr);
        }
        return *this;
    }
    ~Handle() { reset(); }

    explicit operator bool() const { return h_ != nullptr; }
    HANDLE get() const { return h_; }
    void reset() {
        if (h_ != nullptr) CloseHandle(h_);
        h_ = nullptr;
    }

private:
    HANDLE h_ = nullptr;
};

// Opens an existing file for reading with every kind of sharing, so readers
// never stand in the way of writers or of a rename over the file.
inline Handle open_for_reading(const char* path) {
    return Handle(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Writes all of `bytes` to `file`; false on any short or failed write.
bool write_all(HANDLE file, std::string_view bytes);

// Reads `file` from its current position to the end into `out`.
bool read_all(HANDLE file, std::string& out);

// Creates a new, empty file beside `path`, open for writing; its name goes
// to `temp`.
Handle create_temp_beside(const std::string& path, std::string& temp);

// Renames `temp` over `path` in one replace that writes through, so the
// replacement is on the disk when it returns; retries while the target is
// briefly held open.
bool rename_over(const std::string& temp, const char* path);

}  // namespace xq::os::win32
