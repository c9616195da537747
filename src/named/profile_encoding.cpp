#include "named/profile_encoding.h"

namespace xq::profile {

bool is_utf16(std::string_view bytes) { return bytes.starts_with(kUtf16Mark); }

std::u16string decode_utf16(std::string_view bytes) {
    std::u16string text((bytes.size() + 1) / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lo = static_cast<unsigned char>(bytes[2 * i]);
        const auto hi = 2 * i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[2 * i + 1]) : 0U;
        text[i] = static_cast<char16_t>(lo | (hi << 8));
    }
    return text;
}

std::string encode_utf16(std::u16string_view text) {
    std::string bytes(text.size() * 2, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return bytes;
}

}  // namespace xq::profile
