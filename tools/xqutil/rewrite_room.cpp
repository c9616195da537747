#include "rewrite_room.h"

#include <fstream>
#include <iterator>

#include "local_name.h"

namespace xqutil {
namespace {

struct Word {
    std::size_t begin;
    std::size_t end;
};

// The word that starts at or after `from`, or nullopt.
std::optional<Word> next_word(std::string_view value, std::size_t from) {
    while (from < value.size() && is_word_separator(value[from])) ++from;
    if (from == value.size()) return std::nullopt;
    std::size_t end = from;
    while (end < value.size() && !is_word_separator(value[end])) ++end;
    return Word{from, end};
}

}  // namespace

std::optional<std::string> line_at(const std::string& file, std::uint32_t position) {
    std::ifstream in(local_name(file), std::ios::binary);
    if (!in || !in.seekg(position)) return std::nullopt;
    std::string line;
    for (std::istreambuf_iterator<char> it(in), end; it != end && *it != '\r' && *it != '\n'; ++it) line += *it;
    return line;
}

std::optional<std::size_t> value_room(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return line.size() - equals - 1;
}

std::optional<std::size_t> word_room(std::string_view value, std::int32_t index) {
    if (index < 1) return std::nullopt;
    std::size_t lowest = 1;  // the field never takes the value's first character
    std::optional<Word> word = next_word(value, 0);
    for (std::int32_t n = 1; word && n < index; ++n) {
        lowest = word->end + 1;  // nor the first separator after the previous word
        word = next_word(value, word->end);
    }
    if (!word) return std::nullopt;
    std::size_t begin = word->begin;
    while (begin > lowest && value[begin - 1] == ' ') --begin;
    return word->end - begin;
}

}  // namespace xqutil
