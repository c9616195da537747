#include "config/conf_paths.h"

#include <string_view>

#include "frame/text_copy.h"

namespace xq::config {
namespace {

using settings::Slot;

bool unset(std::string_view text) { return text.empty() || text == "None"; }

}  // namespace

std::string log_conf_file_path(PathSettings& settings) {
    const std::string& root = settings.root();
    if (unset(root)) return "0";
    const std::string name = settings.file_name(Slot::log_conf_file, "LogConfFile", 259);
    return unset(name) ? std::string("0") : root + '\\' + name;
}

std::string phy_conf_file_path(PathSettings& settings) {
    std::string full = settings.root() + '\\';
    // The name gets what is left of 259 characters; a root that leaves no
    // room yields the root and separator alone.
    const std::size_t room = full.size() < 259 ? 259 - full.size() : 0;
    return full + settings.file_name(Slot::phy_conf_file, "PhyConfFile", room);
}

void GetLogConfFilePath(char* path, std::uint32_t capacity) {
    PathSettings settings;
    copy_text(path, capacity, log_conf_file_path(settings));
}

void GetPhyConfFilePath(char* path, std::uint32_t capacity) {
    PathSettings settings;
    copy_text(path, capacity, phy_conf_file_path(settings));
}

}  // namespace xq::config
