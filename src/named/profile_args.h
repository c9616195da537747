// Name arguments of the reader and writer, as they are matched.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace xq::profile {

// A name argument trimmed of spaces (0x20 only); nullopt for a null pointer.
std::optional<std::string_view> argument(const char* text);

// An argument in UTF-16, for matching in a UTF-16 file.
std::optional<std::u16string> widen(std::optional<std::string_view> text);

}  // namespace xq::profile
