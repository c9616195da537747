#include "platform/regfile/regfile.h"

#include <cstdint>

namespace xq::regfile {
namespace {

bool is_continuation(unsigned char byte) { return (byte & 0xC0U) == 0x80U; }

// Decodes one UTF-8 sequence at text[pos]; returns its length (0 = invalid).
std::size_t decode_one(std::string_view text, std::size_t pos, char32_t& cp) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80U) {
        cp = lead;
        return 1;
    }
    if ((lead & 0xE0U) == 0xC0U) {
        length = 2, min = 0x80, cp = lead & 0x1FU;
    } else if ((lead & 0xF0U) == 0xE0U) {
        length = 3, min = 0x800, cp = lead & 0x0FU;
    } else if ((lead & 0xF8U) == 0xF0U) {
        length = 4, min = 0x10000, cp = lead & 0x07U;
    } else {
        return 0;
    }
    if (text.size() - pos < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if (!is_continuation(byte)) return 0;
        cp = (cp << 6) | (byte & 0x3FU);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0U | (cp >> 6));
        out += static_cast<char>(0x80U | (cp & 0x3FU));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0U | (cp >> 12));
        out += static_cast<char>(0x80U | ((cp >> 6) & 0x3FU));
        out += static_cast<char>(0x80U | (cp & 0x3FU));
    } else {
        out += static_cast<char>(0xF0U | (cp >> 18));
        out += static_cast<char>(0x80U | ((cp >> 12) & 0x3FU));
        out += static_cast<char>(0x80U | ((cp >> 6) & 0x3FU));
        out += static_cast<char>(0x80U | (cp & 0x3FU));
    }
}

bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::u16string utf8_to_utf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp = 0;
        const std::size_t length = decode_one(text, pos, cp);
        if (length == 0) {
            out += u'?';
            ++pos;
            continue;
        }
        pos += length;
        if (cp < 0x10000) {
            out += static_cast<char16_t>(cp);
        } else {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800U + (cp >> 10));
            out += static_cast<char16_t>(0xDC00U + (cp & 0x3FFU));
        }
    }
    return out;
}

std::string utf16_to_utf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (is_high_surrogate(unit) && i + 1 < text.size() && is_low_surrogate(text[i + 1])) {
            const char32_t cp = 0x10000U + ((static_cast<char32_t>(unit) - 0xD800U) << 10) +
                                (static_cast<char32_t>(text[i + 1]) - 0xDC00U);
            append_utf8(out, cp);
            ++i;
        } else if (is_high_surrogate(unit) || is_low_surrogate(unit)) {
            out += '?';
        } else {
            append_utf8(out, unit);
        }
    }
    return out;
}

std::u16string from_le_bytes(std::string_view bytes) {
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto low = static_cast<unsigned char>(bytes[2 * i]);
        const auto high = static_cast<unsigned char>(bytes[2 * i + 1]);
        out[i] = static_cast<char16_t>(low | (high << 8));
    }
    return out;
}

std::string to_le_bytes(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        out += static_cast<char>(unit & 0xFFU);
        out += static_cast<char>(unit >> 8);
    }
    return out;
}

}  // namespace xq::regfile
