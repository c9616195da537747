// BinToAsc and LcvBinToAsc with arbitrary arguments. Checks that a text never
// passes bufferSize and is terminated, that a refused text writes nothing,
// that refusal follows the capacity rule exactly, and that the text is the
// quotient's: sign, integer digits of the magnitude rounded half up (none
// below 1), point and exactly `decimals` fraction digits, blank, unit. The
// digits are checked against the quotient computed here in 128-bit
// arithmetic (for up to 18 decimals; beyond that the integer part, which no
// rounding can change then, and the layout).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "xq_utils.h"

namespace {

__extension__ typedef unsigned __int128 u128;

void check(bool ok) {
    if (!ok) __builtin_trap();
}

std::string digits_of(u128 v) {
    std::string out;
    for (; v != 0; v /= 10) out.insert(out.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
    return out;
}

u128 magnitude(std::int64_t v) { return v < 0 ? u128(-(v + 1)) + 1 : u128(v); }

struct Expected {
    std::string integer;   // digits of the rounded magnitude's integer part
    std::string fraction;  // empty when not computed (beyond 18 decimals)
    bool negative = false;
};

Expected expected(std::int32_t multiplier, std::int32_t divisor, std::int32_t value, std::uint32_t decimals) {
    Expected e;
    const std::int64_t product = std::int64_t{multiplier} * value;
    if (divisor == 0 || product == 0) {
        e.fraction = std::string(decimals <= 18 ? decimals : 0, '0');
        return e;
    }
    e.negative = (product < 0) != (divisor < 0);
    const u128 n = magnitude(product), d = magnitude(divisor);
    if (decimals > 18) {
        e.integer = digits_of(n / d);  // 10 or more decimals never carry into it
        return e;
    }
    u128 scale = 1;
    for (std::uint32_t i = 0; i < decimals; ++i) scale *= 10;
    const u128 scaled = n * scale;
    const u128 rounded = scaled / d + (2 * (scaled % d) >= d ? 1 : 0);
    e.integer = digits_of(rounded / scale);
    e.fraction = digits_of(rounded % scale);
    e.fraction.insert(0, decimals - e.fraction.size(), '0');
    return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const auto buffer_size = in.ConsumeIntegralInRange<std::uint32_t>(0, 200);
    const auto multiplier = in.ConsumeIntegral<std::int32_t>();
    const auto divisor = in.ConsumeIntegral<std::int32_t>();
    const auto value = in.ConsumeIntegral<std::int32_t>();
    const auto decimals = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int32_t>(-3, 40)
                                           : in.ConsumeIntegral<std::int32_t>();
    const bool lcv = in.ConsumeBool();
    const std::string unit_bytes = in.ConsumeRandomLengthString(64);
    const std::string unit(unit_bytes.c_str());

    constexpr std::size_t kGuard = 32;
    constexpr char kFill = '\x5A';
    std::vector<char> bytes(buffer_size + 2 * kGuard, kFill);
    char* buffer = bytes.data() + kGuard;
    const auto f = lcv ? LcvBinToAsc : BinToAsc;
    const char* result = f(buffer, buffer_size, multiplier, divisor, value, unit_bytes.c_str(), decimals);

    const std::uint32_t d = decimals > 0 ? static_cast<std::uint32_t>(decimals) : 0;
    Expected e = expected(multiplier, divisor, value, d);
    if (lcv && value == 0 && d == 0) e.integer = "0";
    const bool refused = std::uint64_t{e.integer.size()} + d + unit.size() + 3 >= buffer_size;
    check((result == nullptr) == refused);
    if (refused) {
        for (const char c : bytes) check(c == kFill);
        return 0;
    }
    check(result == buffer);
    const void* nul = std::memchr(buffer, '\0', buffer_size);
    check(nul != nullptr);
    const std::string text(buffer, static_cast<std::size_t>(static_cast<const char*>(nul) - buffer));
    for (std::size_t i = text.size() + 1; i < bytes.size() - kGuard; ++i) check(buffer[i] == kFill);
    for (std::size_t i = 0; i < kGuard; ++i) check(bytes[i] == kFill && bytes[bytes.size() - 1 - i] == kFill);

    const std::string head = (e.negative ? "-" : "") + e.integer + (d > 0 ? "." : "");
    check(text.size() == head.size() + d + 1 + unit.size());
    check(text.compare(0, head.size(), head) == 0);
    const std::string fraction = text.substr(head.size(), d);
    for (const char c : fraction) check(c >= '0' && c <= '9');
    if (d <= 18) check(fraction == e.fraction);
    check(text.compare(head.size() + d, std::string::npos, " " + unit) == 0);
    return 0;
}
