// The names of the sections and entries of a named-entry file, as the
// library's profile reader lists them (8-bit and UTF-16 files alike): no
// export lists them. Values are always asked of the exports.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xqutil {

// The section names of `file` and the entry names of one section, in file
// order; nullopt when the file cannot be read. Names compare without regard
// to letter case and are listed once (only the first section of a name is
// read, as the library does).
std::optional<std::vector<std::string>> section_names(const std::string& file);
std::optional<std::vector<std::string>> entry_names(const std::string& file, std::string_view section);

// The entry names of one section as written, repeats included.
std::optional<std::vector<std::string>> entry_lines(const std::string& file, std::string_view section);

// True when `names` holds `name`, letter case aside.
bool has_name(const std::vector<std::string>& names, std::string_view name);

}  // namespace xqutil
