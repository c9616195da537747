// Registry keys below HKEY_LOCAL_MACHINE, kept in a registry export file named
// by XQ_UTILS_REGISTRY. The file is read when a root-level key is opened;
// keys opened from that one share what was read, so one call that walks down
// several levels reads the file once. Writes edit the current file under the
// rewrite lock and keep every unrelated line as it was.
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/posix/fd.h"
#include "platform/regfile/regfile.h"

namespace xq::os {
namespace {

constexpr const char* kDefaultStore = "/etc/xq_utils/registry.reg";
constexpr const char* kStoreVariable = "XQ_UTILS_REGISTRY";
constexpr const char* kRoot = "HKEY_LOCAL_MACHINE";

struct Store;

}  // namespace

// A key and its full path (normal form). Most keys sit in a slot of their
// store with room for the path; the others, and longer paths, are allocated
// on their own with the path's bytes following the key.
struct RegKey {
    Store* store = nullptr;
    std::uint32_t rights = 0;
    bool in_slot = false;
    std::size_t length = 0;  // of the path
    char* text = nullptr;    // the path's bytes

    std::string_view path() const { return {text, length}; }
};

namespace {

// What one read of the file gave, shared by the keys opened from one root
// key. Those keys are used and closed within one call on one thread, so the
// count of keys open on it needs no atomics. The file's name (with a NUL)
// and the bytes read follow the store in its allocation.
struct Store {
    static constexpr std::size_t kSlots = 3;      // keys open at once on a walk down
    static constexpr std::size_t kSlotPath = 72;  // bytes of a path kept in a slot

    struct Slot {
        RegKey key;
        char path[kSlotPath];
    };

    std::string_view contents;                 // the bytes read, or `written`
    std::string written;                       // the file as this store last wrote it
    std::optional<regfile::KeyReader> reader;  // over `contents`
    std::size_t users = 0;                     // keys open on this store
    std::array<Slot, kSlots> slots{};

