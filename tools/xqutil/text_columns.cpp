#include "text_columns.h"

#include <algorithm>

namespace xqutil {

std::string text_columns(const std::vector<std::vector<std::string>>& rows, const std::vector<bool>& right) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    }
    std::string out;
    for (const auto& row : rows) {
        if (&row != &rows.front()) out += '\n';
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::string padding(widths[c] - row[c].size(), ' ');
            if (c > 0) line += "  ";
            line += c < right.size() && right[c] ? padding + row[c] : row[c] + padding;
        }
        out += line.substr(0, line.find_last_not_of(' ') + 1);
    }
    return out;
}

}  // namespace xqutil
