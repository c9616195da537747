// Number text: multiplier × value / divisor with a fixed number of decimals,
// one blank and a unit, e.g. "12.35 mm".
#pragma once

#include <cstdint>
#include <string_view>

namespace xq::convert {

// How a value argument of 0 with no decimals is shown: as an empty number
// (BinToAsc) or as the digit "0" (LcvBinToAsc).
enum class ZeroText { empty, digit };

struct NumberRequest {
    std::int32_t multiplier;
    std::int32_t divisor;
    std::int32_t value;
    std::int32_t decimals;  // fraction digits; a negative count counts as 0
    ZeroText zero;
};

// Writes the text into buffer[0, size): an optional "-" (the quotient is
// below zero), the integer digits of the rounded magnitude (none below 1),
// "." and exactly `decimals` fraction digits when decimals > 0, one blank,
// the unit, a terminator. The quotient is exact (integer arithmetic) and
// rounded half up in magnitude; a divisor of 0 makes it 0. Returns buffer,
// or nullptr without writing when integer digits + decimals + unit length + 3
// is size or more.
char* write_number_text(char* buffer, std::uint32_t size, std::string_view unit, const NumberRequest& request);

}  // namespace xq::convert
