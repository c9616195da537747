// The two encodings of profile files: 8-bit text, or UTF-16LE text after the
// byte-order mark FF FE. No other mark is recognised: a UTF-8 mark is read as
// three ordinary characters.
#pragma once

#include <string>
#include <string_view>

namespace xq::profile {

inline constexpr std::string_view kUtf16Mark = "\xFF\xFE";

// True when the file text starts with the UTF-16LE byte-order mark.
bool is_utf16(std::string_view bytes);

// UTF-16LE bytes (mark removed) as code units; an odd last byte becomes a
// unit of its own.
std::u16string decode_utf16(std::string_view bytes);

// Code units as UTF-16LE bytes, without a mark.
std::string encode_utf16(std::u16string_view text);

}  // namespace xq::profile
