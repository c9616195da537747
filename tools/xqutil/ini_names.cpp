#include "ini_names.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/platform.h"
#include "profile/profile.h"
#include "profile/scan.h"

namespace xqutil {
namespace {

// The names the reader lists for `section` (null: the sections), each once
// unless `repeats`.
std::optional<std::vector<std::string>> listed(const std::string& file, const char* section, bool repeats = false) {
    std::string contents;
    if (xq::os::file_read(file.c_str(), contents) != xq::os::ReadStatus::ok) return std::nullopt;
    // Room for every name of the file even after UTF-16 becomes 8-bit text.
    const std::size_t room = std::min<std::size_t>(contents.size() * 2 + 2, std::numeric_limits<std::uint32_t>::max());
    std::string list(room, '\0');
    const std::uint32_t n =
        xq::profile::get_string(contents, section, nullptr, "", list.data(), static_cast<std::uint32_t>(room));
    std::vector<std::string> names;
    for (std::size_t at = 0; at < n;) {
        const std::string_view name(list.data() + at);
        if (repeats || !has_name(names, name)) names.emplace_back(name);
        at += name.size() + 1;
    }
    return names;
}

}  // namespace

bool has_name(const std::vector<std::string>& names, std::string_view name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& each) { return xq::profile::same_name(std::string_view(each), name); });
}

std::optional<std::vector<std::string>> section_names(const std::string& file) { return listed(file, nullptr); }

std::optional<std::vector<std::string>> entry_names(const std::string& file, std::string_view section) {
    return listed(file, std::string(section).c_str());
}

std::optional<std::vector<std::string>> entry_lines(const std::string& file, std::string_view section) {
    return listed(file, std::string(section).c_str(), true);
}

}  // namespace xqutil
