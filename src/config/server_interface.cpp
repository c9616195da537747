// Physical server interface lookups: a component's server, interface and
// data sections, and those of its next layer (GetPsi...).

#include "config/lookups.h"
#include "config/sources.h"
#include "xq_utils.h"

// GetPsiServer, GetPsiServerApi, GetPsiServerData, GetPsiGlobalData,
// GetPsiOperData and GetPsiNextLayer: the entries of a component's server
// section, found through its logical and physical entries.
namespace xq::psi {

using config::ConfValue;
using config::kNone;
using config::PathText;
using config::read_entry;
using config::word;

PathText component_entry(Sources& sources, const char* component, const char* entry, bool with_root) {
    const std::string name = config::physical_entry_name(sources, component);
    // An empty name is looked up as it is; only "None" ends the walk here.
    if (name == kNone) return PathText(kNone);
    ConfValue physical;
    const std::string server(word(config::physical_entry(sources, component, name, physical), 4));
    if (server == "NO") return PathText(kNone);
    ConfValue value;
    return entry_text(sources, read_entry(sources.physical(), server.c_str(), entry, value), with_root);
}

PathText entry_text(Sources& sources, std::string_view value, bool with_root) {
    if (value == kNone || !with_root) return PathText(value);
    return config::rooted(sources, value);
}

std::int32_t hand_over_result(char* buffer, std::uint32_t capacity, std::string_view text) {
    config::hand_over(buffer, capacity, text.substr(0, 259));
    return 1;
}

}  // namespace xq::psi

namespace {

using xq::psi::Sources;

// One of the six exports: `entry` of the component's server section.
int32_t server_entry(const char* component, const char* entry, bool with_root, char* buffer, uint32_t capacity) {
    return xq::psi::answer(buffer, capacity,
                           [&](Sources& s) { return xq::psi::component_entry(s, component, entry, with_root); });
}

}  // namespace

extern "C" {

int32_t XQ_CALL GetPsiServer(const char* component, char* buffer, uint32_t capacity) {
    return server_entry(component, "Server", true, buffer, capacity);
}

int32_t XQ_CALL GetPsiServerApi(const char* component, char* buffer, uint32_t capacity) {
    return server_entry(component, "ServerApi", true, buffer, capacity);
}

int32_t XQ_CALL GetPsiServerData(const char* component, char* buffer, uint32_t capacity) {
    return server_entry(component, "ServerData", true, buffer, capacity);
}

int32_t XQ_CALL GetPsiGlobalData(const char* component, char* buffer, uint32_t capacity) {
    return server_entry(component, "GlobalData", true, buffer, capacity);
}

int32_t XQ_CALL GetPsiOperData(const char* component, char* buffer, uint32_t capacity) {
    return server_entry(component, "OperData", true, buffer, capacity);
}

int32_t XQ_CALL GetPsiNextLayer(const char* component, char* buffer, uint32_t capacity) {
    return server_entry(component, "NextLayer", false, buffer, capacity);
}

}  // extern "C"

// GetPsiGlobalDataSection and GetPsiOperationalDataSection (words 5 and 6 of
// a component's physical entry) and the five GetPsiNextLayer... lookups (the
// entries of a next layer's section).
namespace xq::psi {

using config::ConfValue;
using config::kNone;
using config::PathText;
using config::read_entry;
using config::word;

std::string component_section(Sources& sources, const char* component, DataSection which) {
    const std::string name = config::physical_entry_name(sources, component);
    if (!config::configured(name)) return std::string(kNone);
    ConfValue physical;
    const std::string_view entry = config::physical_entry(sources, component, name, physical);
    return std::string(word(entry, which == DataSection::global ? 5 : 6));
}

PathText next_layer_entry(Sources& sources, const char* layer, const char* entry, bool with_root) {
    ConfValue value;
    return entry_text(sources, read_entry(sources.physical(), layer, entry, value), with_root);
}

}  // namespace xq::psi

namespace {

using xq::psi::Sources;

int32_t data_section(const char* component, xq::psi::DataSection which, char* buffer, uint32_t capacity) {
    return xq::psi::answer(buffer, capacity,
                           [&](Sources& s) { return xq::psi::component_section(s, component, which); });
}

int32_t layer_entry(const char* layer, const char* entry, bool with_root, char* buffer, uint32_t capacity) {
    return xq::psi::answer(buffer, capacity,
                           [&](Sources& s) { return xq::psi::next_layer_entry(s, layer, entry, with_root); });
}

}  // namespace

extern "C" {

int32_t XQ_CALL GetPsiGlobalDataSection(const char* component, char* buffer, uint32_t capacity) {
    return data_section(component, xq::psi::DataSection::global, buffer, capacity);
}

int32_t XQ_CALL GetPsiOperationalDataSection(const char* component, char* buffer, uint32_t capacity) {
    return data_section(component, xq::psi::DataSection::operational, buffer, capacity);
}

int32_t XQ_CALL GetPsiNextLayerServer(const char* layer, char* buffer, uint32_t capacity) {
    return layer_entry(layer, "Server", true, buffer, capacity);
}

int32_t XQ_CALL GetPsiNextLayerServerApi(const char* layer, char* buffer, uint32_t capacity) {
    return layer_entry(layer, "ServerApi", true, buffer, capacity);
}

int32_t XQ_CALL GetPsiNextLayerServerData(const char* layer, char* buffer, uint32_t capacity) {
    return layer_entry(layer, "ServerData", true, buffer, capacity);
}

int32_t XQ_CALL GetPsiNextLayerGlobalDataSection(const char* layer, char* buffer, uint32_t capacity) {
    return layer_entry(layer, "GlobalData", false, buffer, capacity);
}

int32_t XQ_CALL GetPsiNextLayerOperationalDataSection(const char* layer, char* buffer, uint32_t capacity) {
    return layer_entry(layer, "OperData", false, buffer, capacity);
}

}  // extern "C"
