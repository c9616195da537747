// GetPsiGlobalDataSection and GetPsiOperationalDataSection (words 5 and 6 of
// a component's physical entry) and the five GetPsiNextLayer... lookups (the
// entries of a next layer's section).
#include "config/component_entries.h"
#include "psi/psi_lookups.h"
#include "xq_utils.h"

namespace xq::psi {

using config::ConfValue;
using config::kNone;
using config::read_entry;
using config::word;

std::string component_section(Sources& sources, const char* component, DataSection which) {
    const std::string name = config::physical_entry_name(sources, component);
    if (!config::configured(name)) return std::string(kNone);
    ConfValue physical;
    const std::string_view entry = config::physical_entry(sources, component, name, physical);
    return std::string(word(entry, which == DataSection::global ? 5 : 6));
}

std::string next_layer_entry(Sources& sources, const char* layer, const char* entry, bool with_root) {
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
