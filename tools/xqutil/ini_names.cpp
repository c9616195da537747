#include "ini_names.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "local_name.h"

namespace xqutil {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\v'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return folded(x) == folded(y); });
}

// A line's section name (when it is a header) or entry name (when it is an
// entry); nothing for comments, blank lines and lines without "=".
struct Name {
    bool header = false;
    std::string_view text;
};

std::optional<Name> name_of(std::string_view line) {
    line = trimmed(line);
    if (line.empty() || line.front() == ';') return std::nullopt;
    if (line.front() == '[') {
        line.remove_prefix(1);
        return Name{true, trimmed(line.substr(0, line.find(']')))};
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return Name{false, trimmed(line.substr(0, equals))};
}

// Calls visit(name) for every header and entry line of the file; false when
// the file cannot be read.
template <class Visit>
bool scan(const std::string& file, Visit&& visit) {
    std::ifstream in(local_name(file), std::ios::binary);
    if (!in) return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string text = bytes.str();
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) end = text.size();
        if (const std::optional<Name> name = name_of(std::string_view(text).substr(at, end - at))) visit(*name);
        at = end + 1;
    }
    return true;
}

void add_once(std::vector<std::string>& names, std::string_view name) {
    if (!has_name(names, name)) names.emplace_back(name);
}

}  // namespace

bool has_name(const std::vector<std::string>& names, std::string_view name) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& each) { return same_name(each, name); });
}

std::optional<std::vector<std::string>> section_names(const std::string& file) {
    std::vector<std::string> names;
    if (!scan(file, [&](const Name& name) {
            if (name.header) add_once(names, name.text);
        })) {
        return std::nullopt;
    }
    return names;
}

std::optional<std::vector<std::string>> entry_names(const std::string& file, std::string_view section) {
    std::vector<std::string> names;
    enum { before, inside, after } state = before;
    if (!scan(file, [&](const Name& name) {
            if (name.header) {
                if (state == inside) state = after;
                if (state == before && same_name(name.text, section)) state = inside;
            } else if (state == inside) {
                add_once(names, name.text);
            }
        })) {
        return std::nullopt;
    }
    return names;
}

}  // namespace xqutil
