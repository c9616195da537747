// Suggestions for mistyped names: the existing names nearest to what was
// typed, by edit distance.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xqutil {

// The names of `names` nearest to `name` by edit distance (letter case
// aside), when near enough to be a slip of it: at most a third of its
// length apart, at least one edit allowed. Empty when none is.
std::vector<std::string> nearest_names(const std::vector<std::string>& names, std::string_view name);

// "; did you mean 'A' or 'B'?" for the nearest names ("[A]" with
// `sections`); empty when there are none.
std::string suggestion(const std::vector<std::string>& names, std::string_view name, bool sections = false);

// The suggestion for an entry that cannot be read: the nearest sections of
// `file` when it has no `section`, else its nearest entries; empty when the
// file cannot be read or nothing is near.
std::string entry_suggestion(const std::string& file, std::string_view section, std::string_view entry);

}  // namespace xqutil
