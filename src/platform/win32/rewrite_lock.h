// The lock that serialises rewrites of one file across threads and processes.
#pragma once

#include <string>

#include "platform/win32/handle.h"

namespace xq::os::win32 {

// The lock's name for `path`: the same for every spelling of the full path
// that the system resolves alike (case, relative parts, short names).
std::string rewrite_lock_name(const char* path);

// Holds the named lock for one file while it lives; empty when it could not
// be taken within the timeout.
class RewriteLock {
public:
    static RewriteLock acquire(const char* path);

    RewriteLock(RewriteLock&&) noexcept = default;
    RewriteLock& operator=(RewriteLock&&) = delete;
    RewriteLock(const RewriteLock&) = delete;
    RewriteLock& operator=(const RewriteLock&) = delete;
    ~RewriteLock();

    explicit operator bool() const { return static_cast<bool>(mutex_); }

private:
    RewriteLock() = default;
    Handle mutex_;  // owned by this thread when set
};

}  // namespace xq::os::win32
