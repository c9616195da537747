// Values of named-entry files as the lookups read them: the value
// conventions, integers, words and fields, array entry names and indirect
// references. Shared by the lookups, the rewrites and the configuration.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// Reading one value of a named-entry file with the library's value
// conventions: a value starting with ";" reads as empty (commented out), and
// trailing white space is dropped, never the value's first character.
namespace xq::named {

// White space of the value conventions: space and 0x09 to 0x0D.
constexpr bool is_value_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Applies the value conventions in place to the characters a reader
// delivered (`value`, terminated right after it): the text up to its first
// terminator loses trailing white space, each replaced by a terminator, and
// a leading ";" is replaced by a terminator. Returns the resulting text.
std::string_view apply_value_conventions(std::span<char> value);

// The text the value conventions leave of `value` without writing anything:
// up to its first NUL, empty for a leading ";", else without trailing white
// space (never the first character). The text apply_value_conventions gives.
std::string_view value_conventions(std::string_view value);

enum class ValueStatus {
    unread,    // the file cannot be opened (or no section, entry or file was named); buffer untouched
    no_value,  // the reader delivered no characters; buffer holds the empty text
    found,     // the reader delivered characters; `text` is the value after the conventions
};

struct NamedValue {
    ValueStatus status;
    std::string_view text;  // empty unless found; see the reader for where it lies
};

// Reads the entry's value into `buffer` (cut to buffer.size() - 1 characters)
// with one opening of the file, and applies the value conventions; the text
// lies in the buffer. An empty buffer is left alone and reads as no_value.
NamedValue read_named_value(const char* section, const char* entry, std::span<char> buffer, const char* file);

// The working buffers of the lookups, by the capacity each reads with.
using ValueBuffer200 = std::array<char, 200>;
using ValueBuffer256 = std::array<char, 256>;

}  // namespace xq::named

// Integers read from value text: the two conversions of named-entry values.
namespace xq::named {

// White space of the integer conversions: space and 0x09 to 0x0D.
constexpr bool is_number_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Reads a table cell like scanf's "%i": leading white space, an optional
// sign, then "0x"/"0X" and hexadecimal digits, a leading "0" and octal
// digits, or decimal digits, up to the first character that does not belong
// to the number ("0x" without hexadecimal digits reads as 0). nullopt when no
// digit can be read. A value beyond 32 bits keeps its low 32 bits, as an int
// filled by scanf does on the library's targets.
std::optional<std::int32_t> scan_cell(std::string_view text);

// Reads a decimal integer like atoi: leading white space, an optional sign,
// digits up to the first other character; 0 when there are none. A value
// beyond the 32-bit range is clamped to INT32_MIN or INT32_MAX.
std::int32_t scan_decimal(std::string_view text);

}  // namespace xq::named

// Splitting values into words and fields, shared by the lookups and the
// rewrites of named-entry files.
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

// Array entries: "%Name" with an array index names the entry Name<index>.
namespace xq::named {

// Entry names of array members fit 39 characters (a 40-byte name buffer).
inline constexpr std::size_t kArrayNameCapacity = 40;
using ArrayName = std::array<char, kArrayNameCapacity>;

// Builds the entry name for `name` and `index` into `out`, terminated: for a
// name starting with "%", the rest of it followed by index in decimal (with
// "-" when negative); otherwise the name itself. False when the result
// would not fit 39 characters (`out` then holds no usable name).
bool array_entry_name(std::string_view name, std::int32_t index, ArrayName& out);

}  // namespace xq::named

// Indirect references: a value whose first two words name a section and an
// entry of a second file.
namespace xq::named {

// A word of n characters fits a reference buffer of capacity c only when
// n <= c - 2: one byte more than the terminator needs is kept free.
constexpr bool fits_reference_buffer(std::string_view word, std::uint32_t capacity) {
    return word.size() + 1 < capacity;
}

struct Reference {
    std::string_view section;  // word 1
    std::string_view entry;    // word 2
};

// The first two words of `value` when both exist and fit their buffers.
std::optional<Reference> parse_reference(std::string_view value, std::uint32_t section_capacity,
                                         std::uint32_t entry_capacity);

}  // namespace xq::named
