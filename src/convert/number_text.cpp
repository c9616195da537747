// BinToAsc and LcvBinToAsc.
#include "convert/number_text.h"

#include <cstring>

#include "convert/rounded_quotient.h"
#include "frame/guard.h"
#include "frame/text_copy.h"
#include "xq_utils.h"

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
