// Integers read from value text: the two conversions of named-entry values.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace xq::named {

// White space of the integer conversions: space and 0x09 to 0x0D.
constexpr bool is_number_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Reads a table cell like scanf's "%i": leading white space, an optional
// sign, then "0x"/"0X" and hexadecimal digits, a leading "0" and octal
// digits, or decimal digits, up to the first character that does not belong
// to the number ("0x" without hexadecimal digits reads as 0). nullopt when no
// digit can be read. A value beyond 32 bits keeps its low 32 bits, as an int
// filled by scanf does on the library's targets.
std::optional<std::int32_t> scan_cell(std::string_view text);

// Reads a decimal integer like atoi: leading white space, an optional sign,
// digits up to the first other character; 0 when there are none. A value
// beyond the 32-bit range is clamped to INT32_MIN or INT32_MAX.
std::int32_t scan_decimal(std::string_view text);

}  // namespace xq::named
