// Number text and interpolation with arbitrary arguments; the first byte
// picks the part:
//  even: BinToAsc and LcvBinToAsc never pass bufferSize, terminate the text,
//    refuse exactly by the capacity rule and then write nothing; the text is
//    sign, the magnitude's integer digits rounded half up, point, exactly
//    `decimals` fraction digits, blank, unit, checked against the quotient in
//    128-bit arithmetic (up to 18 decimals; beyond, the integer part);
//  odd: LinIpolInt, LcvLinIpolInt, ScaleInt and LcvScaleInt against a 64-bit
//    reference (first segment holding x, differences and sum taken to their
//    low 32 bits, scaling in double precision rounded half away from zero).

#include <cmath>

#include "fuzz.h"

namespace {

using namespace xq::fuzz;
__extension__ typedef unsigned __int128 u128;

// The digits of `v` (below 2^64), none for 0.
std::string digits(u128 v) { return v == 0 ? std::string() : std::to_string(static_cast<std::uint64_t>(v)); }

void text(FuzzedDataProvider& in) {
    const auto buffer_size = in.ConsumeIntegralInRange<std::uint32_t>(0, 200);
    const auto multiplier = in.ConsumeIntegral<std::int32_t>(), divisor = in.ConsumeIntegral<std::int32_t>();
    const auto value = in.ConsumeIntegral<std::int32_t>();
    const auto decimals = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int32_t>(-3, 40) : in.ConsumeIntegral<std::int32_t>();
    const bool lcv = in.ConsumeBool();
    const std::string unit_bytes = in.ConsumeRandomLengthString(64), unit = c_text(unit_bytes);
    Guarded b(buffer_size);
    const char* result = (lcv ? LcvBinToAsc : BinToAsc)(b.data(), buffer_size, multiplier, divisor, value, unit_bytes.c_str(), decimals);

    const std::uint32_t d = decimals > 0 ? static_cast<std::uint32_t>(decimals) : 0;
    const std::int64_t product = std::int64_t{multiplier} * value;
    const auto magnitude = [](std::int64_t v) { return v < 0 ? u128(-(v + 1)) + 1 : u128(v); };
    std::string integer, fraction(d <= 18 ? d : 0, '0');  // fraction digits unless beyond 18 decimals
    if (divisor != 0 && product != 0) {
        const u128 n = magnitude(product), m = magnitude(divisor);
        u128 scale = 1;
        for (std::uint32_t i = 0; i < d && d <= 18; ++i) scale *= 10;
        const u128 rounded = n * scale / m + (2 * (n * scale % m) >= m ? 1 : 0);
        integer = d > 18 ? digits(n / m) : digits(rounded / scale);  // 10 or more decimals never carry
        const std::string tail = digits(rounded % scale);
        if (d <= 18) fraction.replace(d - tail.size(), tail.size(), tail);
    }
    if (lcv && value == 0 && d == 0) integer = "0";
    check((result == nullptr) == (std::uint64_t{integer.size()} + d + unit.size() + 3 >= buffer_size));
    if (result == nullptr) return b.untouched();
    const bool negative = divisor != 0 && product != 0 && (product < 0) != (divisor < 0);
    const std::string head = (negative ? "-" : "") + integer + (d > 0 ? "." : ""), got = b.text();
    check(result == b.data() && b.inside().find_first_not_of(Guarded::kFill, got.size() + 1) == std::string::npos);
    check(got.size() == head.size() + d + 1 + unit.size() && got.starts_with(head) && got.ends_with(" " + unit));
    check(got.find_first_not_of("0123456789", head.size()) == head.size() + d && (d > 18 || got.substr(head.size(), d) == fraction));
}

std::int32_t low32(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }

std::int32_t reference_scale(std::int32_t v, std::int32_t m, std::int32_t d) {
    const double q = d == 0 ? 0.0 : static_cast<double>(v) * static_cast<double>(m) / static_cast<double>(d);
    const double rounded = q >= 0 ? q + 0.5 : q - 0.5;
    return !std::isfinite(rounded) || std::fabs(rounded) >= 9223372036854775808.0 ? 0 : low32(static_cast<std::int64_t>(rounded));
}

void interpolation(FuzzedDataProvider& in) {
    const int count = in.ConsumeIntegralInRange<int>(-2, 12);
    const bool small = in.ConsumeBool();
    const auto next = [&] { return small ? in.ConsumeIntegralInRange<std::int32_t>(-1000, 1000) : in.ConsumeIntegral<std::int32_t>(); };
    std::vector<std::int32_t> xs, ys;
    for (int k = 0; k < count; ++k) xs.push_back(next()), ys.push_back(next());
    std::int32_t x = next();
    if (!xs.empty() && in.ConsumeBool()) x = xs[in.ConsumeIntegralInRange<std::size_t>(0, xs.size() - 1)];

    std::int32_t flag = -1;
    const std::int32_t y = LinIpolInt(count, xs.data(), ys.data(), x, &flag);
    check(LcvLinIpolInt(count, xs.data(), ys.data(), x) == y);
    std::size_t k = 1;  // the first segment holding x
    while (k < xs.size() && !((xs[k - 1] <= x && x <= xs[k]) || (xs[k] <= x && x <= xs[k - 1]))) ++k;
    if (k >= xs.size()) check(flag == 1 && y == 0);
    else check(flag == 0 && y == low32(std::int64_t{ys[k - 1]} + reference_scale(low32(std::int64_t{x} - xs[k - 1]), low32(std::int64_t{ys[k]} - ys[k - 1]), low32(std::int64_t{xs[k]} - xs[k - 1]))));

    const std::int32_t v = next(), m = next(), d = in.ConsumeBool() ? next() : 0;
    check(ScaleInt(v, m, d) == reference_scale(v, m, d) && LcvScaleInt(v, m, d) == ScaleInt(v, m, d));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return run_part(data, size, {text, interpolation});
}
