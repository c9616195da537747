// The operating-system seam. Every service the library needs from the
// platform is one function here; src/platform/posix and src/platform/win32
// implement them and the build picks one. No other directory calls the
// operating system. Every function passes a fault point first (fault.h), so
// tests can make any single operation fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace xq::os {

// ---- Registry ---------------------------------------------------------------
// Keys below HKEY_LOCAL_MACHINE. On Linux the store is a text file in the
// registry export format (XQ_UTILS_REGISTRY, default /etc/xq_utils/registry.reg).

struct RegKey;  // opaque, one per open key; defined by the backend

inline constexpr uint32_t kKeyQueryValue = 0x0001;
inline constexpr uint32_t kKeySetValue = 0x0002;

// Opens `subkey` (one or more levels, "\"-separated) below `parent`, or below
// HKEY_LOCAL_MACHINE when `parent` is null, with the given rights. Null when
// the key does not exist or the rights cannot be granted.
RegKey* reg_open(RegKey* parent, const char* subkey, uint32_t rights);

// Reads value `name` of `key` into `out`. Succeeds only when the stored bytes
// and a terminator fit into out.size(); `out` is then zero-terminated (a value
// stored without terminator gets one). The value's type is not examined.
// On failure the contents of `out` are unspecified.
bool reg_query_string(RegKey* key, const char* name, std::span<char> out);

// Sets value `name` of `key` to `text` as a string value, terminator stored.
// Needs a key opened with kKeySetValue.
bool reg_set_string(RegKey* key, const char* name, std::string_view text);

void reg_close(RegKey* key);

// ---- Plain files ------------------------------------------------------------
// Names are passed as callers built them. On Linux a backslash in a name is a
// directory separator.

enum class ReadStatus { ok, not_found, failed };

// True when the file exists and can be opened for reading.
bool file_exists(const char* path);

// A whole file's contents. The buffer is not zero-filled before the read, so
// reading a large file costs no more than the read itself. Buffers of up to
// kKeptBufferLimit bytes are not given back when a FileBytes ends: each
// thread keeps its two largest such buffers (a configuration lookup holds two
// files at once) for the next FileBytes, so lookups do not allocate a fresh
// buffer on every call, and a file that fits is read with one read. Only the
// memory is kept, never contents: every read fills the buffer afresh. A
// thread holds at most two such buffers, and only as many of their pages as
// the largest files it read have ever been touched.
inline constexpr std::size_t kKeptBufferLimit = std::size_t{2} << 20;

class FileBytes {
public:
    FileBytes() = default;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    ~FileBytes() { give_back(); }

    std::string_view view() const { return {data_.get(), size_}; }
    std::size_t size() const { return size_; }

