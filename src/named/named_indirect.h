// Indirect references: a value whose first two words name a section and an
// entry of a second file.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace xq::named {

// A word of n characters fits a reference buffer of capacity c only when
// n <= c - 2: one byte more than the terminator needs is kept free.
constexpr bool fits_reference_buffer(std::string_view word, std::uint32_t capacity) {
    return word.size() + 1 < capacity;
}

struct Reference {
    std::string_view section;  // word 1
    std::string_view entry;    // word 2
};

// The first two words of `value` when both exist and fit their buffers.
std::optional<Reference> parse_reference(std::string_view value, std::uint32_t section_capacity,
                                         std::uint32_t entry_capacity);

}  // namespace xq::named
