#include "platform/regfile/regfile.h"

#include <cstdint>


namespace xq::regfile {
namespace {

constexpr std::size_t kWrapColumn = 77;  // hex lines are wrapped once this long
constexpr char kDigits[] = "0123456789abcdef";

std::string hex_number(std::uint32_t value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[value & 0xFU]);
        value >>= 4;
    } while (value != 0);
    return digits;
}

// The text of a string value when it reads back unchanged from a quoted
// string: one terminator at the end and none before it, no line breaks, no
// unpaired surrogates.
std::optional<std::string> plain_text(const Value& value) {
    if (value.type != kRegSz || value.data.size() % 2 != 0) return std::nullopt;
    std::u16string units = from_le_bytes(value.data);
    if (units.empty() || units.back() != u'\0') return std::nullopt;
    units.pop_back();
    constexpr std::u16string_view kBreaking(u"\r\n\0", 3);  // line breaks and NUL
    if (units.find_first_of(kBreaking) != std::u16string::npos) return std::nullopt;
    std::string text = utf16_to_utf8(units);
    if (utf8_to_utf16(text) != units) return std::nullopt;
    return text;
}

std::string type_tag(const Value& value) {
    if (value.type == kRegBinary) return "hex:";
    return "hex(" + hex_number(value.type) + "):";
}

// The bytes a hex list shows: string types as UTF-8 in an ANSI file.
std::string hex_bytes(const Value& value, Encoding encoding) {
    if (encoding == Encoding::ansi && is_string_type(value.type)) return utf16_to_utf8(from_le_bytes(value.data));
    return value.data;
}

std::string hex_list(std::string_view bytes, std::size_t column, std::string_view line_end) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0xFU];
        if (i + 1 == bytes.size()) break;
        out += ',';
        column += 3;
        if (column >= kWrapColumn) {
            out += '\\';
            out += line_end;
            out += "  ";
            column = 2;
        }
    }
    return out;
}

}  // namespace

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

std::string value_line(const Value& value, Encoding encoding, std::string_view line_end) {
    std::string line = value.name.empty() ? "@=" : quoted(value.name) + "=";
    if (auto text = plain_text(value)) return line + quoted(*text);
    if (value.type == kRegDword && value.data.size() == 4) {
        std::uint32_t number = 0;
        for (std::size_t i = 4; i-- > 0;) number = (number << 8) | static_cast<unsigned char>(value.data[i]);
        std::string digits = hex_number(number);
        return line + "dword:" + std::string(8 - digits.size(), '0') + digits;
    }
    line += type_tag(value);
    return line + hex_list(hex_bytes(value, encoding), line.size(), line_end);
}

}  // namespace xq::regfile
