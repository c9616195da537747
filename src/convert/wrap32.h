// 32-bit two's-complement arithmetic that wraps instead of overflowing: the
// table differences and sums of the interpolation are formed this way.
#pragma once

#include <cstdint>

namespace xq::convert {

// a - b, keeping the low 32 bits.
constexpr std::int32_t wrapping_sub(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

// a + b, keeping the low 32 bits.
constexpr std::int32_t wrapping_add(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

// The low 32 bits of v.
constexpr std::int32_t low_32_bits(std::int64_t v) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

}  // namespace xq::convert
