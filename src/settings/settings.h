// The installation settings: where they are kept (the registry, or the
// registry file on Linux) and the four per-process overrides.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/platform.h"

// The installation settings in the registry: the product key
// "SOFTWARE\Brenvik\Vorta XQ SDK" below HKEY_LOCAL_MACHINE, its version key
// named by "CurrentVersion", and the settings key "Ini" below that. Keys
// are opened and closed within each call; nothing is cached.
namespace xq::settings {

// Owns an open key for one call.
class KeyHandle {
public:
    KeyHandle() = default;
    explicit KeyHandle(os::RegKey* key) : key_(key) {}
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    KeyHandle(KeyHandle&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    KeyHandle& operator=(KeyHandle&& other) noexcept;
    ~KeyHandle() { reset(); }

    os::RegKey* get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    void reset();

private:
    os::RegKey* key_ = nullptr;
};

// Opens the product key "SOFTWARE\Brenvik\Vorta XQ SDK" for querying.
KeyHandle open_product_key();

// Reads the product key's "CurrentVersion" into `out` (terminated).
bool query_current_version(os::RegKey* key, std::span<char> out);

// Opens the settings key "Ini" of the current version. Reading asks only for
// the query right, so a process that may not write the settings still reads
// them; writing asks for the set-value right alone.
enum class Access { read, write };
KeyHandle open_ini_key(Access access);

// Reads one settings value into buffer[0..capacity), falling back to
// `default_text`. The result is always terminated within the capacity (a
// default that does not fit is cut); bytes after the text are zero.
// True when the value was read, false when the buffer holds the default.
// A capacity of 0 writes nothing and reads nothing.
bool get_ini_value(const char* name, std::string_view default_text, char* buffer, std::uint32_t capacity);

// Writes one settings value as a string; true when written.
bool set_ini_value(const char* name, std::string_view text);

}  // namespace xq::settings

// The four per-process overrides of the installation settings. They start out
// not set, are set only by the VOKSDKChange functions and are never cleared:
// a later successful change replaces the text.
namespace xq::settings {

enum class Slot { root, log_conf_file, phy_conf_file, lang };

// The slot's text when it is set.
std::optional<std::string_view> override_text(Slot slot);

// Stores `text` (up to the slot's capacity - 1 characters; the language also
// only "ENG" or "GER"). False when refused; the slot is then unchanged.
bool set_override(Slot slot, const char* text);

}  // namespace xq::settings
