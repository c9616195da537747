// Character rules of profile files, for 8-bit text and for UTF-16 text alike.
#pragma once

#include <cstddef>
#include <string_view>

namespace xq::profile {

// Blank inside file text: space, tab, vertical tab.
template <class Ch>
constexpr bool is_blank(Ch c) {
    return c == Ch(' ') || c == Ch('\t') || c == Ch('\v');
}

template <class Ch>
constexpr bool is_line_break(Ch c) {
    return c == Ch('\r') || c == Ch('\n');
}

// ASCII letters fold to lower case; every other character is its own fold.
template <class Ch>
constexpr Ch fold(Ch c) {
    return (c >= Ch('A') && c <= Ch('Z')) ? Ch(c + Ch('a' - 'A')) : c;
}

// Names compare without regard to the case of ASCII letters.
template <class Ch>
constexpr bool same_name(std::basic_string_view<Ch> a, std::basic_string_view<Ch> b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

// `text` without blanks at either end.
template <class Ch>
constexpr std::basic_string_view<Ch> trim_blanks(std::basic_string_view<Ch> text) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && is_blank(text[b])) ++b;
    while (e > b && is_blank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

// `text` without spaces (0x20 only) at either end: the rule for name arguments.
template <class Ch>
constexpr std::basic_string_view<Ch> trim_spaces(std::basic_string_view<Ch> text) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && text[b] == Ch(' ')) ++b;
    while (e > b && text[e - 1] == Ch(' ')) --e;
    return text.substr(b, e - b);
}

// `text` up to its first NUL: a NUL ends the name or value it stands in.
template <class Ch>
constexpr std::basic_string_view<Ch> cut_at_nul(std::basic_string_view<Ch> text) {
    const std::size_t nul = text.find(Ch(0));
    return nul == std::basic_string_view<Ch>::npos ? text : text.substr(0, nul);
}

// A value of two or more characters enclosed in one pair of the same quote
// character (" or ') loses that outer pair; anything else is kept.
template <class Ch>
constexpr std::basic_string_view<Ch> unquote(std::basic_string_view<Ch> value) {
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == Ch('"') || value.front() == Ch('\'')))
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace xq::profile
