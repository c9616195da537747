// The room a new value has in an in-place rewrite, worked out from the file
// and the value themselves, to explain why the library refused a rewrite.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xqutil {

// The text of the line that starts at byte `position` of `file`, without its
// line end (CR LF, LF or CR); nullopt when the file cannot be read there.
std::optional<std::string> line_at(const std::string& file, std::uint32_t position);

// The room of a line's value field: the bytes after its first '='; nullopt
// when the line has no '='.
std::optional<std::size_t> value_room(std::string_view line);

// The room of word `index` (from 1) of `value` for replacing it in place:
// the word and the spaces directly before it, but neither the first
// separator after the previous word nor the value's first character.
// nullopt when the value has fewer words.
std::optional<std::size_t> word_room(std::string_view value, std::int32_t index);

// True for the characters that separate words: blank, tab, CR and LF.
constexpr bool is_word_separator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace xqutil
