// GetQelStand, GetQelStandPort and GetQelStandComp: which stand is fitted,
// where it is connected, and whether a component belongs to it.
#include <string>

#include "config/component_entries.h"
#include "config/config_lookups.h"
#include "xq_utils.h"

namespace xq::config {
namespace {

// The value of "Stand" in section "MicStand" of the logical file.
std::string_view stand_value(Sources& sources, ConfValue& out) {
    return read_entry(sources.logical(), "MicStand", "Stand", out);
}

}  // namespace

std::int32_t stand(Sources& sources, char* buffer, std::uint32_t capacity) {
    ConfValue logical;
    const std::string entry(word(stand_value(sources, logical), 1));
    if (!configured(entry)) return 0;
    ConfValue physical;
    const std::string_view name = word(read_entry(sources.physical(), "Stand", entry.c_str(), physical), 1);
    hand_over(buffer, capacity, configured(name) ? name : kNone);
    return 1;
}

std::int32_t stand_port(Sources& sources, char* buffer, std::uint32_t capacity) {
    ConfValue logical;
    const std::string_view value = stand_value(sources, logical);
    if (!configured(word(value, 1))) return 0;
    const std::string_view port_word = word(value, 2);
    hand_over(buffer, capacity, configured(port_word) ? port_word : kNone);
    return 1;
}

std::int32_t stand_component(Sources& sources, const char* component) {
    const std::string name = physical_entry_name(sources, component);
    if (!configured(name)) return 0;
    ConfValue physical;
    return word(physical_entry(sources, component, name, physical), 3) == "M" ? 1 : 0;
}

}  // namespace xq::config

using namespace xq::config;

extern "C" {

int32_t XQ_CALL GetQelStand(char* buffer, uint32_t capacity) {
    return installed(0, [&](Sources& s) { return stand(s, buffer, capacity); });
}

int32_t XQ_CALL GetQelStandPort(char* buffer, uint32_t capacity) {
    return installed(0, [&](Sources& s) { return stand_port(s, buffer, capacity); });
}

int32_t XQ_CALL GetQelStandComp(const char* component) {
    return installed(0, [&](Sources& s) { return stand_component(s, component); });
}

}  // extern "C"
