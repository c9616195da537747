// How texts are handed over into callers' buffers. Inline: nearly every
// export ends in one of these, and each is a copy or a search.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace xq {

// The library's text copy: the first capacity - 1 characters of `text`, every
// remaining byte of the capacity zero (so the result is always terminated).
// Writes nothing when capacity is 0.
inline void copy_text(char* buffer, std::uint32_t capacity, std::string_view text) {
    if (capacity == 0) return;
    const std::size_t n = text.size() < capacity ? text.size() : capacity - 1;
    if (n > 0) std::memcpy(buffer, text.data(), n);  // an empty view may have no data
    std::memset(buffer + n, 0, capacity - n);
}

// `text` up to its terminator, reading at most `limit` bytes: a bounded strlen
// for texts that callers hand in.
inline std::string_view bounded_text(const char* text, std::size_t limit) {
    const void* end = std::memchr(text, 0, limit);
    return {text, end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : limit};
}

}  // namespace xq
