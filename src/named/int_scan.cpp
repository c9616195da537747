#include "named/int_scan.h"

#include <limits>

namespace xq::named {
namespace {

// Value of the digit `c` in `base` (8, 10 or 16), or -1.
int digit_value(char c, unsigned base) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    return v >= 0 && static_cast<unsigned>(v) < base ? v : -1;
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
    // Unsigned arithmetic wraps, which keeps exactly the low 32 bits.
    std::uint32_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int d = digit_value(text[pos], base);
        if (d < 0) break;
        value = value * base + static_cast<std::uint32_t>(d);
    }
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
