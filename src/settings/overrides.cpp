#include "settings/settings.h"

#include <array>
#include <cstring>

#include "api/guard.h"
#include "api/text_copy.h"
#include "xq_utils.h"

namespace xq::settings {
namespace {

template <std::size_t Capacity>
struct OverrideSlot {
    bool set = false;
    std::array<char, Capacity> text{};
};

// The only process-wide state of the library. Plain variables without a lock:
// changing an override while another thread looks something up is the
// caller's responsibility to avoid.
struct Overrides {
    OverrideSlot<260> root;
    OverrideSlot<260> log_conf_file;
    OverrideSlot<260> phy_conf_file;
    OverrideSlot<20> lang;
};
Overrides g_overrides;

template <std::size_t Capacity>
std::optional<std::string_view> text_of(const OverrideSlot<Capacity>& slot) {
    if (!slot.set) return std::nullopt;
    return std::string_view(slot.text.data());
}

template <std::size_t Capacity>
bool store(OverrideSlot<Capacity>& slot, std::string_view text) {
    if (text.size() > Capacity - 1) return false;
    std::memcpy(slot.text.data(), text.data(), text.size());
    slot.text[text.size()] = '\0';
    slot.set = true;
    return true;
}

}  // namespace

std::optional<std::string_view> override_text(Slot slot) {
    switch (slot) {
        case Slot::root: return text_of(g_overrides.root);
        case Slot::log_conf_file: return text_of(g_overrides.log_conf_file);
        case Slot::phy_conf_file: return text_of(g_overrides.phy_conf_file);
        case Slot::lang: return text_of(g_overrides.lang);
    }
    return std::nullopt;
}

bool set_override(Slot slot, const char* text) {
    if (text == nullptr) return false;
    // One byte more than a slot holds is enough to tell "too long".
    switch (slot) {
        case Slot::root: return store(g_overrides.root, bounded_text(text, 260));
        case Slot::log_conf_file: return store(g_overrides.log_conf_file, bounded_text(text, 260));
        case Slot::phy_conf_file: return store(g_overrides.phy_conf_file, bounded_text(text, 260));
        case Slot::lang: {
            const std::string_view lang = bounded_text(text, 20);
            if (lang != "ENG" && lang != "GER") return false;
            return store(g_overrides.lang, lang);
        }
    }
    return false;
}

}  // namespace xq::settings

using xq::settings::Slot;

extern "C" {

int32_t XQ_CALL VOKSDKChangeRoot(const char* text) {
    return xq::guarded<int32_t>(0, [&] { return xq::settings::set_override(Slot::root, text) ? 1 : 0; });
}

int32_t XQ_CALL VOKSDKChangeLogConfFile(const char* text) {
    return xq::guarded<int32_t>(0, [&] { return xq::settings::set_override(Slot::log_conf_file, text) ? 1 : 0; });
}

int32_t XQ_CALL VOKSDKChangePhyConfFile(const char* text) {
    return xq::guarded<int32_t>(0, [&] { return xq::settings::set_override(Slot::phy_conf_file, text) ? 1 : 0; });
}

int32_t XQ_CALL VOKSDKChangeLang(const char* text) {
    return xq::guarded<int32_t>(0, [&] { return xq::settings::set_override(Slot::lang, text) ? 1 : 0; });
}

}  // extern "C"
