// The names of the sections and entries of a named-entry file, read from the
// file itself: the library answers for a name but has no call that lists
// them. Values are always asked of the library.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xqutil {

// The section names of `file` and the entry names of one section, in file
// order; nullopt when the file cannot be read. Lines are "[name]" headers,
// "name=value" entries (both trimmed of blanks) and ";" comments; names
// compare without regard to letter case, and the first of duplicates wins
// (only the first section of a name is read, as the library does).
std::optional<std::vector<std::string>> section_names(const std::string& file);
std::optional<std::vector<std::string>> entry_names(const std::string& file, std::string_view section);

// True when `names` holds `name`, letter case aside.
bool has_name(const std::vector<std::string>& names, std::string_view name);

}  // namespace xqutil
