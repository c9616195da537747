// The stand, component-settings and optical-path lookups over given sources.
// Each answers exactly as the export of the same name (GetQelStand for
// stand, and so on) answers over the installation's sources.
#pragma once

#include <cstdint>

#include "config/conf_sources.h"

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
