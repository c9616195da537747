// ScaleInt, LinIpolInt and BinToAsc with their Lcv twins, and the exact
// rounded quotient behind the number text.
#include "convert/scaling.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "api/guard.h"
#include "api/text_copy.h"
#include "xq_utils.h"

// ScaleInt and LcvScaleInt.
namespace xq::convert {
namespace {

// `x` rounded to double precision. Where the FPU keeps more digits in its
// registers (x87, on i686) a store to memory does the rounding; elsewhere the
// arithmetic already is double precision.
double as_double(double x) {
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD != 0
    volatile double stored = x;
    return stored;
#else
    return x;
#endif
}

#if defined(__i386__)
// Holds the x87 unit at double precision, rounding to nearest, for its
// lifetime: the results must not depend on the calling program's control
// word (graphics libraries set single precision, some runtimes other
// rounding). The caller's word comes back on exit.
class DoublePrecisionFpu {
public:
    DoublePrecisionFpu() {
        const std::uint16_t double_nearest_masked = 0x027F;
        __asm__ volatile("fnstcw %0" : "=m"(saved_));
        __asm__ volatile("fldcw %0" : : "m"(double_nearest_masked));
    }
    ~DoublePrecisionFpu() { __asm__ volatile("fldcw %0" : : "m"(saved_)); }
    DoublePrecisionFpu(const DoublePrecisionFpu&) = delete;
    DoublePrecisionFpu& operator=(const DoublePrecisionFpu&) = delete;

private:
    std::uint16_t saved_ = 0;
};
#else
// SSE arithmetic is double precision whatever the caller set.
struct DoublePrecisionFpu {};
#endif

}  // namespace

std::int32_t scale_int(std::int32_t value, std::int32_t multiplier, std::int32_t divisor) {
    if (divisor == 0) return 0;  // the quotient would not be finite
    [[maybe_unused]] const DoublePrecisionFpu fpu{};
    const double product = as_double(static_cast<double>(value) * static_cast<double>(multiplier));
    const double quotient = as_double(product / static_cast<double>(divisor));
    const double rounded = as_double(quotient >= 0 ? quotient + 0.5 : quotient - 0.5);
    if (!std::isfinite(rounded) || std::fabs(rounded) >= 0x1p63) return 0;
    return low_32_bits(static_cast<std::int64_t>(rounded));
}

}  // namespace xq::convert

extern "C" {

int32_t XQ_CALL ScaleInt(int32_t value, int32_t multiplier, int32_t divisor) {
    return xq::guarded<int32_t>(0, [&] { return xq::convert::scale_int(value, multiplier, divisor); });
}

int32_t XQ_CALL LcvScaleInt(int32_t value, int32_t multiplier, int32_t divisor) {
    return xq::guarded<int32_t>(0, [&] { return xq::convert::scale_int(value, multiplier, divisor); });
}

}  // extern "C"

// LinIpolInt and LcvLinIpolInt.
namespace xq::convert {

std::optional<std::int32_t> interpolate(std::int32_t count, Cells x, Cells y, std::int32_t at) {
    for (std::int32_t k = 1; k < count; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const std::int32_t x0 = x[i - 1];
        const std::int32_t x1 = x[i];
        if ((x0 <= at && at <= x1) || (x1 <= at && at <= x0)) {
            const std::int32_t y0 = y[i - 1];
            const std::int32_t step = scale_int(wrapping_sub(at, x0), wrapping_sub(y[i], y0), wrapping_sub(x1, x0));
            return wrapping_add(y0, step);
        }
    }
    return std::nullopt;
}

}  // namespace xq::convert

namespace {

// The interpolation behind both exports; null tables find no segment.
std::optional<int32_t> interpolate_tables(int32_t count, const int32_t* x_table, const int32_t* y_table, int32_t x) {
    if (x_table == nullptr || y_table == nullptr) return std::nullopt;
    return xq::convert::interpolate(count, xq::convert::Cells(x_table), xq::convert::Cells(y_table), x);
}

}  // namespace

extern "C" {

int32_t XQ_CALL LinIpolInt(int32_t count, const int32_t* xTable, const int32_t* yTable, int32_t x,
                           int32_t* errorFlag) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        const std::optional<int32_t> y = interpolate_tables(count, xTable, yTable, x);
        if (errorFlag != nullptr) *errorFlag = y ? 0 : 1;
        return y.value_or(0);
    });
}

int32_t XQ_CALL LcvLinIpolInt(int32_t count, const int32_t* xTable, const int32_t* yTable, int32_t x) {
    return xq::guarded<int32_t>(0, [&] { return interpolate_tables(count, xTable, yTable, x).value_or(0); });
}

}  // extern "C"

