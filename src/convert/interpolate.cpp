// LinIpolInt and LcvLinIpolInt.
#include "convert/interpolate.h"

#include "convert/scale_int.h"
#include "convert/wrap32.h"
#include "frame/guard.h"
#include "xq_utils.h"

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
