// A named mutex per file: every writer of this library, in any process of the
// machine, takes the same one for the same file.
#include "platform/win32/rewrite_lock.h"

#include <cstdint>
#include <cstdio>

namespace xq::os::win32 {
namespace {

// How long a writer waits for another one before giving up.
constexpr DWORD kLockTimeoutMs = 30'000;

// GetFullPathNameA / GetLongPathNameA into a string; empty on failure.
template <class Call>
std::string path_call(Call call) {
    std::string out(MAX_PATH, '\0');
    DWORD length = call(out.data(), static_cast<DWORD>(out.size()));
    if (length >= out.size()) {
        out.resize(length);
        length = call(out.data(), static_cast<DWORD>(out.size()));
    }
    if (length == 0 || length >= out.size()) return {};
    out.resize(length);
    return out;
}

// The full path with short names expanded where the file or its directory exists.
std::string canonical_path(const char* path) {
    std::string full = path_call([&](char* buf, DWORD size) { return GetFullPathNameA(path, size, buf, nullptr); });
    if (full.empty()) return path;
    std::string expanded = path_call([&](char* buf, DWORD size) { return GetLongPathNameA(full.c_str(), buf, size); });
    if (!expanded.empty()) return expanded;
    const std::size_t slash = full.find_last_of('\\');
    if (slash == std::string::npos) return full;
    const std::string directory = full.substr(0, slash);
    expanded = path_call([&](char* buf, DWORD size) { return GetLongPathNameA(directory.c_str(), buf, size); });
    return expanded.empty() ? full : expanded + full.substr(slash);
}

// 64-bit FNV-1a over the bytes of `text`.
std::uint64_t fnv1a(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace

std::string rewrite_lock_name(const char* path) {
    std::string key = canonical_path(path);
    if (!key.empty()) CharUpperBuffA(key.data(), static_cast<DWORD>(key.size()));
    char name[64];
    std::snprintf(name, sizeof name, "Global\\xq_utils.rewrite.%016llx",
                  static_cast<unsigned long long>(fnv1a(key)));
    return name;
}

RewriteLock RewriteLock::acquire(const char* path) {
    RewriteLock lock;
    const std::string name = rewrite_lock_name(path);
    constexpr DWORD kAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;
    Handle mutex(CreateMutexExA(nullptr, name.c_str(), 0, kAccess));
    if (!mutex && GetLastError() == ERROR_ACCESS_DENIED) {
        // Creating a global object needs a privilege that ordinary processes
        // outside the services' session lack; they share the lock within
        // their own session instead.
        const std::string local = "Local" + name.substr(name.find('\\'));
        mutex = Handle(CreateMutexExA(nullptr, local.c_str(), 0, kAccess));
    }
    if (!mutex) return lock;
    // An abandoned lock is taken over: the file itself is never left half
    // written, since it is only ever replaced whole.
    const DWORD waited = WaitForSingleObject(mutex.get(), kLockTimeoutMs);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) lock.mutex_ = std::move(mutex);
    return lock;
}

RewriteLock::~RewriteLock() {
    if (mutex_) ReleaseMutex(mutex_.get());
}

}  // namespace xq::os::win32
