// Integer scaling: value × multiplier / divisor, rounded to the nearest
// integer with halves away from zero.
#pragma once

#include <cstdint>

namespace xq::convert {

// The product and the quotient are each rounded to double precision; the
// rounded quotient is truncated to 64 bits and its low 32 bits are the result
// (a quotient beyond the 32-bit range wraps). A divisor of 0 gives 0.
std::int32_t scale_int(std::int32_t value, std::int32_t multiplier, std::int32_t divisor);

}  // namespace xq::convert
