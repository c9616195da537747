#include "named/comma_field.h"

#include <algorithm>

namespace xq::named {

std::optional<std::string> replace_comma_field(std::string_view value, int index, std::string_view data) {
    std::size_t start = 0;
    for (int n = 1; n < index; ++n) {
        const std::size_t comma = value.find(',', start);
        if (comma == std::string_view::npos) return std::nullopt;
        start = comma + 1;
    }
    const std::size_t end = std::min(value.find(',', start), value.size());
    std::string out(value.substr(0, start));
    out += data;
    out += value.substr(end);
    return out;
}

}  // namespace xq::named
