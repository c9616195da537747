// ScaleInt and LcvScaleInt.
#include "convert/scale_int.h"

#include <cfloat>
#include <cmath>

#include "convert/wrap32.h"
#include "frame/guard.h"
#include "xq_utils.h"

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

}  // namespace

std::int32_t scale_int(std::int32_t value, std::int32_t multiplier, std::int32_t divisor) {
    if (divisor == 0) return 0;  // the quotient would not be finite
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
