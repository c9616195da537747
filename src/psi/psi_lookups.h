// The physical server interface over given sources: from a component's name
// to its server section and data sections in the physical file, and the
// entries of a next layer. Result texts are whole; the exports hand over at
// most 259 characters of them.
#pragma once

#include <cstdint>
#include <string>

#include "config/conf_sources.h"

namespace xq::psi {

using config::Sources;

// Entry `entry` of the component's server section (word 4 of its physical
// entry), with the root prefix in front when `with_root`; "None" when the
// component has no physical entry name, its server section is "NO", or the
// entry holds "None" (a missing entry reads "None").
std::string component_entry(Sources& sources, const char* component, const char* entry, bool with_root);

enum class DataSection { global, operational };

// Word 5 (global) or 6 (operational) of the component's physical entry,
// empty when it has no such word; "None" when the component has no
// physical entry name.
std::string component_section(Sources& sources, const char* component, DataSection which);

// Entry `entry` of the next layer's section, with the root prefix in front
// when `with_root`; "None" when it holds or reads "None".
std::string next_layer_entry(Sources& sources, const char* layer, const char* entry, bool with_root);

// The result text of a server-section or next-layer entry's value: "None"
// stays "None"; anything else gets the root prefix when `with_root`.
std::string entry_text(Sources& sources, std::string_view value, bool with_root);

// Hands a result text over: at most 259 characters, cut to the capacity.
std::int32_t hand_over_result(char* buffer, std::uint32_t capacity, std::string_view text);

// An export's answer: the text `lookup` finds in the installation's sources,
// handed over; 1 always.
template <class Lookup>
std::int32_t answer(char* buffer, std::uint32_t capacity, Lookup&& lookup) noexcept {
    return config::installed_text(buffer, capacity,
                                  [&](Sources& s) { return hand_over_result(buffer, capacity, lookup(s)); });
}

}  // namespace xq::psi
