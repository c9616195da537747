// LinIpolInt, LcvLinIpolInt and ScaleInt with arbitrary tables and values,
// against a reference computed here in 64-bit arithmetic: the first segment
// holding x (ends included, rising or falling), table differences and the
// final sum taken to their low 32 bits, the scaling done in double precision
// as documented. Also checks the flag, that the two interpolations agree,
// that a segment without wrap-around gives a value between its two y values,
// and that ScaleInt equals the exact quotient rounded half away from zero
// wherever double precision cannot tell them apart.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "xq_utils.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

std::int32_t low32(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }

std::int32_t reference_scale(std::int32_t v, std::int32_t m, std::int32_t d) {
    if (d == 0) return 0;
    const double product = static_cast<double>(v) * static_cast<double>(m);
    const double q = product / static_cast<double>(d);
    const double rounded = q >= 0 ? q + 0.5 : q - 0.5;
    if (!std::isfinite(rounded) || std::fabs(rounded) >= 9223372036854775808.0) return 0;
    return low32(static_cast<std::int64_t>(rounded));
}

// The exact quotient rounded half away from zero, when the double
// computation must give it: the product exact in double and the quotient
// clear of a half by more than double precision can blur.
void check_exact_scale(std::int32_t v, std::int32_t m, std::int32_t d) {
    const std::int64_t p = std::int64_t{v} * m;
    if (d == 0 || std::llabs(p) > (std::int64_t{1} << 53)) return;
    const std::int64_t q = p / d, r = p % d;
    const std::int64_t ad = std::llabs(d), twice = 2 * std::llabs(r);
    const double margin = static_cast<double>(std::llabs(twice - ad)) / static_cast<double>(2 * ad);
    if (margin <= 4e-16 * (std::fabs(static_cast<double>(q)) + 1)) return;
    const std::int64_t exact = q + (twice >= ad ? ((p < 0) != (d < 0) ? -1 : 1) : 0);
    check(ScaleInt(v, m, d) == low32(exact));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int count = in.ConsumeIntegralInRange<int>(-2, 12);
    const bool small = in.ConsumeBool();
    const auto next = [&] {
        return small ? in.ConsumeIntegralInRange<std::int32_t>(-1000, 1000) : in.ConsumeIntegral<std::int32_t>();
    };
    std::vector<std::int32_t> xs, ys;
    for (int k = 0; k < count; ++k) {
        xs.push_back(next());
        ys.push_back(next());
    }
    std::int32_t x = next();
    if (!xs.empty() && in.ConsumeBool()) x = xs[in.ConsumeIntegralInRange<std::size_t>(0, xs.size() - 1)];

    std::int32_t flag = -1;
    const std::int32_t y = LinIpolInt(count, xs.data(), ys.data(), x, &flag);
    check(LcvLinIpolInt(count, xs.data(), ys.data(), x) == y);
    check(flag == 0 || flag == 1);

    std::size_t segment = 0;
    for (std::size_t k = 1; k < xs.size() && segment == 0; ++k) {
        const std::int64_t x0 = xs[k - 1], x1 = xs[k];
        if ((x0 <= x && x <= x1) || (x1 <= x && x <= x0)) segment = k;
    }
    if (segment == 0) {
        check(flag == 1 && y == 0);
    } else {
        const std::int64_t x0 = xs[segment - 1], x1 = xs[segment], y0 = ys[segment - 1], y1 = ys[segment];
        const std::int32_t step = reference_scale(low32(x - x0), low32(y1 - y0), low32(x1 - x0));
        check(flag == 0 && y == low32(y0 + step));
        const bool no_wrap = low32(x - x0) == x - x0 && low32(y1 - y0) == y1 - y0 && low32(x1 - x0) == x1 - x0;
        if (no_wrap) check(std::min(y0, y1) <= y && y <= std::max(y0, y1));
    }

    const std::int32_t v = next(), m = next(), d = in.ConsumeBool() ? next() : 0;
    check(ScaleInt(v, m, d) == reference_scale(v, m, d) && LcvScaleInt(v, m, d) == ScaleInt(v, m, d));
    check_exact_scale(v, m, d);
    return 0;
}
