// The bytes that an in-place rewrite writes: a new value right-aligned in
// the value field of the entry's line, padded with leading spaces. The file
// keeps its length and every byte outside that field. Pure, for tests and
// fuzzers.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace xq::named {

// Bytes to write at an offset of the file.
struct FieldWrite {
    std::size_t offset;
    std::string bytes;
};

// `value` right-aligned in a field of `room` bytes; nullopt when it is longer.
std::optional<std::string> right_aligned(std::string_view value, std::size_t room);

// The write that puts `value` into the value field of the entry line that
// find_entry_line finds. nullopt when there is no such line, the line has no
// "=", the value is longer than the field, or the value holds a CR or LF
// (it would split the line and make lines nobody wrote).
std::optional<FieldWrite> rewrite_entry_value(std::string_view contents, std::string_view section,
                                              std::string_view entry, std::string_view value);

}  // namespace xq::named
