// The exclusive lock that every writer of this library takes on a file, in
// any process: flock on the file itself. A whole-file rewrite replaces the
// file by renaming a new one over it, so whoever waited for the lock checks
// afterwards that the path still names the file it locked, and starts again
// if not.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/posix/fd.h"

namespace xq::os::posix {

// An open file (read and write) whose lock this process holds; the lock goes
// with the descriptor.
struct LockedFile {
    Fd fd;
    struct stat st {};
    bool created = false;  // the file did not exist and was made by this call
};

enum class LockResult { locked, missing, failed };

// Opens `path` (already resolved) for reading and writing and locks it. A
// missing file is created already locked when `create` is set, else gives
// `missing`. Passes the file_open and file_lock fault points.
LockResult lock_file(const std::string& path, bool create, LockedFile& out);

}  // namespace xq::os::posix
