#include "config/conf_paths.h"

#include <array>
#include <string>

#include "frame/overrides.h"
#include "frame/settings_store.h"
#include "frame/text_copy.h"

namespace xq::config {
namespace {

using settings::Slot;

bool unset(std::string_view text) { return text.empty() || text == "None"; }

// A file-name setting: the override when set (cut to `room` characters), else
// the registry value read with `room` bytes of capacity (default "None").
std::string file_name_setting(Slot slot, const char* value_name, std::size_t room) {
    if (auto over = settings::override_text(slot)) return std::string(over->substr(0, room));
    std::array<char, 260> working{};
    const auto capacity = static_cast<std::uint32_t>(room < working.size() ? room : working.size());
    settings::get_ini_value(value_name, "None", working.data(), capacity);
    return std::string(working.data());
}

}  // namespace

void GetLogConfFilePath(char* path, std::uint32_t capacity) {
    std::string root = settings::root_setting();
    std::string full = "0";
    if (!unset(root)) {
        const std::string name = file_name_setting(Slot::log_conf_file, "LogConfFile", 259);
        if (!unset(name)) full = root + '\\' + name;
    }
    copy_text(path, capacity, full);
}

void GetPhyConfFilePath(char* path, std::uint32_t capacity) {
    std::string full = settings::root_setting() + '\\';
    // The name gets what is left of 259 characters; a root that leaves no
    // room yields the root and separator alone.
    const std::size_t room = full.size() < 259 ? 259 - full.size() : 0;
    full += file_name_setting(Slot::phy_conf_file, "PhyConfFile", room);
    copy_text(path, capacity, full);
}

}  // namespace xq::config
