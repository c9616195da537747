// Listings for people: cells in aligned columns.
#pragma once

#include <string>
#include <vector>

namespace xqutil {

// The rows as lines of columns, each column as wide as its widest cell and
// two blanks from the next; cells of the columns marked in `right` are
// aligned to the right (numbers). Lines end without blanks; no final line end.
std::string text_columns(const std::vector<std::vector<std::string>>& rows, const std::vector<bool>& right = {});

}  // namespace xqutil
