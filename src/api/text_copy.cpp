#include "api/text_copy.h"

#include <cstring>

namespace xq {

void copy_text(char* buffer, std::uint32_t capacity, std::string_view text) {
    if (capacity == 0) return;
    const std::size_t n = text.size() < capacity ? text.size() : capacity - 1;
    if (n > 0) std::memcpy(buffer, text.data(), n);  // an empty view may have no data
    std::memset(buffer + n, 0, capacity - n);
}

std::string_view bounded_text(const char* text, std::size_t limit) {
    const void* end = std::memchr(text, 0, limit);
    return {text, end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : limit};
}

}  // namespace xq
