#include "config/component_entries.h"

namespace xq::config {

std::string_view configuration_entry(Sources& sources, const char* component, ConfValue& out) {
    return read_entry(sources.logical(), "Configuration", component, out);
}

std::string physical_entry_name(Sources& sources, const char* component) {
    ConfValue value;
    return std::string(word(configuration_entry(sources, component, value), 1));
}

std::string_view physical_entry(Sources& sources, const char* component, const std::string& name, ConfValue& out) {
    return read_entry(sources.physical(), component, name.c_str(), out);
}

}  // namespace xq::config
