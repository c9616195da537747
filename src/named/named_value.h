// Reading one value of a named-entry file with the library's value
// conventions: a value starting with ";" reads as empty (commented out), and
// trailing white space is dropped, never the value's first character.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace xq::named {

// White space of the value conventions: space and 0x09 to 0x0D.
constexpr bool is_value_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Applies the value conventions in place to the characters a reader
// delivered (`value`, terminated right after it): the text up to its first
// terminator loses trailing white space, each replaced by a terminator, and
// a leading ";" is replaced by a terminator. Returns the resulting text.
std::string_view apply_value_conventions(std::span<char> value);

// The text the value conventions leave of `value` without writing anything:
// up to its first NUL, empty for a leading ";", else without trailing white
// space (never the first character). The text apply_value_conventions gives.
std::string_view value_conventions(std::string_view value);

enum class ValueStatus {
    unread,    // the file cannot be opened (or no section, entry or file was named); buffer untouched
    no_value,  // the reader delivered no characters; buffer holds the empty text
    found,     // the reader delivered characters; `text` is the value after the conventions
};

struct NamedValue {
    ValueStatus status;
    std::string_view text;  // empty unless found; see the reader for where it lies
};

// Reads the entry's value into `buffer` (cut to buffer.size() - 1 characters)
// with one opening of the file, and applies the value conventions; the text
// lies in the buffer. An empty buffer is left alone and reads as no_value.
NamedValue read_named_value(const char* section, const char* entry, std::span<char> buffer, const char* file);

// The working buffers of the lookups, by the capacity each reads with.
using ValueBuffer200 = std::array<char, 200>;
using ValueBuffer256 = std::array<char, 256>;

}  // namespace xq::named
