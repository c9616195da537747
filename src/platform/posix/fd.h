// Small helpers over POSIX file descriptors shared by the Linux backend.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace xq::os::posix {

// Owns a file descriptor; closes it when done.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& other) noexcept : fd_(other.release()) {}
    Fd& operator=(Fd&& other) noexcept;
    ~Fd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release();
    void reset();
    // Closes now; false when the close reports an error (e.g. a lost write).
    bool close();

private:
    int fd_ = -1;
};

// Removes a file when it goes out of scope, unless released.
class RemoveGuard {
public:
    explicit RemoveGuard(std::string path = {}) : path_(std::move(path)) {}
    RemoveGuard(const RemoveGuard&) = delete;
    RemoveGuard& operator=(const RemoveGuard&) = delete;
    ~RemoveGuard();
    void arm(std::string path) { path_ = std::move(path); }
    void release() { path_.clear(); }

private:
    std::string path_;
};

// The name as a Linux path: every '\' becomes '/'. Null gives "".
std::string native_path(const char* path);

// The file a path leads to, symbolic links followed; the path itself when it
// names nothing yet.
std::string resolved_path(const std::string& path);

// Opens a file for reading; directories are refused with EISDIR.
Fd open_for_reading(const std::string& path);

// Reads from the current position to the end; EINTR and short reads handled.
bool read_all(int fd, std::string& out);

// Reads from the current position to the end into `out`, after what it
// holds, expecting about `expected` bytes in all: one read when the size is
// right, more if the file grew.
bool read_sized(int fd, std::size_t expected, FileBytes& out);

// Reads a file opened for reading from its start into `out` (empty).
// not_found: it is a directory.
ReadStatus read_whole(int fd, FileBytes& out);

// Writes every byte from the current position.
bool write_all(int fd, std::string_view bytes);

// Writes every byte at `offset`.
bool write_all_at(int fd, std::string_view bytes, off_t offset);

// Creates a new file with a unique name beside `path` (same directory, name
// derived from it), opened for reading and writing with `mode`; its name goes to `name`.
Fd create_beside(const std::string& path, mode_t mode, std::string& name);

// Renames `from` over `to` and makes the rename itself durable: the
// directory that holds `to` is synced, so after a power cut the name refers
// to the old file or the new one (whose contents the caller synced before).
// False when the rename fails, or the directory cannot be synced where the
// file system supports it.
bool rename_durably(const std::string& from, const std::string& to);

// Reads a whole file without fault points (for the backend's own use).
ReadStatus read_file(const char* path, FileBytes& out);

}  // namespace xq::os::posix
