#include "named/int_scan.h"

#include <limits>

namespace xq::named {
namespace {

// Value of the digit `c` in `base` (8, 10 or 16), or -1. Decimal digits
// cost one unsigned comparison; letters are looked at only in base 16.
int digit_value(char c, unsigned base) {
    const unsigned code = static_cast<unsigned char>(c);
    const unsigned decimal = code - unsigned{'0'};
    if (decimal < 10) return decimal < base ? static_cast<int>(decimal) : -1;
    if (base != 16) return -1;
    const unsigned letter = (code | 0x20U) - unsigned{'a'};  // 'A'-'F' fold onto 'a'-'f'
    return letter < 6 ? static_cast<int>(letter) + 10 : -1;
}

// The digits of base `Base` from `pos` on, up to the first other character.
// Unsigned arithmetic wraps, which keeps exactly the low 32 bits. The base is
// a constant so the multiplication and digit test compile to a few instructions.
template <unsigned Base>
std::uint32_t digits_from(std::string_view text, std::size_t pos) {
    std::uint32_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int d = digit_value(text[pos], Base);
        if (d < 0) break;
        value = value * Base + static_cast<std::uint32_t>(d);
    }
    return value;
}

// Position after leading white space and an optional sign; `negative` says
// which sign was read.
std::size_t skip_space_and_sign(std::string_view text, bool& negative) {
    std::size_t pos = 0;
    while (pos < text.size() && is_number_space(text[pos])) ++pos;
    negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    return pos;
}

}  // namespace

std::optional<std::int32_t> scan_cell(std::string_view text) {
    // Most cells are plain decimal numbers: no prefix rules to weigh.
    if (!text.empty() && text[0] >= '1' && text[0] <= '9') return static_cast<std::int32_t>(digits_from<10>(text, 0));
    bool negative = false;
    std::size_t pos = skip_space_and_sign(text, negative);
    if (pos == text.size() || digit_value(text[pos], 10) < 0) return std::nullopt;
    unsigned base = 10;
    if (text[pos] == '0') {
        base = 8;
        const bool hex_mark = pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X');
        if (hex_mark && pos + 2 < text.size() && digit_value(text[pos + 2], 16) >= 0) {
            base = 16;
            pos += 2;
        }
    }
    std::uint32_t value = base == 10 ? digits_from<10>(text, pos)
                          : base == 8  ? digits_from<8>(text, pos)
                                       : digits_from<16>(text, pos);
    if (negative) value = 0U - value;
    return static_cast<std::int32_t>(value);
}

std::int32_t scan_decimal(std::string_view text) {
    bool negative = false;
    std::size_t pos = skip_space_and_sign(text, negative);
    // Magnitude limit: INT32_MAX, or one more for a negative number.
    const std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + (negative ? 1 : 0);
    std::int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int d = digit_value(text[pos], 10);
        if (d < 0) break;
        value = value * 10 + d;
        if (value > limit) value = limit;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace xq::named
