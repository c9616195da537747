#include "convert/rounded_quotient.h"

#include <charconv>
#include <cstring>

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
