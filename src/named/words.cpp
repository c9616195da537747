#include "named/words.h"

namespace xq::named {

namespace {

// The separator tests as function objects rather than function pointers, so
// the scans below inline them instead of making a call per character.
constexpr auto word_separator = [](char c) { return is_word_separator(c); };
constexpr auto space_separator = [](char c) { return c == ' '; };
constexpr auto first_field_separator = [](char c) { return is_first_field_separator(c); };
constexpr auto field_separator = [](char c) { return is_field_separator(c); };

// Run number `index` (from 1) of `value` between separators, or nullopt.
template <class IsSeparator>
std::optional<Piece> run_at(std::string_view value, int index, IsSeparator is_separator) {
    if (index < 1) return std::nullopt;
    auto run = next_run(value, 0, is_separator);
    for (int n = 1; run && n < index; ++n) run = next_run(value, run->offset + run->text.size(), is_separator);
    return run;
}

}  // namespace

std::optional<Piece> word_at(std::string_view value, int index) { return run_at(value, index, word_separator); }

std::optional<Piece> space_word_at(std::string_view value, int index) {
    return run_at(value, index, space_separator);
}

int word_index(std::string_view value, std::string_view sought) {
    auto word = next_word(value, 0);
    for (int n = 1; word; ++n) {
        if (word->text == sought) return n;
        word = next_word(value, word->offset + word->text.size());
    }
    return 0;
}

std::optional<Piece> field_at(std::string_view value, int index) {
    if (index < 1) return std::nullopt;
    auto field = next_run(value, 0, first_field_separator);
    for (int n = 1; field && n < index; ++n)
        field = next_run(value, field->offset + field->text.size(), field_separator);
    return field;
}

std::optional<Piece> word_field(std::string_view value, int index) {
    const std::optional<Piece> word = word_at(value, index);
    if (!word) return std::nullopt;
    // The lowest offset the field may start at.
    std::size_t lowest = 1;
    if (index > 1) {
        const std::optional<Piece> previous = word_at(value, index - 1);
        lowest = previous->offset + previous->text.size() + 1;
    }
    std::size_t start = word->offset;
    while (start > lowest && value[start - 1] == ' ') --start;
    const std::size_t end = word->offset + word->text.size();
    return Piece{value.substr(start, end - start), start};
}

}  // namespace xq::named
