// GetQelServerEnabled, GetQelServer, GetQelServerApi, GetQelMode, GetQelPort
// and GetQelMultiInstances: the components' settings in the logical file.
#include <string>

#include "config/component_entries.h"
#include "config/config_lookups.h"
#include "named/int_scan.h"
#include "named/words.h"
#include "xq_utils.h"

namespace xq::config {

std::int32_t server_enabled(Sources& sources, const char* component) {
    ConfValue value;
    return configured(word(configuration_entry(sources, component, value), 1)) ? 1 : 0;
}

std::int32_t component_server(Sources& sources, const char* component, const char* entry, char* buffer,
                              std::uint32_t capacity) {
    ConfValue value;
    const std::string_view text = read_entry(sources.logical(), component, entry, value);
    const auto first = named::space_word_at(text, 1);
    if (!first || first->text == kNone) {
        hand_over(buffer, capacity, kNone);
        return 1;
    }
    // Up to the end of the first word: blanks the reader left before it stay.
    hand_over(buffer, capacity, rooted(sources, text.substr(0, first->offset + first->text.size())));
    return 1;
}

std::int32_t mode(Sources& sources, const char* component) {
    ConfValue value;
    const std::string_view text = configuration_entry(sources, component, value);
    return configured(word(text, 1)) ? named::scan_decimal(word(text, 3)) : -1;
}

std::int32_t port(Sources& sources, const char* component, char* buffer, std::uint32_t capacity) {
    ConfValue value;
    const std::string_view text = configuration_entry(sources, component, value);
    hand_over(buffer, capacity, configured(word(text, 1)) ? word(text, 2) : kNone);
    return 1;
}

std::int32_t multiple_instances(Sources& sources) {
    ConfValue value;
    return configured(word(read_entry(sources.logical(), "GeneralSettings", "MultipleInstances", value), 1)) ? 1 : 0;
}

}  // namespace xq::config

using namespace xq::config;

extern "C" {

int32_t XQ_CALL GetQelServerEnabled(const char* component) {
    return installed(0, [&](Sources& s) { return server_enabled(s, component); });
}

int32_t XQ_CALL GetQelServer(const char* component, char* buffer, uint32_t capacity) {
    return installed_text(buffer, capacity,
                          [&](Sources& s) { return component_server(s, component, "Server", buffer, capacity); });
}

int32_t XQ_CALL GetQelServerApi(const char* component, char* buffer, uint32_t capacity) {
    return installed_text(buffer, capacity,
                          [&](Sources& s) { return component_server(s, component, "ServerApi", buffer, capacity); });
}

int32_t XQ_CALL GetQelMode(const char* component) {
    return installed(-1, [&](Sources& s) { return mode(s, component); });
}

int32_t XQ_CALL GetQelPort(const char* component, char* buffer, uint32_t capacity) {
    return installed_text(buffer, capacity, [&](Sources& s) { return port(s, component, buffer, capacity); });
}

int32_t XQ_CALL GetQelMultiInstances(void) {
    return installed(0, [](Sources& s) { return multiple_instances(s); });
}

}  // extern "C"
