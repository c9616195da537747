// The line scanner of profile files and their character rules, for 8-bit
// and UTF-16 text alike. Every reader of entries in the library scans lines
// here; each keeps its own matching rules on top.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <optional>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
// 8-bit characters fold through a table: names are compared a character at
// a time on the hot path of every lookup.
inline constexpr auto kFolded = [] {
    std::array<unsigned char, 256> table{};
    for (unsigned c = 0; c < 256; ++c) table[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 0x20 : c);
    return table;
}();

inline constexpr auto kEndsHeaderName = [] {
    std::array<bool, 256> table{};
    table[']'] = table['\0'] = table['\r'] = table['\n'] = true;
    return table;
}();

template <class Ch>
constexpr Ch fold(Ch c) {
    if constexpr (std::is_same_v<Ch, char>) {
        return static_cast<char>(kFolded[static_cast<unsigned char>(c)]);
    } else {
        return (c >= Ch('A') && c <= Ch('Z')) ? Ch(c + Ch('a' - 'A')) : c;
    }
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
};

// Offset of the first CR or LF among the `n` characters at `p`, or n.
[[gnu::always_inline]] inline std::size_t break_offset(const char* p, std::size_t n) {
#if defined(__SSE2__)
    // Sixteen characters a compare: lines are short, and a library call per
    // line (or two, one for each break character) would cost more than the
    // search itself.
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const auto breaks = [&](std::size_t at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
    };
    std::size_t i = 0;
    // Thirty-two characters a step: most lines end within the first, so the
    // loop's exit is predictable.
    for (; i + 32 <= n; i += 32) {
        const unsigned hits = breaks(i) | breaks(i + 16) << 16;
        if (hits != 0) return i + static_cast<std::size_t>(std::countr_zero(hits));
    }
    for (; i + 16 <= n; i += 16) {
        const unsigned hits = breaks(i);
        if (hits != 0) return i + static_cast<std::size_t>(std::countr_zero(hits));
    }
    while (i < n && p[i] != '\r' && p[i] != '\n') ++i;
    return i;
#else
    // memchr finds the LF and then a CR before it, in windows that double in
    // size, so that a file of CR line ends is not searched to its end for an
    // LF at every line.
    for (std::size_t at = 0, window = 64; at < n; at += window, window *= 2) {
        const char* const from = p + at;
        const std::size_t w = std::min(window, n - at);
        const void* lf = std::memchr(from, '\n', w);
        const std::size_t m = lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - from) : w;
        const void* cr = m != 0 ? std::memchr(from, '\r', m) : nullptr;
        if (cr != nullptr) return at + static_cast<std::size_t>(static_cast<const char*>(cr) - from);
        if (lf != nullptr) return at + m;
    }
    return n;
#endif
}

// Position of `c` in `text` at or after `from`, or npos: memchr for 8-bit
// text, without the checks of string_view::find on the hot path.
template <class Ch>
std::size_t find_char(View<Ch> text, Ch c, std::size_t from) {
    if constexpr (std::is_same_v<Ch, char>) {
        if (from >= text.size()) return npos;
        const void* hit = std::memchr(text.data() + from, c, text.size() - from);
        return hit != nullptr ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : npos;
    } else {
        return text.find(c, from);
    }
}

