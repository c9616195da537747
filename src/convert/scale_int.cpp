// ScaleInt and LcvScaleInt.
#include "convert/scale_int.h"

#include <cfloat>
#include <cmath>
#include <cstdint>

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
