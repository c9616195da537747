// Values of named-entry files: the reading rules that every lookup shares.
#include "named/values.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>

#include "api/guard.h"
#include "api/text_copy.h"
#include "profile/profile.h"
#include "xq_utils.h"

namespace xq::named {

std::string_view value_conventions(std::string_view value) {
    if (const void* nul = std::memchr(value.data(), 0, value.size()))
        value = value.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - value.data()));
    if (value.empty() || value.front() == ';') return {};
    std::size_t length = value.size();
    while (length > 1 && is_value_space(value[length - 1])) --length;
    return value.substr(0, length);
}

std::string_view apply_value_conventions(std::span<char> value) {
    const std::string_view kept = value_conventions({value.data(), value.size()});
    if (kept.empty()) {
        if (!value.empty() && value[0] == ';') value[0] = '\0';
        return {};
    }
    // What was dropped is trailing white space up to the first terminator.
    for (std::size_t i = kept.size(); i < value.size() && value[i] != '\0'; ++i) value[i] = '\0';
    return kept;
}

NamedValue read_named_value(const char* section, const char* entry, std::span<char> buffer, const char* file) {
    if (section == nullptr || entry == nullptr || file == nullptr) return {ValueStatus::unread, {}};
    if (buffer.empty()) return {ValueStatus::no_value, {}};
    // With the default "" the reader writes only buffer[0] for a missing
    // file; putting that byte back keeps the buffer untouched.
    const char first = buffer[0];
    bool found = false;
    const auto capacity = static_cast<std::uint32_t>(
        std::min<std::size_t>(buffer.size(), std::numeric_limits<std::uint32_t>::max()));
    const std::uint32_t n = profile::read_string(section, entry, "", buffer.data(), capacity, file, &found);
    if (!found) {
        buffer[0] = first;
        return {ValueStatus::unread, {}};
    }
    if (n == 0) return {ValueStatus::no_value, {}};
    return {ValueStatus::found, apply_value_conventions(buffer.first(n))};
}

namespace {

// Value of the digit `c` in `base` (8, 10 or 16), or -1. Decimal digits
// cost one unsigned comparison; letters are looked at only in base 16.
int digit_value(char c, unsigned base) {
    const unsigned code = static_cast<unsigned char>(c);
    const unsigned decimal = code - unsigned{'0'};
    if (decimal < 10) return decimal < base ? static_cast<int>(decimal) : -1;
    if (base != 16) return -1;
    const unsigned letter = (code | 0x20U) - unsigned{'a'};  // 'A'-'F' fold onto 'a'-'f'
    return letter < 6 ? static_cast<int>(letter) + 10 : -1;
}

// The digits of base `Base` from `pos` on, up to the first other character.
// Unsigned arithmetic wraps, which keeps exactly the low 32 bits. The base is
// a constant so the multiplication and digit test compile to a few instructions.
template <unsigned Base>
std::uint32_t digits_from(std::string_view text, std::size_t pos) {
    std::uint32_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int d = digit_value(text[pos], Base);
        if (d < 0) break;
        value = value * Base + static_cast<std::uint32_t>(d);
    }
    return value;
}

// Position after leading white space and an optional sign; `negative` says
// which sign was read.
std::size_t skip_space_and_sign(std::string_view text, bool& negative) {
    std::size_t pos = 0;
    while (pos < text.size() && is_number_space(text[pos])) ++pos;
    negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    return pos;
}

}  // namespace

std::optional<std::int32_t> scan_cell(std::string_view text) {
    // Most cells are plain decimal numbers: no prefix rules to weigh.
    if (!text.empty() && text[0] >= '1' && text[0] <= '9') return static_cast<std::int32_t>(digits_from<10>(text, 0));
    bool negative = false;
    std::size_t pos = skip_space_and_sign(text, negative);
    if (pos == text.size() || digit_value(text[pos], 10) < 0) return std::nullopt;
    unsigned base = 10;
    if (text[pos] == '0') {
        base = 8;
        const bool hex_mark = pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X');
        if (hex_mark && pos + 2 < text.size() && digit_value(text[pos + 2], 16) >= 0) {
            base = 16;
            pos += 2;
        }
    }
    std::uint32_t value = base == 10 ? digits_from<10>(text, pos)
                          : base == 8  ? digits_from<8>(text, pos)
                                       : digits_from<16>(text, pos);
    if (negative) value = 0U - value;
    return static_cast<std::int32_t>(value);
}

std::int32_t scan_decimal(std::string_view text) {
    bool negative = false;
    std::size_t pos = skip_space_and_sign(text, negative);
    // Magnitude limit: INT32_MAX, or one more for a negative number.
    const std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + (negative ? 1 : 0);
    std::int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int d = digit_value(text[pos], 10);
        if (d < 0) break;
        value = value * 10 + d;
        if (value > limit) value = limit;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

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

// Array entries: "%Name" with an index names the entry Name<index>.
namespace xq::named {

bool array_entry_name(std::string_view name, std::int32_t index, ArrayName& out) {
    const std::size_t room = out.size() - 1;
    const bool member = !name.empty() && name.front() == '%';
    if (member) name.remove_prefix(1);
    if (name.size() > room) return false;
    std::memcpy(out.data(), name.data(), name.size());
    char* end = out.data() + name.size();
    if (member) {
        const auto [ptr, ec] = std::to_chars(end, out.data() + room, index);
        if (ec != std::errc{}) return false;
        end = ptr;
    }
    *end = '\0';
    return true;
}

}  // namespace xq::named

// Indirect references: the first two words of a value.
namespace xq::named {

std::optional<Reference> parse_reference(std::string_view value, std::uint32_t section_capacity,
                                         std::uint32_t entry_capacity) {
    const auto section = word_at(value, 1);
    const auto entry = word_at(value, 2);
    if (!section || !entry) return std::nullopt;
    if (!fits_reference_buffer(section->text, section_capacity) || !fits_reference_buffer(entry->text, entry_capacity))
        return std::nullopt;
    return Reference{section->text, entry->text};
}

}  // namespace xq::named
