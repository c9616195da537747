// Where the parts of a conversion handle's block lie: the header
// (LcvDataHandle), the name area, the unit area, padding to an even offset,
// the control table and the data table.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>

#include "xq_utils.h"

namespace xq::convert {

// The sizes a table section asks for; a negative one counts as 0.
struct HandleSizes {
    std::int32_t table_length;
    std::int32_t max_name_len;
    std::int32_t max_unit_len;
};

struct HandleLayout {
    HandleSizes sizes;  // as used: none negative
    std::uint32_t name_offset;
    std::uint32_t unit_offset;
    std::uint32_t control_offset;
    std::uint32_t data_offset;
    std::uint32_t size;  // of the whole block, even
};

// Blocks beyond this size are refused rather than wrapped.
inline constexpr std::uint64_t kLargestBlock = std::numeric_limits<std::int32_t>::max();

constexpr std::int32_t not_negative(std::int32_t v) { return v < 0 ? 0 : v; }

// The layout for `sizes` behind a header of `header` bytes; nullopt when the
// block would be larger than kLargestBlock.
constexpr std::optional<HandleLayout> handle_layout(HandleSizes sizes,
                                                    std::uint64_t header = sizeof(LcvDataHandle)) {
    const HandleSizes used{not_negative(sizes.table_length), not_negative(sizes.max_name_len),
                           not_negative(sizes.max_unit_len)};
    const std::uint64_t unit = header + static_cast<std::uint64_t>(used.max_name_len) + 1;
    const std::uint64_t control = (unit + static_cast<std::uint64_t>(used.max_unit_len) + 1 + 1) / 2 * 2;
    const std::uint64_t data = control + 4 * static_cast<std::uint64_t>(used.table_length);
    const std::uint64_t size = data + 4 * static_cast<std::uint64_t>(used.table_length);
    if (size > kLargestBlock) return std::nullopt;
    return HandleLayout{used,
                        static_cast<std::uint32_t>(header),
                        static_cast<std::uint32_t>(unit),
                        static_cast<std::uint32_t>(control),
                        static_cast<std::uint32_t>(data),
                        static_cast<std::uint32_t>(size)};
}

// The layout for both pointer sizes, checked at build time.
constexpr std::uint32_t layout_at(std::uint32_t offset32, std::uint32_t offset64) {
    return sizeof(void*) == 4 ? offset32 : offset64;
}
// The block behind the header: name area, unit area, a padding byte when the
// tables would start at an odd offset, control table, data table.
static_assert(handle_layout({0, 0, 0})->size == layout_at(70, 98));  // a missing table
static_assert(handle_layout({3, 10, 5})->control_offset == layout_at(86, 114));  // padded, 2 mod 4
static_assert(handle_layout({3, 10, 5})->data_offset == layout_at(98, 126));
static_assert(handle_layout({3, 10, 5})->size == layout_at(110, 138));
static_assert(handle_layout({3, 10, 4})->size == layout_at(108, 136));  // no padding
static_assert(handle_layout({-3, -10, -4})->size == handle_layout({0, 0, 0})->size);
static_assert(!handle_layout({0x7FFFFFFF, 0, 0}) && !handle_layout({0, 0x7FFFFFFF, 0}));

}  // namespace xq::convert
