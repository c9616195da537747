// Array entries: "%Name" with an array index names the entry Name<index>.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace xq::named {

// Entry names of array members fit 39 characters (a 40-byte name buffer).
inline constexpr std::size_t kArrayNameCapacity = 40;
using ArrayName = std::array<char, kArrayNameCapacity>;

// Builds the entry name for `name` and `index` into `out`, terminated: for a
// name starting with "%", the rest of it followed by index in decimal (with
// "-" when negative); otherwise the name itself. False when the result
// would not fit 39 characters (`out` then holds no usable name).
bool array_entry_name(std::string_view name, std::int32_t index, ArrayName& out);

}  // namespace xq::named
