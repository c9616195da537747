// A component's two entries: its entry in section "Configuration" of the
// logical file (physical entry name, port, mode) and its physical entry,
// named by the first word of that, in the physical file's section that bears
// the component's name (words 3 to 6: stand mark, server section, global and
// operational data sections).
#pragma once

#include <string>
#include <string_view>

#include "config/conf_sources.h"
#include "config/conf_value.h"

namespace xq::config {

// The component's entry in section "Configuration", read into `out`.
std::string_view configuration_entry(Sources& sources, const char* component, ConfValue& out);

// Word 1 of that entry: the component's physical entry name.
std::string physical_entry_name(Sources& sources, const char* component);

// The physical entry `name` of the component, read into `out`.
std::string_view physical_entry(Sources& sources, const char* component, const std::string& name, ConfValue& out);

}  // namespace xq::config
