// Linear interpolation in an integer table, without extrapolation.
#pragma once

#include <cstdint>
#include <optional>

#include "convert/table_cells.h"

namespace xq::convert {

// y at `at` over the first `count` points (x[k], y[k]). Consecutive points
// form segments, rising or falling; the first segment that holds `at` (ends
// included) serves it with y0 + scale_int(at - x0, y1 - y0, x1 - x0), the
// differences and the sum wrapping in 32 bits. nullopt when count is below 2
// or no segment holds `at`.
std::optional<std::int32_t> interpolate(std::int32_t count, Cells x, Cells y, std::int32_t at);

}  // namespace xq::convert
