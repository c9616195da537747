// Putting inserts into a message template, as the status record's text.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace xq::status {

// Writes `pattern` into `out`, each "%s" replaced by the next insert and each
// "%%" by "%", as wsprintfA does for these two forms. A "%s" beyond the
// inserts reads as the empty text; every other "%" is copied as it stands.
// The result is cut to out.size() - 1 characters and terminated, the rest of
// `out` is zero. Returns the result's length; an empty `out` gets nothing.
std::size_t format_message(std::string_view pattern, std::span<const std::string_view> inserts,
                           std::span<char> out);

}  // namespace xq::status
