// UTF-8 and UTF-16 conversions without the operating system, so the registry
// file code behaves the same on every platform. Nothing fails: what cannot be
// converted becomes '?'.
#pragma once

#include <string>
#include <string_view>

namespace xq::regfile {

// UTF-8 to UTF-16; every byte that does not belong to a valid sequence
// (overlong, surrogate, beyond U+10FFFF, cut short) becomes one '?'.
std::u16string utf8_to_utf16(std::string_view text);

// UTF-16 to UTF-8; an unpaired surrogate becomes '?'.
std::string utf16_to_utf8(std::u16string_view text);

// Code units from little-endian bytes; an odd last byte is ignored.
std::u16string from_le_bytes(std::string_view bytes);

// Little-endian bytes of the code units.
std::string to_le_bytes(std::u16string_view text);

}  // namespace xq::regfile
