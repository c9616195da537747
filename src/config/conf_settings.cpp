#include "config/conf_settings.h"

#include <array>
#include <span>
#include <string_view>

#include "frame/text_copy.h"
#include "platform/platform.h"

namespace xq::config {

const std::string& PathSettings::root() {
    if (!root_) {
        if (auto over = settings::override_text(settings::Slot::root)) root_ = std::string(*over);
        else root_ = registry_value("VortaRoot", 259);
    }
    return *root_;
}

std::string PathSettings::file_name(settings::Slot slot, const char* value_name, std::size_t room) {
    if (auto over = settings::override_text(slot)) return std::string(over->substr(0, room));
    return registry_value(value_name, room);
}

std::string PathSettings::registry_value(const char* name, std::size_t capacity) {
    std::array<char, 260> working{};
    if (capacity > working.size()) capacity = working.size();
    if (capacity == 0) return {};
    if (!key_) key_ = settings::open_ini_key(settings::Access::read);
    const std::span<char> out(working.data(), capacity);
    if (*key_ && os::reg_query_string(key_->get(), name, out)) return std::string(bounded_text(out.data(), capacity));
    return std::string(std::string_view("None").substr(0, capacity - 1));
}

}  // namespace xq::config
