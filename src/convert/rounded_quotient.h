// A quotient of integers rounded to a number of fraction digits, in exact
// integer arithmetic, as the decimal digits of its magnitude.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

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