    // For the backends: room for `capacity` bytes, keeping the first size().
    char* reserve(std::size_t capacity) {
        if (capacity > capacity_) grow(capacity);
        return data_.get();
    }
    // For the backends: room for at least `least` bytes, or all the room of
    // the buffer this thread keeps when that is more. Needs size() == 0.
    std::size_t reserve_kept(std::size_t least) {
        const std::size_t spare = largest_kept().capacity;
        reserve(spare > least ? spare : least);
        return capacity_;
    }
    std::size_t capacity() const { return capacity_; }
    void set_size(std::size_t size) { size_ = size < capacity_ ? size : capacity_; }

private:
    struct Block {
        std::unique_ptr<char[]> data;
        std::size_t capacity = 0;
    };
    // The buffers this thread keeps between FileBytes: two, as a lookup
    // holds the contents of two files at once.
    static std::array<Block, 2>& kept() {
        thread_local std::array<Block, 2> blocks;
        return blocks;
    }
    static Block& largest_kept() {
        auto& blocks = kept();
        return blocks[0].capacity >= blocks[1].capacity ? blocks[0] : blocks[1];
    }
    void grow(std::size_t capacity) {
        Block& spare = largest_kept();
        Block grown;
        if (size_ == 0 && spare.data && spare.capacity >= capacity) {
            grown = {std::move(spare.data), std::exchange(spare.capacity, 0)};
        } else {
            grown = {std::make_unique_for_overwrite<char[]>(capacity), capacity};
            if (size_ > 0) std::copy(data_.get(), data_.get() + size_, grown.data.get());
        }
        give_back();
        data_ = std::move(grown.data);
        capacity_ = grown.capacity;
    }
    void give_back() {
        size_ = 0;
        if (!data_) return;  // no buffer, no room
        auto& blocks = kept();
        Block& spare = blocks[0].capacity < blocks[1].capacity ? blocks[0] : blocks[1];
        if (capacity_ <= kKeptBufferLimit && capacity_ > spare.capacity) spare = {std::move(data_), capacity_};
        data_.reset();
        capacity_ = 0;
    }

    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// Reads the whole file into `out` with one open. not_found: no such file, or
// it cannot be opened for reading; failed: opened but not read completely.
ReadStatus file_read(const char* path, FileBytes& out);

// The same into a string (left as it was on failure), for callers off the
// hot paths.
inline ReadStatus file_read(const char* path, std::string& out) {
    FileBytes bytes;
    const ReadStatus status = file_read(path, bytes);
    if (status == ReadStatus::ok) out.assign(bytes.view());
    return status;
}

// Copies `from` to `to`; with fail_if_exists an existing `to` makes it fail.
bool file_copy(const char* from, const char* to, bool fail_if_exists);

// Read-modify-write under an exclusive lock shared by every writer of this
// library, in any process. `edit` receives the current contents (empty and
// exists = false for a missing file) and returns the new contents, or nullopt
// to leave the file as it is. The new contents go to a temporary file beside
// the old one, which is then renamed over it (keeping its permissions), so a
// reader sees either the old or the new file, never a partial one.
// Returns false when the lock, read, write or rename fails, or when the file is
// missing and `create` is false; the file is then unchanged.
using FileEdit = std::function<std::optional<std::string>(std::string_view current, bool exists)>;
bool file_rewrite(const char* path, bool create, const FileEdit& edit);

// In-place update of an existing file under the same lock as file_rewrite:
// `edit` receives the current contents and returns the bytes to write and
// where, or nullopt to write nothing. The patch is written with one write and
// must lie within the file (its length never changes). One open of the file
// serves the read and the write, so no other writer through this library can
// change the file in between.
struct Patch {
    std::uint64_t offset;
    std::string bytes;

    // True when the patch overwrites bytes of a file of `size` bytes only
    // (and its offset is one that a 64-bit file position can hold).
    bool lies_within(std::size_t size) const {
        constexpr std::uint64_t kMaxOffset = 0x7FFF'FFFF'FFFF'FFFF;
        return offset <= size && bytes.size() <= size - offset && offset <= kMaxOffset;
    }
};
enum class UpdateStatus { written, declined, not_found, failed };
using FileUpdate = std::function<std::optional<Patch>(std::string_view current)>;
UpdateStatus file_update(const char* path, const FileUpdate& edit);

// Where a profile file name is looked for: a name without a directory part
// resolves to the Windows directory on Windows and to the current directory on
// Linux; any other name is returned unchanged.
std::string profile_file_path(const char* file);

// ---- Text encodings ---------------------------------------------------------
// The 8-bit character set of the A functions: the ANSI code page on Windows,
// UTF-8 on Linux. Unmappable characters become '?'.
std::string wide_to_narrow(std::u16string_view text);
std::u16string narrow_to_wide(std::string_view text);

// ---- String resources ------------------------------------------------------
// Message catalogues by module name. On Windows a module is a DLL loaded by
// file name; on Linux a module file of the same name (compared without regard
// to letter case) beside the library, and the name "xq_utils.dll" stands for
// the library's own catalogue.

struct Module;  // opaque, defined by the backend

// Null when the module cannot be loaded.
Module* module_load(const char* name);

// Copies string `id` of `module` into `out` (at most out.size() - 1
// characters, terminated) and returns the number of characters; 0 when the
// module has no such string. A null module means the program's own resources
// (none on Linux).
std::size_t module_string(Module* module, unsigned id, std::span<char> out);

void module_free(Module* module);

// ---- Memory -------------------------------------------------------------------
// Blocks the library allocates itself: a call's scratch block, a token
// stream. Null when the allocation fails.
void* memory_alloc(std::size_t size);
void memory_free(void* block);

// ---- Clock ------------------------------------------------------------------
struct Date {
    std::uint16_t day;
    std::uint16_t month;
    std::uint16_t year;
};
Date utc_date();

}  // namespace xq::os
