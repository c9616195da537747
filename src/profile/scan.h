// The line scanner of profile files and their character rules, for 8-bit
// and UTF-16 text alike. Every reader of entries in the library scans lines
// here; each keeps its own matching rules on top.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <optional>
#include <string_view>

// Character rules of profile files, for 8-bit text and for UTF-16 text alike.
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

// The line scanner of profile files: splits text into lines, classifies a
// line, and finds sections and entries. Works on 8-bit text and on UTF-16
// text; positions are indexes into the text. Nothing here allocates.
//
// Line rules: a line ends at CR LF, LF or CR. A line whose first non-blank
// character is "[" is a section header; the name runs to the first "]" (or
// the line end) and is trimmed of blanks. A line whose first non-blank
// character is ";" is a comment. Any other line with "=" is an entry: the
// name is the text before the first "=", the value the text after it, both
// trimmed of blanks. A NUL ends the name or value it stands in; the rest of
// that part of the line is ignored. Lines before the first header belong to
// no section.
namespace xq::profile {

template <class Ch>
using View = std::basic_string_view<Ch>;

inline constexpr std::size_t npos = static_cast<std::size_t>(-1);

// One line: its text is [begin, end), its line break [end, next).
struct Line {
    std::size_t begin;
    std::size_t end;
    std::size_t next;
    bool has_break() const { return next != end; }
};

// The line that starts at `pos` (pos <= text.size()).
template <class Ch>
Line line_at(View<Ch> text, std::size_t pos) {
    std::size_t end = pos;
    if constexpr (std::is_same_v<Ch, char>) {
        // 8-bit text, the common case: memchr finds the LF and then a CR
        // before it (a CR alone ends a line too), in windows that double in
        // size, so that a file of CR line ends is not searched to its end
        // for an LF at every line.
        end = text.size();
        for (std::size_t at = pos, window = 64; at < text.size(); at += window, window *= 2) {
            const char* const from = text.data() + at;
            const std::size_t n = std::min(window, text.size() - at);
            const void* lf = std::memchr(from, '\n', n);
            const std::size_t m = lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - from) : n;
            const void* cr = m != 0 ? std::memchr(from, '\r', m) : nullptr;
            if (cr != nullptr || lf != nullptr) {
                end = at + (cr != nullptr ? static_cast<std::size_t>(static_cast<const char*>(cr) - from) : m);
                break;
            }
        }
    } else {
        while (end < text.size() && !is_line_break(text[end])) ++end;
    }
    std::size_t next = end;
    if (next < text.size()) {
        const bool crlf = text[next] == Ch('\r') && next + 1 < text.size() && text[next + 1] == Ch('\n');
        next += crlf ? std::size_t{2} : std::size_t{1};
    }
    return {pos, end, next};
}

enum class Kind { blank, header, comment, entry, other };

template <class Ch>
struct Parsed {
    Kind kind = Kind::blank;
    std::size_t indent = 0;  // blanks before the first other character
    View<Ch> name;           // header: section name; entry: entry name
    View<Ch> value;          // entry: the value, trimmed, quotes kept
};

// Classifies one line's text (without its line break).
template <class Ch>
Parsed<Ch> classify(View<Ch> text) {
    Parsed<Ch> p;
    std::size_t i = 0;
    while (i < text.size() && is_blank(text[i])) ++i;
    p.indent = i;
    if (i == text.size()) return p;
    if (text[i] == Ch('[')) {
        const View<Ch> rest = text.substr(i + 1);
        p.kind = Kind::header;
        p.name = trim_blanks(cut_at_nul(rest.substr(0, rest.find(Ch(']')))));
        return p;
    }
    if (text[i] == Ch(';')) {
        p.kind = Kind::comment;
        return p;
    }
    const std::size_t eq = text.find(Ch('='), i);
    if (eq == View<Ch>::npos) {
        p.kind = Kind::other;
        return p;
    }
    p.kind = Kind::entry;
    p.name = trim_blanks(cut_at_nul(text.substr(i, eq - i)));
    p.value = trim_blanks(cut_at_nul(text.substr(eq + 1)));
    return p;
}

template <class Ch>
Parsed<Ch> classify(View<Ch> text, const Line& line) {
    return classify(text.substr(line.begin, line.end - line.begin));
}

// Where a header line starts and where its "[" stands.
struct HeaderAt {
    std::size_t line;
    std::size_t bracket;
};

