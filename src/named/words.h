// Splitting values into words and fields, shared by the lookups and the
// rewrites of named-entry files.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace xq::named {

// A piece of a value: its text and where it starts in the value.
struct Piece {
    std::string_view text;
    std::size_t offset;
};

// Word separators of named-entry values: space, tab, CR and LF (not VT or FF).
constexpr bool is_word_separator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The run of characters other than separators that starts at or after
// `pos`, or nullopt at the end. `is_separator` is a function object, so the
// scan inlines it rather than calling per character.
template <class IsSeparator>
std::optional<Piece> next_run(std::string_view value, std::size_t pos, IsSeparator is_separator) {
    while (pos < value.size() && is_separator(value[pos])) ++pos;
    if (pos == value.size()) return std::nullopt;
    std::size_t end = pos;
    while (end < value.size() && !is_separator(value[end])) ++end;
    return Piece{value.substr(pos, end - pos), pos};
}

// The word that starts at or after `pos`, or nullopt at the end.
inline std::optional<Piece> next_word(std::string_view value, std::size_t pos) {
    return next_run(value, pos, [](char c) { return is_word_separator(c); });
}

// Word number `index` (from 1) of `value`; nullopt when there are fewer words
// or index is below 1. Runs of separators never make empty words.
std::optional<Piece> word_at(std::string_view value, int index);

// Words of one value by number, as word_at finds them, for reading several:
// words asked for in ascending order cost one walk over the value.
class WordWalk {
public:
    explicit WordWalk(std::string_view value) : value_(value) {}

    // Word number `index` (from 1); empty when there is none (words never are).
    std::string_view word(int index) {
        if (index < 1) return {};
        if (index < number_) number_ = 0;  // behind the walk: start over
        std::size_t pos = number_ == 0 ? 0 : end_;
        while (number_ < index) {
            while (pos < value_.size() && is_word_separator(value_[pos])) ++pos;
            if (pos == value_.size()) return {};
            start_ = pos;
            while (pos < value_.size() && !is_word_separator(value_[pos])) ++pos;
            end_ = pos;
            ++number_;
        }
        return value_.substr(start_, end_ - start_);
    }

private:
    std::string_view value_;
    int number_ = 0;  // the number of the word [start_, end_), 0 before the first
    std::size_t start_ = 0;
    std::size_t end_ = 0;
};

// Word number `index` (from 1) of `value` split at the space character (0x20)
// only, as the configuration lookups split: tabs, CR and LF belong to words.
// nullopt when there are fewer words or index is below 1.
std::optional<Piece> space_word_at(std::string_view value, int index);

// The number (from 1) of the first word equal to `word`, byte for byte; 0 when none.
int word_index(std::string_view value, std::string_view word);

// The room of word number `index` for replacing it in place: the word,
// extended to the left over the spaces (0x20 only) directly before it, but
// never over the first separator after the previous word nor over the
// value's first character. nullopt when there is no such word.
std::optional<Piece> word_field(std::string_view value, int index);

// Field separators of data values: field 1 ends at a comma only; every later
// field at a comma or an apostrophe.
constexpr bool is_first_field_separator(char c) { return c == ','; }
constexpr bool is_field_separator(char c) { return c == ',' || c == '\''; }

// Field number `index` (from 1) of a data value; nullopt when there are fewer
// fields or index is below 1. Runs of separators never make empty fields.
std::optional<Piece> field_at(std::string_view value, int index);

}  // namespace xq::named
