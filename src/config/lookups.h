// The configuration and physical server interface lookups over given
// sources. Each answers exactly as the export of the same name answers over
// the installation's sources.
#pragma once

#include <cstdint>
#include <string>

#include "config/sources.h"

// The stand, component-settings and optical-path lookups over given sources.
// Each answers exactly as the export of the same name (GetQelStand for
// stand, and so on) answers over the installation's sources.
namespace xq::config {

// Stand name; 0 (buffer untouched) when no stand is configured.
std::int32_t stand(Sources& sources, char* buffer, std::uint32_t capacity);
// Stand port; 0 (buffer untouched) when no stand is configured.
std::int32_t stand_port(Sources& sources, char* buffer, std::uint32_t capacity);
// 1 when the component's physical entry marks it "M", a stand component.
std::int32_t stand_component(Sources& sources, const char* component);

// 1 when the component's first word in "Configuration" is configured.
std::int32_t server_enabled(Sources& sources, const char* component);
// Root prefix and the first word of the component's `entry` ("Server" or
// "ServerApi"), whole (not cut to 259 characters); "None" when not
// configured. Always 1.
std::int32_t component_server(Sources& sources, const char* component, const char* entry, char* buffer,
                              std::uint32_t capacity);
// The mode (third word as a decimal integer); -1 when not configured.
std::int32_t mode(Sources& sources, const char* component);
// The port (second word); "None" when not configured. Always 1.
std::int32_t port(Sources& sources, const char* component, char* buffer, std::uint32_t capacity);
// 1 when "MultipleInstances" of "GeneralSettings" starts with a configured word.
std::int32_t multiple_instances(Sources& sources);

// Entry `entry` of "OpticalPath" as a decimal integer; 0 without a number.
std::int32_t optical_count(Sources& sources, const char* entry);
// The value of the entry at position index + 2 of "OpticalPath" (at most 78
// characters), "None" when there is none or it is empty; 1, or 0 (buffer
// untouched) when no scratch block can be had.
std::int32_t optical_path(Sources& sources, std::int32_t index, char* buffer, std::uint32_t capacity);

}  // namespace xq::config

// The physical server interface over given sources: from a component's name
// to its server section and data sections in the physical file, and the
// entries of a next layer. Result texts are whole; the exports hand over at
// most 259 characters of them.
namespace xq::psi {

using config::Sources;

// Entry `entry` of the component's server section (word 4 of its physical
// entry), with the root prefix in front when `with_root`; "None" when the
// component has no physical entry name, its server section is "NO", or the
// entry holds "None" (a missing entry reads "None").
config::PathText component_entry(Sources& sources, const char* component, const char* entry, bool with_root);

enum class DataSection { global, operational };

// Word 5 (global) or 6 (operational) of the component's physical entry,
// empty when it has no such word; "None" when the component has no
// physical entry name.
std::string component_section(Sources& sources, const char* component, DataSection which);

// Entry `entry` of the next layer's section, with the root prefix in front
// when `with_root`; "None" when it holds or reads "None".
config::PathText next_layer_entry(Sources& sources, const char* layer, const char* entry, bool with_root);

// The result text of a server-section or next-layer entry's value: "None"
// stays "None"; anything else gets the root prefix when `with_root`.
config::PathText entry_text(Sources& sources, std::string_view value, bool with_root);

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