// The first header line whose "[" is at or after `from`, or nullopt. Only
// "[" characters are visited: one preceded on its line by blanks alone opens
// a header, so lines without "[" are never looked at.
template <class Ch>
[[gnu::always_inline]] inline std::optional<HeaderAt> next_header_at(View<Ch> text, std::size_t from) {
    for (;;) {
        const std::size_t bracket = text.find(Ch('['), from);
        if (bracket == View<Ch>::npos) return std::nullopt;
        std::size_t start = bracket;
        while (start > 0 && is_blank(text[start - 1])) --start;
        if (start == 0 || is_line_break(text[start - 1])) return HeaderAt{start, bracket};
        from = bracket + 1;
    }
}

// Start of the first header line that begins at or after `from`, or npos.
template <class Ch>
std::size_t next_header(View<Ch> text, std::size_t from) {
    const std::optional<HeaderAt> at = next_header_at(text, from);
    return at ? at->line : npos;
}

// A section: its header line, and its body [body, end) up to the next header
// line or the end of the text.
struct Section {
    Line header;
    std::size_t end;
    std::size_t body() const { return header.next; }
};

// An argument that starts with ";" names a comment and never matches.
template <class Ch>
bool can_match(View<Ch> name) {
    return name.empty() || name.front() != Ch(';');
}

// Whether `name` can equal a header's name at all: header names are trimmed
// and end at "]", a line break or NUL.
template <class Ch>
bool can_name_header(View<Ch> name) {
    if (!can_match(name)) return false;
    if (!name.empty() && (is_blank(name.front()) || is_blank(name.back()))) return false;
    for (const Ch c : name)
        if (c == Ch(']') || c == Ch(0) || is_line_break(c)) return false;
    return true;
}

// Whether the header whose "[" is at `bracket` is called `name` (which passed
// can_name_header). Headers of other names are usually told apart by their
// last or first character, so they cost a few comparisons each.
template <class Ch>
[[gnu::always_inline]] inline bool header_is(View<Ch> text, std::size_t bracket, View<Ch> name) {
    std::size_t i = bracket + 1;
    while (i < text.size() && is_blank(text[i])) ++i;
    if (!name.empty()) {
        const std::size_t last = i + name.size() - 1;
        if (last >= text.size() || fold(text[last]) != fold(name.back()) || fold(text[i]) != fold(name.front()))
            return false;
    }
    for (const Ch c : name) {
        if (i == text.size() || fold(text[i]) != fold(c)) return false;
        ++i;
    }
    while (i < text.size() && is_blank(text[i])) ++i;
    return i == text.size() || text[i] == Ch(']') || text[i] == Ch(0) || is_line_break(text[i]);
}

// The first section called `name` (already trimmed of spaces).
template <class Ch>
std::optional<Section> find_section(View<Ch> text, View<Ch> name) {
    if (!can_name_header(name)) return std::nullopt;
    for (std::optional<HeaderAt> at = next_header_at(text, 0); at; at = next_header_at(text, at->bracket + 1)) {
        if (!header_is(text, at->bracket, name)) continue;
        const Line header = line_at(text, at->line);
        const std::size_t following = next_header(text, header.next);
        return Section{header, following == npos ? text.size() : following};
    }
    return std::nullopt;
}

// Calls visit(line, parsed) for each line of the section's body, in order.
template <class Ch, class Visit>
void for_each_line(View<Ch> text, const Section& section, Visit&& visit) {
    for (std::size_t at = section.body(); at < section.end;) {
        const Line line = line_at(text, at);
        visit(line, classify(text, line));
        at = line.next;
    }
}

// An entry line and what it holds.
template <class Ch>
struct Found {
    Line line;
    Parsed<Ch> parsed;
};

// Whether the line at `at` may hold an entry called `name` (not empty): its
// first non-blank character must be the name's first. Saves classifying
// every line of the section.
template <class Ch>
bool may_be_entry(View<Ch> text, std::size_t at, View<Ch> name) {
    while (at < text.size() && is_blank(text[at])) ++at;
    return at < text.size() && fold(text[at]) == fold(name.front());
}

// The first entry line called `name` in the section, or nullopt.
template <class Ch>
std::optional<Found<Ch>> find_entry(View<Ch> text, const Section& section, View<Ch> name) {
    if (!can_match(name)) return std::nullopt;
    for (std::size_t at = section.body(); at < section.end;) {
        const Line line = line_at(text, at);
        if (name.empty() || may_be_entry(text, at, name)) {
            const Parsed<Ch> p = classify(text, line);
            if (p.kind == Kind::entry && same_name(p.name, name)) return Found<Ch>{line, p};
        }
        at = line.next;
    }
    return std::nullopt;
}

// Calls visit(name) for every section header of the text, in order.
template <class Ch, class Visit>
void for_each_section_name(View<Ch> text, Visit&& visit) {
    for (std::size_t at = next_header(text, 0); at != npos;) {
        const Line header = line_at(text, at);
        visit(classify(text, header).name);
        at = next_header(text, header.next);
    }
}

}  // namespace xq::profile
