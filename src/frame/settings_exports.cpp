// The exported getters and setters of the installation settings.
#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include "frame/guard.h"
#include "frame/overrides.h"
#include "frame/settings_store.h"
#include "frame/text_copy.h"
#include "xq_utils.h"

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
