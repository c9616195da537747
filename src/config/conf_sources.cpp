#include "config/conf_sources.h"

#include "config/conf_paths.h"

namespace xq::config {
namespace {

// Lookups hold a path in 260 bytes: a longer one is cut to 259 characters.
constexpr std::size_t kPathLength = 259;

// A configuration file's contents, read through the platform the way the
// profile reader reads a file (a bare name is looked for where profile files
// are); empty when the file cannot be read.
std::string_view read_contents(const std::string& path, os::FileBytes& bytes) {
    try {
        const std::string where = os::profile_file_path(path.substr(0, kPathLength).c_str());
        if (os::file_read(where.c_str(), bytes) == os::ReadStatus::ok) return bytes.view();
    } catch (...) {
        // Out of memory: as for a file that cannot be read.
    }
    return {};
}

}  // namespace

std::string_view Sources::root() {
    if (!root_) root_ = settings_.root();
    return *root_;
}

std::string_view Sources::logical() {
    if (!logical_) logical_ = read_contents(log_conf_file_path(settings_), logical_bytes_);
    return *logical_;
}

std::string_view Sources::physical() {
    if (!physical_) physical_ = read_contents(phy_conf_file_path(settings_), physical_bytes_);
    return *physical_;
}

std::string rooted(Sources& sources, std::string_view value) {
    std::string text(sources.root());
    text += '\\';
    text += value;
    return text;
}

}  // namespace xq::config