    const char* file() const { return reinterpret_cast<const char*>(this + 1); }
    void hold(std::string_view bytes) {
        contents = bytes;
        reader.emplace(contents);
    }
};

void delete_store(Store* store) {
    store->~Store();
    ::operator delete(store);
}

using StorePtr = std::unique_ptr<Store, void (*)(Store*)>;

// The store as it is now; a missing or unreadable file holds no keys.
StorePtr load_store() {
    const char* named = std::getenv(kStoreVariable);
    if (named == nullptr || *named == '\0') named = kDefaultStore;
    // Only a '\\' needs changing for this system: most names are taken as they are.
    std::string changed;
    const bool change = std::strchr(named, '\\') != nullptr;
    if (change) changed = posix::native_path(named);
    const char* file = change ? changed.c_str() : named;
    const std::size_t length = change ? changed.size() : std::strlen(named);
    FileBytes bytes;
    const std::string_view read = posix::read_file(file, bytes) == ReadStatus::ok ? bytes.view() : std::string_view();
    StorePtr store(new (::operator new(sizeof(Store) + length + 1 + read.size())) Store, delete_store);
    char* name = reinterpret_cast<char*>(store.get() + 1);
    std::memcpy(name, file, length + 1);
    if (!read.empty()) std::memcpy(name + length + 1, read.data(), read.size());
    store->hold({name + length + 1, read.size()});
    return store;
}

// Whether this process could replace the store file: the file and its
// directory must be writable.
bool store_writable(const char* file) {
    const std::string_view name = file;
    const std::size_t slash = name.rfind('/');
    const std::string directory(slash == std::string_view::npos ? "." : slash == 0 ? "/" : name.substr(0, slash));
    return ::access(file, W_OK) == 0 && ::access(directory.c_str(), W_OK) == 0;
}

}  // namespace

namespace {

// A key with the path `base` + '\\' + `below` (or just `base`), in a free
// slot of the store when the path fits.
RegKey* new_key(Store& store, std::uint32_t rights, std::string_view base, std::string_view below) {
    const std::size_t length = base.size() + (below.empty() ? 0 : 1 + below.size());
    RegKey* key = nullptr;
    if (length <= Store::kSlotPath) {
        for (Store::Slot& slot : store.slots) {
            if (slot.key.store != nullptr) continue;
            key = &slot.key;
            *key = RegKey{&store, rights, true, length, slot.path};
            break;
        }
    }
    if (key == nullptr) {
        key = new (::operator new(sizeof(RegKey) + length)) RegKey{&store, rights, false, length, nullptr};
        key->text = reinterpret_cast<char*>(key + 1);
    }
    ++store.users;
    std::memcpy(key->text, base.data(), base.size());
    if (!below.empty()) {
        key->text[base.size()] = '\\';
        std::memcpy(key->text + base.size() + 1, below.data(), below.size());
    }
    return key;
}

}  // namespace

RegKey* reg_open(RegKey* parent, const char* subkey, std::uint32_t rights) {
    if (fault_point(Op::reg_open)) return nullptr;
    if ((rights & kKeySetValue) != 0 && fault_point(Op::reg_open_set)) return nullptr;
    if (subkey == nullptr) return nullptr;
    try {
        StorePtr loaded = parent != nullptr ? StorePtr(nullptr, delete_store) : load_store();
        Store& store = parent != nullptr ? *parent->store : *loaded;
        // Below the parent's path (normal form, the root in full, no '\' at
        // either end), the joined path must have no empty component; trailing
        // '\' are dropped.
        const std::string_view base = parent != nullptr ? parent->path() : kRoot;
        std::string_view below = subkey;
        while (below.ends_with('\\')) below.remove_suffix(1);
        // (Most subkeys are one component: no '\\' to look at.)
        const bool nested = below.find('\\') != std::string_view::npos;
        if (nested && (below.starts_with('\\') || regfile::has_empty_component(below))) return nullptr;
        // From here the key owns a store it loaded, with the other keys open on it.
        std::unique_ptr<RegKey, void (*)(RegKey*)> key(new_key(store, rights, base, below), reg_close);
        loaded.release();
        // The root always exists, listed in the file or not (a path below
        // something is never the root).
        const bool root = below.empty() && regfile::is_root_path(key->path());
        const bool exists = root || key->store->reader->exists(key->path());
        if (!exists || ((rights & kKeySetValue) != 0 && !store_writable(key->store->file()))) return nullptr;
        return key.release();
    } catch (...) {
        return nullptr;
    }
}

bool reg_query_string(RegKey* key, const char* name, std::span<char> out) {
    if (fault_point(Op::reg_query)) return false;
    if (key == nullptr || (key->rights & kKeyQueryValue) == 0 || out.empty()) return false;
    try {
        const regfile::KeyReader& reader = *key->store->reader;
        const std::string_view value = name != nullptr ? name : "";
        // Most values are plain text, copied from the file as they stand.
        const auto plain = reader.query_plain(key->path(), value);
        if (plain.kind == regfile::KeyReader::Plain::Kind::absent) return false;
        if (plain.kind == regfile::KeyReader::Plain::Kind::text) {
            if (plain.text.size() + 1 > out.size()) return false;
            std::memcpy(out.data(), plain.text.data(), plain.text.size());
            out[plain.text.size()] = '\0';
            return true;
        }
        const auto queried = reader.query(key->path(), value);
        if (!queried) return false;
        const std::string& bytes = *queried;
        const bool terminated = !bytes.empty() && bytes.back() == '\0';
        if (bytes.size() + (terminated ? 0 : 1) > out.size()) return false;
        std::memcpy(out.data(), bytes.data(), bytes.size());
        if (!terminated) out[bytes.size()] = '\0';
        return true;
    } catch (...) {
        return false;
    }
}

bool reg_set_string(RegKey* key, const char* name, std::string_view text) {
    if (fault_point(Op::reg_set)) return false;
    if (key == nullptr || (key->rights & kKeySetValue) == 0) return false;
    try {
        const std::string value_name = name != nullptr ? name : "";
        std::optional<std::string> written;
        // The edit works on the file as it is under the lock, not on what
        // this key read earlier, so concurrent writers lose nothing.
        const bool replaced = file_rewrite(
            key->store->file(), false,
            [&](std::string_view current, bool exists) -> std::optional<std::string> {
                if (!exists) return std::nullopt;
                auto edited = regfile::set_string(current, key->path(), value_name, text);
                if (!edited) return std::nullopt;
                written = edited->file;
                return std::move(edited->file);
            });
        if (!replaced || !written) return false;
        key->store->written = std::move(*written);
        key->store->hold(key->store->written);
        return true;
    } catch (...) {
        return false;
    }
}

void reg_close(RegKey* key) {
    if (key == nullptr) return;
    Store* store = key->store;
    if (key->in_slot) {
        key->store = nullptr;  // the slot is free again
    } else {
        key->~RegKey();
        ::operator delete(key);
    }
    if (--store->users == 0) delete_store(store);
}

}  // namespace xq::os
