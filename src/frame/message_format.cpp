#include "frame/message_format.h"

#include <algorithm>
#include <cstring>

namespace xq::status {
namespace {

// Appends to a fixed buffer, keeping the last byte for the terminator and
// dropping whatever does not fit.
class BoundedWriter {
public:
    explicit BoundedWriter(std::span<char> out) : out_(out) {}

    void append(std::string_view text) {
        const std::size_t room = out_.size() - 1 - length_;
        const std::size_t n = std::min(text.size(), room);
        if (n == 0) return;  // an empty view may have no data at all
        std::memcpy(out_.data() + length_, text.data(), n);
        length_ += n;
    }
    bool full() const { return length_ == out_.size() - 1; }

    // Terminates and zero-fills the rest; the text's length.
    std::size_t finish() {
        std::memset(out_.data() + length_, 0, out_.size() - length_);
        return length_;
    }

private:
    std::span<char> out_;
    std::size_t length_ = 0;
};

}  // namespace

std::size_t format_message(std::string_view pattern, std::span<const std::string_view> inserts,
                           std::span<char> out) {
    if (out.empty()) return 0;
    BoundedWriter writer(out);
    std::size_t next_insert = 0;
    while (!pattern.empty() && !writer.full()) {
        const std::size_t percent = pattern.find('%');
        writer.append(pattern.substr(0, percent));
        if (percent == std::string_view::npos) break;
        const char directive = percent + 1 < pattern.size() ? pattern[percent + 1] : '\0';
        if (directive == 's') {
            if (next_insert < inserts.size()) writer.append(inserts[next_insert]);
            ++next_insert;
            pattern.remove_prefix(percent + 2);
        } else if (directive == '%') {
            writer.append("%");
            pattern.remove_prefix(percent + 2);
        } else {
            writer.append("%");
            pattern.remove_prefix(percent + 1);
        }
    }
    return writer.finish();
}

}  // namespace xq::status