namespace xq::convert {
namespace {

std::uint64_t magnitude(std::int64_t v) {
    return v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
}

// Whether rounding the fraction remainder / divisor to `decimals` digits
// gives 1, carrying into the integer part. With 10 or more digits it never
// does: 1 - remainder / divisor is at least 1 / divisor >= 2^-32, more than
// half of 10^-10.
bool fraction_carries(std::uint64_t remainder, std::uint64_t divisor, std::uint32_t decimals) {
    if (decimals >= 10) return false;
    std::uint64_t scale = 1;
    for (std::uint32_t i = 0; i < decimals; ++i) scale *= 10;
    const std::uint64_t scaled = remainder * scale;  // below 2^32 * 10^9 < 2^62
    return scaled / divisor + 1 == scale && 2 * (scaled % divisor) >= divisor;
}

}  // namespace

RoundedQuotient::RoundedQuotient(std::int64_t numerator, std::int64_t denominator, std::uint32_t decimals)
    : decimals_(decimals) {
    if (denominator == 0 || numerator == 0) return;
    negative_ = (numerator < 0) != (denominator < 0);
    divisor_ = magnitude(denominator);
    const std::uint64_t n = magnitude(numerator);
    remainder_ = n % divisor_;
    const std::uint64_t integer = n / divisor_ + (fraction_carries(remainder_, divisor_, decimals) ? 1 : 0);
    if (integer != 0) {
        const auto result = std::to_chars(integer_.data(), integer_.data() + integer_.size(), integer);
        integer_size_ = static_cast<std::size_t>(result.ptr - integer_.data());
    }
}

void RoundedQuotient::write_fraction(char* out) const {
    std::uint64_t r = remainder_;
    std::uint32_t i = 0;
    for (; i < decimals_ && r != 0; ++i) {
        r *= 10;
        out[i] = static_cast<char>('0' + r / divisor_);
        r %= divisor_;
    }
    if (i < decimals_) {
        std::memset(out + i, '0', decimals_ - i);  // the division came out even
        return;
    }
    if (decimals_ == 0 || 2 * r < divisor_) return;
    // Round up; a carry out of the first digit went into the integer part.
    for (std::uint32_t k = decimals_; k-- > 0;) {
        if (out[k] != '9') {
            ++out[k];
            return;
        }
        out[k] = '0';
    }
}

}  // namespace xq::convert

// BinToAsc and LcvBinToAsc.
namespace xq::convert {
namespace {

// Appends `text` at `out`; returns the position after it.
char* put(char* out, std::string_view text) {
    if (!text.empty()) std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

}  // namespace

char* write_number_text(char* buffer, std::uint32_t size, std::string_view unit, const NumberRequest& request) {
    const std::uint32_t decimals = request.decimals > 0 ? static_cast<std::uint32_t>(request.decimals) : 0;
    const bool zero_digit = request.zero == ZeroText::digit && request.value == 0 && decimals == 0;
    const RoundedQuotient quotient(std::int64_t{request.multiplier} * request.value, request.divisor, decimals);
    const std::string_view integer = zero_digit ? std::string_view("0") : quotient.integer_digits();
    // Room is kept for the sign and the point whether or not they are written.
    if (std::uint64_t{integer.size()} + decimals + unit.size() + 3 >= size) return nullptr;
    char* out = buffer;
    if (quotient.negative()) *out++ = '-';
    out = put(out, integer);
    if (decimals > 0) {
        *out++ = '.';
        quotient.write_fraction(out);
        out += decimals;
    }
    *out++ = ' ';
    out = put(out, unit);
    *out = '\0';
    return buffer;
}

}  // namespace xq::convert

namespace {

char* number_text(char* buffer, uint32_t size, int32_t multiplier, int32_t divisor, int32_t value, const char* unit,
                  int32_t decimals, xq::convert::ZeroText zero) {
    return xq::guarded<char*>(nullptr, [&]() -> char* {
        if (buffer == nullptr || unit == nullptr) return nullptr;
        // A unit as long as the buffer can never fit, so it is read no further.
        return xq::convert::write_number_text(buffer, size, xq::bounded_text(unit, size),
                                              {multiplier, divisor, value, decimals, zero});
    });
}

}  // namespace

extern "C" {

char* XQ_CALL BinToAsc(char* buffer, uint32_t bufferSize, int32_t multiplier, int32_t divisor, int32_t value,
                       const char* unit, int32_t decimals) {
    return number_text(buffer, bufferSize, multiplier, divisor, value, unit, decimals, xq::convert::ZeroText::empty);
}

char* XQ_CALL LcvBinToAsc(char* buffer, uint32_t bufferSize, int32_t multiplier, int32_t divisor, int32_t value,
                          const char* unit, int32_t decimals) {
    return number_text(buffer, bufferSize, multiplier, divisor, value, unit, decimals, xq::convert::ZeroText::digit);
}

}  // extern "C"
