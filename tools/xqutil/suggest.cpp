#include "suggest.h"

#include <algorithm>
#include <cctype>

#include "ini_names.h"

namespace xqutil {
namespace {

char folded(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Levenshtein distance of `a` and `b`, letter case aside.
std::size_t distance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j < row.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (folded(a[i - 1]) == folded(b[j - 1]) ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::vector<std::string> nearest_names(const std::vector<std::string>& names, std::string_view name) {
    const std::size_t limit = std::max<std::size_t>(1, name.size() / 3);
    std::size_t best = limit + 1;
    std::vector<std::string> nearest;
    for (const std::string& each : names) {
        const std::size_t d = distance(each, name);
        if (d > best || each == name) continue;
        if (d < best) nearest.clear();
        best = d;
        nearest.push_back(each);
    }
    return nearest;
}

std::string suggestion(const std::vector<std::string>& names, std::string_view name, bool sections) {
    const std::vector<std::string> nearest = nearest_names(names, name);
    std::string text;
    for (std::size_t i = 0; i < nearest.size(); ++i) {
        text += std::string(i == 0 ? "; did you mean " : i + 1 == nearest.size() ? " or " : ", ") +
                (sections ? "[" + nearest[i] + "]" : "'" + nearest[i] + "'");
    }
    return text.empty() ? text : text + "?";
}

std::string entry_suggestion(const std::string& file, std::string_view section, std::string_view entry) {
    const std::vector<std::string> sections = section_names(file).value_or(std::vector<std::string>{});
    if (!has_name(sections, section)) return suggestion(sections, section, true);
    return suggestion(entry_names(file, section).value_or(std::vector<std::string>{}), entry);
}

}  // namespace xqutil
