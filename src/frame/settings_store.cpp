#include "frame/settings_store.h"

#include <array>
#include <cstring>

#include "frame/text_copy.h"

namespace xq::settings {
namespace {

constexpr std::size_t kVersionCapacity = 260;

}  // namespace

KeyHandle& KeyHandle::operator=(KeyHandle&& other) noexcept {
    if (this != &other) {
        reset();
        key_ = other.key_;
        other.key_ = nullptr;
    }
    return *this;
}

void KeyHandle::reset() {
    if (key_ != nullptr) os::reg_close(key_);
    key_ = nullptr;
}

KeyHandle open_product_key() {
    // One level at a time, each closed as soon as the next is open.
    KeyHandle key;
    for (const char* level : {"SOFTWARE", "Brenvik", "Vorta XQ SDK"}) {
        KeyHandle next(os::reg_open(key.get(), level, os::kKeyQueryValue));
        if (!next) return {};
        key = std::move(next);
    }
    return key;
}

bool query_current_version(os::RegKey* key, std::span<char> out) {
    return os::reg_query_string(key, "CurrentVersion", out);
}

KeyHandle open_ini_key(Access access) {
    KeyHandle product = open_product_key();
    if (!product) return {};
    std::array<char, kVersionCapacity> version{};
    if (!query_current_version(product.get(), version)) return {};
    KeyHandle version_key(os::reg_open(product.get(), version.data(), os::kKeyQueryValue));
    product.reset();
    if (!version_key) return {};
    const std::uint32_t rights = access == Access::read ? os::kKeyQueryValue : os::kKeySetValue;
    return KeyHandle(os::reg_open(version_key.get(), "Ini", rights));
}

bool get_ini_value(const char* name, std::string_view default_text, char* buffer, std::uint32_t capacity) {
    if (capacity == 0) return false;
    copy_text(buffer, capacity, default_text);
    KeyHandle key = open_ini_key(Access::read);
    if (!key) return false;
    std::span<char> out(buffer, capacity);
    if (os::reg_query_string(key.get(), name, out)) {
        // Bytes after the text are zero, as after the default.
        const std::size_t n = bounded_text(buffer, capacity).size();
        std::memset(buffer + n, 0, capacity - n);
        return true;
    }
    copy_text(buffer, capacity, default_text);
    return false;
}

bool set_ini_value(const char* name, std::string_view text) {
    KeyHandle key = open_ini_key(Access::write);
    return key && os::reg_set_string(key.get(), name, text);
}

}  // namespace xq::settings
