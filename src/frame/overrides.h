// The four per-process overrides of the installation settings. They start out
// not set, are set only by the VOKSDKChange functions and are never cleared:
// a later successful change replaces the text.
#pragma once

#include <optional>
#include <string_view>

namespace xq::settings {

enum class Slot { root, log_conf_file, phy_conf_file, lang };

// The slot's text when it is set.
std::optional<std::string_view> override_text(Slot slot);

// Stores `text` (up to the slot's capacity - 1 characters; the language also
// only "ENG" or "GER"). False when refused; the slot is then unchanged.
bool set_override(Slot slot, const char* text);

// Test hook: every slot back to "not set". Never exported.
void reset_overrides();

}  // namespace xq::settings