// The line that starts at `pos` (pos <= text.size()).
template <class Ch>
[[gnu::always_inline]] inline Line line_at(View<Ch> text, std::size_t pos) {
    std::size_t end = pos;
    if constexpr (std::is_same_v<Ch, char>) {
        end += break_offset(text.data() + pos, text.size() - pos);
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

// Start of the line of the "[" at `bracket` when blanks alone precede it on
// its line (it opens a header), else npos.
template <class Ch>
std::size_t header_line_of(View<Ch> text, std::size_t bracket) {
    std::size_t start = bracket;
    while (start > 0 && is_blank(text[start - 1])) --start;
    return start == 0 || is_line_break(text[start - 1]) ? start : npos;
}

// Start of the first header line whose "[" is at or after `from`, or npos.
// Only "[" characters are visited, so lines without "[" are never looked at.
template <class Ch>
std::size_t next_header(View<Ch> text, std::size_t from) {
    for (std::size_t bracket = find_char(text, Ch('['), from); bracket != npos;
         bracket = find_char(text, Ch('['), bracket + 1)) {
        const std::size_t line = header_line_of(text, bracket);
        if (line != npos) return line;
    }
    return npos;
}

// A section: its header line; its body runs from the next line up to the
// next header line or the end of the text.
struct Section {
    Line header;
    std::size_t body() const { return header.next; }
};

// An argument that starts with ";" names a comment and never matches.
template <class Ch>
bool can_match(View<Ch> name) {
    return name.empty() || name.front() != Ch(';');
}

// "]", NUL and the line breaks end a header's name.
template <class Ch>
constexpr bool ends_header_name(Ch c) {
    if constexpr (std::is_same_v<Ch, char>) {
        return kEndsHeaderName[static_cast<unsigned char>(c)];
    } else {
        return c == Ch(']') || c == Ch(0) || is_line_break(c);
    }
}

// Whether `name` can equal a header's name at all: header names are trimmed
// and end at "]", a line break or NUL.
template <class Ch>
bool can_name_header(View<Ch> name) {
    if (!can_match(name)) return false;
    if (!name.empty() && (is_blank(name.front()) || is_blank(name.back()))) return false;
    for (const Ch c : name)
        if (ends_header_name(c)) return false;
    return true;
}

// Whether the header whose "[" is at `bracket` reads as `name`. A name that
// cannot name a header (can_name_header) may still pass; the caller asks.
// Headers of other names are usually told apart by their last or first
// character, so they cost a few comparisons each.
template <class Ch>
[[gnu::always_inline]] inline bool header_is(View<Ch> text, std::size_t bracket, View<Ch> name) {
    std::size_t i = bracket + 1;
    while (i < text.size() && is_blank(text[i])) ++i;
    const std::size_t n = name.size();
    if (n > text.size() - i) return false;
    const Ch* const at = text.data() + i;
    if (n != 0 && (fold(at[n - 1]) != fold(name[n - 1]) || fold(at[0]) != fold(name[0]))) return false;
    for (std::size_t k = 1; k + 1 < n; ++k)
        if (fold(at[k]) != fold(name[k])) return false;
    i += n;
    while (i < text.size() && is_blank(text[i])) ++i;
    return i == text.size() || text[i] == Ch(']') || text[i] == Ch(0) || is_line_break(text[i]);
}

#if defined(__SSE2__)
// The first (up to) sixteen characters of a name, folded, compared with the
// sixteen characters at a header in one step: in a large file nearly every
// header is another one, and one well-predicted branch sets it aside.
class FoldedPrefix {
public:
    explicit FoldedPrefix(std::string_view name) {
        alignas(16) char bytes[16] = {};
        const std::size_t n = std::min<std::size_t>(name.size(), 16);
        for (std::size_t k = 0; k < n; ++k) bytes[k] = fold(name[k]);
        prefix_ = _mm_load_si128(reinterpret_cast<const __m128i*>(bytes));
        mask_ = n == 16 ? 0xFFFFU : (1U << n) - 1;
    }
    // False when the text at `p` (sixteen readable characters) cannot begin
    // the name.
    bool may_begin(const char* p) const {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i upper =
            _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('A' - 1)), _mm_cmplt_epi8(v, _mm_set1_epi8('Z' + 1)));
        v = _mm_or_si128(v, _mm_and_si128(upper, _mm_set1_epi8(0x20)));
        const auto same = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, prefix_)));
        return (same & mask_) == mask_;
    }

private:
    __m128i prefix_;
    unsigned mask_;
};
#endif

// The first section called `name` (already trimmed of spaces). Every "["
// is a candidate; most are told apart by their name's first characters
// before it is asked whether they open a line, and the name's own characters
// are checked only when a header has matched it.
template <class Ch>
std::optional<Section> find_section(View<Ch> text, View<Ch> name) {
    if (!can_match(name)) return std::nullopt;
#if defined(__SSE2__)
    [[maybe_unused]] const auto prefix = [&] {
        if constexpr (std::is_same_v<Ch, char>) return FoldedPrefix(name);
        else return 0;
    }();
#endif
    for (std::size_t bracket = find_char(text, Ch('['), 0); bracket != npos;
         bracket = find_char(text, Ch('['), bracket + 1)) {
#if defined(__SSE2__)
        if constexpr (std::is_same_v<Ch, char>) {
            const std::size_t at = bracket + 1;
            if (at + 16 <= text.size() && !is_blank(text[at]) && !prefix.may_begin(text.data() + at)) continue;
        }
#endif
        if (!header_is(text, bracket, name)) continue;
        const std::size_t start = header_line_of(text, bracket);
        if (start == npos) continue;
        if (!can_name_header(name)) return std::nullopt;
        return Section{line_at(text, start)};
    }
    return std::nullopt;
}

// Calls visit(line, parsed) for each line of the section's body, in order.
template <class Ch, class Visit>
void for_each_line(View<Ch> text, const Section& section, Visit&& visit) {
    for (std::size_t at = section.body(); at < text.size();) {
        const Line line = line_at(text, at);
        const Parsed<Ch> parsed = classify(text, line);
        if (parsed.kind == Kind::header) return;
        visit(line, parsed);
        at = line.next;
    }
}

// An entry line and what it holds.
template <class Ch>
struct Found {
    Line line;
    Parsed<Ch> parsed;
};

// The first entry line called `name` in the section, or nullopt. A line is
// classified only when its first non-blank character is the name's first;
// one whose first is "[" ends the section.
template <class Ch>
std::optional<Found<Ch>> find_entry(View<Ch> text, const Section& section, View<Ch> name) {
    if (!can_match(name)) return std::nullopt;
    for (std::size_t at = section.body(); at < text.size();) {
        std::size_t first = at;
        while (first < text.size() && is_blank(text[first])) ++first;
        if (first == text.size()) break;
        if (text[first] == Ch('[')) break;
        const Line line = line_at(text, at);
        if (name.empty() || fold(text[first]) == fold(name.front())) {
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
