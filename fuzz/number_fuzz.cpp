// Number text and interpolation with arbitrary arguments; the first byte
// picks the part:
//  even: BinToAsc and LcvBinToAsc write a terminated text inside the buffer,
//    the same whatever room is left, or refuse exactly when the text with
//    room for a sign and a point does not fit beside its terminator, and then
//    write nothing; the text is sign, integer digits without a leading zero,
//    point, `decimals` digits, blank, unit, and reads as the quotient to half
//    a unit in the last place (exact rounding has rows in the unit tests);
//    the two agree but for the "0" LcvBinToAsc writes for a zero value
//    without decimals;
//  odd: LinIpolInt and LcvLinIpolInt agree; an x in no segment gives 0 and
//    the error flag; else the first segment holding x gives its end values at
//    its ends and, in small tables, a value between them; ScaleInt and
//    LcvScaleInt agree, give 0 for a zero divisor and round quotients below
//    2^16 half away from zero.

#include <cmath>
#include <cstdlib>

#include "fuzz.h"

namespace {

using namespace xq::fuzz;
__extension__ typedef __int128 i128;

void text(FuzzedDataProvider& in) {
    const auto size = in.ConsumeIntegralInRange<std::uint32_t>(0, 200);
    const auto multiplier = in.ConsumeIntegral<std::int32_t>(), divisor = in.ConsumeIntegral<std::int32_t>();
    const auto value = in.ConsumeIntegral<std::int32_t>();
    const auto decimals = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int32_t>(-3, 40) : in.ConsumeIntegral<std::int32_t>();
    const std::string unit_bytes = in.ConsumeRandomLengthString(64), unit = c_text(unit_bytes);
    const auto call = [&](bool twin, std::uint64_t capacity) -> std::optional<std::string> {  // nullopt: refused
        Guarded b(static_cast<std::uint32_t>(capacity));
        const char* r = (twin ? LcvBinToAsc : BinToAsc)(b.data(), b.capacity(), multiplier, divisor, value, unit_bytes.c_str(), decimals);
        if (r == nullptr) return b.untouched(), std::nullopt;
        const std::string t = b.text();
        return check(r == b.data() && b.inside().find_first_not_of(Guarded::kFill, t.size() + 1) == std::string::npos), t;
    };
    const std::uint32_t d = decimals > 0 ? static_cast<std::uint32_t>(decimals) : 0;
    const std::optional<std::string> got = call(false, size);
    if (d > size) return check(!got);

    const std::uint64_t room = d + unit.size() + 24;  // 19 digits, sign, point, blank and terminator
    const std::optional<std::string> full = call(false, room), lcv_full = call(true, room);
    check(full && lcv_full == (value == 0 && d == 0 ? "0 " + unit : *full) && full->ends_with(" " + unit));
    const std::string number = full->substr(0, full->size() - unit.size() - 1);
    const bool negative = number.starts_with('-');
    check(got.has_value() == (full->size() + !negative + (d == 0) < size) && (!got || *got == *full));
    const std::int64_t product = std::int64_t{multiplier} * value;
    check(negative == (product != 0 && divisor != 0 && (product < 0) != (divisor < 0)) && number.find('0') != (negative ? 1U : 0U));
    check(number.find_first_not_of("-.0123456789") == std::string::npos &&
          (d == 0 ? number.find('.') == std::string::npos : number.size() > d && number[number.size() - d - 1] == '.'));
    char* end = nullptr;
    const double read = std::strtod(number.c_str(), &end);
    const double exact = divisor == 0 ? 0.0 : static_cast<double>(product) / static_cast<double>(divisor);
    check((*end == '\0' || number == "-") && std::fabs(read - exact) <= 0.5000001 * std::pow(10.0, -static_cast<double>(d)) + 1e-12 * std::fabs(exact));
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
    else check(flag == 0 && (x != xs[k - 1] || y == ys[k - 1]) && (x != xs[k] || x == xs[k - 1] || y == ys[k]) &&
               (!small || (std::min(ys[k - 1], ys[k]) <= y && y <= std::max(ys[k - 1], ys[k]))));

    const std::int32_t v = next(), mul = next(), div = in.ConsumeBool() ? next() : 0;
    const std::int64_t r = ScaleInt(v, mul, div), b = std::abs(std::int64_t{div}), a = std::int64_t{v} * mul * (div < 0 ? -1 : 1);
    const auto half_away = [&] {  // twice the rounding step in units of 1/b, positive away from zero
        const i128 step = 2 * (i128{r} * b - a) * (a < 0 ? -1 : 1);
        return -b < step && step <= b;
    };
    check(LcvScaleInt(v, mul, div) == r && (div == 0 ? r == 0 : std::abs(a) >= b << 16 || half_away()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return run_part(data, size, {text, interpolation});
}
