// The installation settings: reading and writing the settings key, and the
// GetVorta/SetVorta exports.
#include "settings/settings.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include "api/guard.h"
#include "api/text_copy.h"
#include "xq_utils.h"

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

// The exported getters and setters of the installation settings.
namespace xq::settings {
namespace {

// Working text of the getters: at most 259 characters.
using Working = std::array<char, 260>;

std::string_view read_working(Working& working, const char* name, std::string_view default_text) {
    get_ini_value(name, default_text, working.data(), 259);
    return working.data();
}

// Texts that mean "not set" are replaced by the getter's own answer.
std::string_view or_unset(std::string_view text, std::string_view unset) {
    return (text.empty() || text == "None") ? unset : text;
}

// Root or language: the override when set, else the registry; "0" when unset.
int32_t get_with_override(Slot slot, const char* name, char* buffer, uint32_t capacity) {
    Working working{};
    std::string_view text;
    if (auto over = override_text(slot)) {
        text = *over;
    } else {
        text = read_working(working, name, "None");
    }
    copy_text(buffer, capacity, or_unset(text, "0"));
    return 1;
}

// Configuration file name: the override (cut to the capacity) when set, else
// the registry value read straight into the caller's buffer, which leaves the
// capacity's last byte alone.
int32_t get_conf_file(Slot slot, const char* name, char* buffer, uint32_t capacity) {
    if (capacity == 0) return 1;
    if (auto over = override_text(slot)) {
        copy_text(buffer, capacity, *over);
    } else if (capacity == 1) {
        buffer[0] = '\0';
    } else {
        get_ini_value(name, "None", buffer, capacity - 1);
    }
    return 1;
}

}  // namespace
}  // namespace xq::settings

using namespace xq::settings;

extern "C" {

int32_t XQ_CALL GetVortaRootDir(char* buffer, uint32_t capacity) {
    return xq::guarded<int32_t>(1, [&] { return get_with_override(Slot::root, "VortaRoot", buffer, capacity); });
}

int32_t XQ_CALL GetVortaLang(char* buffer, uint32_t capacity) {
    return xq::guarded<int32_t>(1, [&] { return get_with_override(Slot::lang, "Lang", buffer, capacity); });
}

int32_t XQ_CALL GetVortaFirstSetup(char* buffer, uint32_t capacity) {
    return xq::guarded<int32_t>(1, [&] {
        Working working{};
        xq::copy_text(buffer, capacity, or_unset(read_working(working, "FirstSetup", "None"), "FALSE"));
        return 1;
    });
}

int32_t XQ_CALL GetVortaLogConfFile(char* buffer, uint32_t capacity) {
    return xq::guarded<int32_t>(1, [&] { return get_conf_file(Slot::log_conf_file, "LogConfFile", buffer, capacity); });
}

int32_t XQ_CALL GetVortaPhyConfFile(char* buffer, uint32_t capacity) {
    return xq::guarded<int32_t>(1, [&] { return get_conf_file(Slot::phy_conf_file, "PhyConfFile", buffer, capacity); });
}

int32_t XQ_CALL GetVortaSDKVersion(char* buffer, uint32_t capacity) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (capacity == 0) return 0;
        KeyHandle product = open_product_key();
        if (!product) return 0;
        // Read into a buffer of our own, so a failed query leaves the caller's alone.
        std::vector<char> version(std::min<uint32_t>(capacity, 1u << 16));
        if (!query_current_version(product.get(), version)) return 0;
        const std::string_view text = xq::bounded_text(version.data(), version.size());
        std::memcpy(buffer, text.data(), text.size());
        buffer[text.size()] = '\0';
        return 1;
    });
}

int32_t XQ_CALL SetVortaLang(const char* text) {
    return xq::guarded<int32_t>(1, [&] {
        if (text != nullptr) set_ini_value("Lang", std::string_view(text));
        return 1;
    });
}

int32_t XQ_CALL SetVortaFirstSetup(const char* text) {
    return xq::guarded<int32_t>(1, [&] {
        if (text != nullptr) set_ini_value("FirstSetup", std::string_view(text));
        return 1;
    });
}

}  // extern "C"
