#include "platform/posix/fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace xq::os::posix {
namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kMaxStem = 200;  // keeps derived names within NAME_MAX
constexpr int kNameTries = 100;

// A name for a new file beside `path`: ".<name>.<pid>-<tag>".
std::string sibling_name(const std::string& path, unsigned long tag) {
    const std::size_t slash = path.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    const std::string stem = path.substr(start, kMaxStem);
    return path.substr(0, start) + "." + stem + "." + std::to_string(getpid()) + "-" + std::to_string(tag);
}

}  // namespace

Fd& Fd::operator=(Fd&& other) noexcept {
    if (this != &other) {
        reset();
        fd_ = other.release();
    }
    return *this;
}

int Fd::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void Fd::reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool Fd::close() {
    const int fd = release();
    return fd < 0 || ::close(fd) == 0;
}

RemoveGuard::~RemoveGuard() {
    if (!path_.empty()) ::unlink(path_.c_str());
}

std::string native_path(const char* path) {
    std::string out = path != nullptr ? path : "";
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::string resolved_path(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : path;
}

Fd open_for_reading(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (fd && ::fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode)) {
        fd.reset();
        errno = EISDIR;
    }
    return fd;
}

bool read_all(int fd, std::string& out) {
    out.clear();
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) out.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[kChunk];
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) return true;
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        out.append(buffer, static_cast<std::size_t>(got));
    }
}

bool read_sized(int fd, std::size_t expected, FileBytes& out) {
    // One byte more than expected, so a file of the expected size ends in a
    // short read and needs no second call to see its end.
    std::size_t used = out.size();
    std::size_t room = expected >= used ? expected - used + 1 : kChunk;
    while (true) {
        char* data = out.reserve(used + room);
        const ssize_t got = ::read(fd, data + used, room);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        used += static_cast<std::size_t>(got);
        out.set_size(used);
        if (static_cast<std::size_t>(got) < room) return true;
        room = used < kChunk ? kChunk : used;
    }
}

ReadStatus read_whole(int fd, FileBytes& out) {
    // The first read, of at most kChunk bytes, goes into the buffer the
    // thread keeps: a file that fits ends in a short read and costs neither
    // an fstat nor a second read. A larger one is sized and read on, in place
    // when the kept buffer holds it, so at most kChunk bytes are ever copied.
    const std::size_t room = std::min(out.reserve_kept(kChunk), kChunk);
    ssize_t got = 0;
    do {
        got = ::read(fd, out.reserve(room), room);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return errno == EISDIR ? ReadStatus::not_found : ReadStatus::failed;
    out.set_size(static_cast<std::size_t>(got));
    if (static_cast<std::size_t>(got) < room) return ReadStatus::ok;
    struct stat st {};
    if (::fstat(fd, &st) != 0) return ReadStatus::failed;
    return read_sized(fd, static_cast<std::size_t>(st.st_size), out) ? ReadStatus::ok : ReadStatus::failed;
}

bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

bool write_all_at(int fd, std::string_view bytes, off_t offset) {
    while (!bytes.empty()) {
        const ssize_t put = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
        offset += put;
    }
    return true;
}

Fd create_beside(const std::string& path, mode_t mode, std::string& name) {
    struct timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    unsigned long tag = static_cast<unsigned long>(now.tv_nsec) ^ static_cast<unsigned long>(now.tv_sec);
    for (int attempt = 0; attempt < kNameTries; ++attempt, tag = tag * 6364136223846793005UL + 1442695040888963407UL) {
        name = sibling_name(path, tag % 1000000007UL);
        Fd fd(::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (fd || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return Fd{};
}

bool rename_durably(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
    const std::size_t slash = to.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
    const Fd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) return false;
    // Some file systems cannot sync a directory (EINVAL); their renames are
    // as durable as they get.
    return ::fsync(fd.get()) == 0 || errno == EINVAL;
}

ReadStatus read_file(const char* path, FileBytes& out) {
    // One read for a file of the usual size: the settings store is read on
    // every call.
    const Fd fd(::open(path, O_RDONLY | O_CLOEXEC));
    if (!fd) return ReadStatus::not_found;
    return read_whole(fd.get(), out);
}

}  // namespace xq::os::posix
