// How texts are handed over into callers' buffers.
#pragma once

#include <cstdint>
#include <string_view>

namespace xq {

// The library's text copy: the first capacity - 1 characters of `text`, every
// remaining byte of the capacity zero (so the result is always terminated).
// Writes nothing when capacity is 0.
void copy_text(char* buffer, std::uint32_t capacity, std::string_view text);

// `text` up to its terminator, reading at most `limit` bytes: a bounded strlen
// for texts that callers hand in.
std::string_view bounded_text(const char* text, std::size_t limit);

}  // namespace xq
