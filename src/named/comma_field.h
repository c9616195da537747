// Comma fields of the data rewrite: a value's fields are separated by commas
// alone (the apostrophe is an ordinary character), every comma counts, so
// empty fields count too, and fields are numbered from 1. This differs from
// the fields that GetNamedData reads.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace xq::named {

// `value` with field `index` (1 or less selects field 1) replaced by `data`,
// every other byte kept; nullopt when the value has fewer fields than index.
std::optional<std::string> replace_comma_field(std::string_view value, int index, std::string_view data);

}  // namespace xq::named
