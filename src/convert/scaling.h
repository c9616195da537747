// Scaling, interpolation and number text: the arithmetic of the value
// conversions, shared by the plain exports and the conversion handles.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

// 32-bit two's-complement arithmetic that wraps instead of overflowing: the
// table differences and sums of the interpolation are formed this way.
namespace xq::convert {

// a - b, keeping the low 32 bits.
constexpr std::int32_t wrapping_sub(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

// a + b, keeping the low 32 bits.
constexpr std::int32_t wrapping_add(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

// The low 32 bits of v.
constexpr std::int32_t low_32_bits(std::int64_t v) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

}  // namespace xq::convert

// Tables of 32-bit cells at any byte address. The tables of a conversion
// handle start at an even offset of the block, which need not be a multiple
// of 4, so a cell is never reached through an int32_t pointer: it is read
// and written bytewise (compilers turn this into plain loads and stores).
namespace xq::convert {

// A read-only view of cells starting at `base`.
class Cells {
public:
    explicit Cells(const std::int32_t* base) : base_(static_cast<const char*>(static_cast<const void*>(base))) {}
    explicit Cells(const char* base) : base_(base) {}

    // Cell number k (from 0).
    std::int32_t operator[](std::size_t k) const {
        std::int32_t v;
        std::memcpy(&v, base_ + k * sizeof v, sizeof v);
        return v;
    }

private:
    const char* base_;
};

// Stores `value` as cell number k (from 0) of the table at `base`.
inline void store_cell(char* base, std::size_t k, std::int32_t value) {
    std::memcpy(base + k * sizeof value, &value, sizeof value);
}

}  // namespace xq::convert

// Integer scaling: value × multiplier / divisor, rounded to the nearest
// integer with halves away from zero.
namespace xq::convert {

// The product and the quotient are each rounded to double precision; the
// rounded quotient is truncated to 64 bits and its low 32 bits are the result
// (a quotient beyond the 32-bit range wraps). A divisor of 0 gives 0.
std::int32_t scale_int(std::int32_t value, std::int32_t multiplier, std::int32_t divisor);

}  // namespace xq::convert

// Linear interpolation in an integer table, without extrapolation.
namespace xq::convert {

// y at `at` over the first `count` points (x[k], y[k]). Consecutive points
// form segments, rising or falling; the first segment that holds `at` (ends
// included) serves it with y0 + scale_int(at - x0, y1 - y0, x1 - x0), the
// differences and the sum wrapping in 32 bits. nullopt when count is below 2
// or no segment holds `at`.
std::optional<std::int32_t> interpolate(std::int32_t count, Cells x, Cells y, std::int32_t at);

}  // namespace xq::convert

// A quotient of integers rounded to a number of fraction digits, in exact
// integer arithmetic, as the decimal digits of its magnitude.
namespace xq::convert {

class RoundedQuotient {
public:
    // numerator / denominator rounded to `decimals` fraction digits, a dropped
    // part of one half or more rounding the magnitude up (carrying through
    // nines). |numerator| must be below 2^63 and |denominator| at most 2^32.
    // A denominator of 0 makes the quotient 0.
    RoundedQuotient(std::int64_t numerator, std::int64_t denominator, std::uint32_t decimals);

    // The quotient is below zero (before rounding).
    bool negative() const { return negative_; }
    // Digits of the rounded magnitude's integer part; empty when it is 0.
    std::string_view integer_digits() const { return {integer_.data(), integer_size_}; }
    std::uint32_t decimals() const { return decimals_; }
    // Writes the decimals() fraction digits of the rounded magnitude to `out`.
    void write_fraction(char* out) const;

private:
    bool negative_ = false;
    std::uint64_t remainder_ = 0;  // of the magnitude's integer division
    std::uint64_t divisor_ = 1;    // |denominator|
    std::uint32_t decimals_;
    std::array<char, 20> integer_{};
    std::size_t integer_size_ = 0;
};

}  // namespace xq::convert

// Number text: multiplier × value / divisor with a fixed number of decimals,
// one blank and a unit, e.g. "12.35 mm".
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
