#include "named/profile_output.h"

#include <algorithm>
#include <cstring>

namespace xq::profile {

std::uint32_t deliver_value(std::string_view text, std::span<char> out) {
    if (out.empty()) return 0;
    const std::size_t n = std::min(text.size(), out.size() - 1);
    if (n != 0) std::memcpy(out.data(), text.data(), n);
    out[n] = '\0';
    return static_cast<std::uint32_t>(n);
}

void ListWriter::put(std::string_view bytes) {
    if (total_ < out_.size()) {
        const std::size_t n = std::min(bytes.size(), out_.size() - total_);
        if (n != 0) std::memcpy(out_.data() + total_, bytes.data(), n);
    }
    total_ += bytes.size();
}

void ListWriter::add(std::string_view name) {
    put(name);
    put(std::string_view("\0", 1));
}

std::uint32_t ListWriter::finish() {
    const std::size_t n = out_.size();
    if (n == 0) return 0;
    if (total_ + 2 <= n) {
        out_[total_] = '\0';
        return static_cast<std::uint32_t>(total_);
    }
    if (n == 1) {
        out_[0] = '\0';
        return 0;
    }
    out_[n - 2] = '\0';
    out_[n - 1] = '\0';
    return static_cast<std::uint32_t>(n - 2);
}

}  // namespace xq::profile
