// Named-entry value parsing from arbitrary bytes: the value conventions,
// words and data fields, the two integer conversions (against the C
// library's strtoll), indirect references and array entry names. Checks
// that every piece lies inside its value and holds no separator, that word
// numbers agree with word_at, and that deliveries stay inside their capacity
// and are terminated. (Token streams: token_fuzz; the indirect lookup over
// files: indirect_fuzz.)
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "api/text_copy.h"
#include "named/values.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

using xq::named::Piece;

// The text up to its first NUL.
std::string_view c_text(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

void check_conventions(std::string_view raw) {
    std::vector<char> bytes(raw.begin(), raw.end());
    bytes.push_back('\0');
    const std::string_view out = xq::named::apply_value_conventions({bytes.data(), raw.size()});
    const std::string_view in = c_text(raw);
    check((out.empty() || out.data() == bytes.data()) && std::strlen(bytes.data()) == out.size());
    if (!in.empty() && in.front() == ';') return check(out.empty());
    check(in.substr(0, out.size()) == out);
    check(out.size() == in.size() || out.size() >= 1);
    if (out.size() > 1) check(!xq::named::is_value_space(out.back()));
    for (std::size_t i = out.size(); i < in.size(); ++i) check(xq::named::is_value_space(in[i]));
}

// Pieces 1, 2, ... of `value` under `at`: non-empty, inside the value, in
// order, free of separators. Returns them.
template <class At, class IsSeparator>
std::vector<Piece> check_pieces(std::string_view value, At at, IsSeparator is_separator) {
    std::vector<Piece> pieces;
    std::size_t end = 0;
    for (int n = 1;; ++n) {
        const std::optional<Piece> p = at(value, n);
        if (!p) break;
        check(!p->text.empty() && p->offset >= end && p->offset + p->text.size() <= value.size());
        check(value.substr(p->offset, p->text.size()) == p->text);
        for (const char c : p->text) check(!is_separator(c, n));
        end = p->offset + p->text.size();
        pieces.push_back(*p);
    }
    check(!at(value, 0) && !at(value, -1));
    return pieces;
}

void check_words_and_fields(std::string_view value) {
    const auto words = check_pieces(value, xq::named::word_at, [](char c, int) { return xq::named::is_word_separator(c); });
    for (std::size_t k = 0; k < words.size(); ++k) {
        const int index = xq::named::word_index(value, words[k].text);
        check(index >= 1 && static_cast<std::size_t>(index) <= k + 1);
        check(xq::named::word_at(value, index)->text == words[k].text);
    }
    std::size_t letters = 0;
    for (const char c : value) letters += xq::named::is_word_separator(c) ? 0 : 1;
    std::size_t in_words = 0;
    for (const Piece& w : words) in_words += w.text.size();
    check(letters == in_words);

    check_pieces(value, xq::named::field_at, [](char c, int n) {
        return n == 1 ? xq::named::is_first_field_separator(c) : xq::named::is_field_separator(c);
    });
}

void check_integers(std::string_view text) {
    const std::string z(c_text(text));
    char* end = nullptr;
    errno = 0;
    const long long wide = std::strtoll(z.c_str(), &end, 0);
    const bool overflow = errno == ERANGE;
    const std::optional<std::int32_t> cell = xq::named::scan_cell(z);
    check(cell.has_value() == (end != z.c_str()));
    if (cell && !overflow) check(*cell == static_cast<std::int32_t>(static_cast<std::uint32_t>(wide)));

    errno = 0;
    long long dec = std::strtoll(z.c_str(), nullptr, 10);
    dec = dec < INT32_MIN ? INT32_MIN : dec > INT32_MAX ? INT32_MAX : dec;
    check(xq::named::scan_decimal(z) == dec);
}

void check_reference(std::string_view value, std::uint32_t section_capacity, std::uint32_t entry_capacity) {
    const auto ref = xq::named::parse_reference(value, section_capacity, entry_capacity);
    const auto w1 = xq::named::word_at(value, 1);
    const auto w2 = xq::named::word_at(value, 2);
    const bool fits = w1 && w2 && w1->text.size() + 2 <= section_capacity && w2->text.size() + 2 <= entry_capacity;
    check(ref.has_value() == fits);
    if (ref) check(ref->section == w1->text && ref->entry == w2->text);
}

// A word or field handed over with the library's text copy.
void check_delivery(std::string_view piece, std::uint32_t capacity) {
    constexpr std::size_t kGuard = 16;
    std::vector<char> bytes(capacity + 2 * kGuard, '\x5A');
    char* out = bytes.data() + kGuard;
    xq::copy_text(out, capacity, piece);
    for (std::size_t i = 0; i < kGuard; ++i) check(bytes[i] == '\x5A' && bytes[kGuard + capacity + i] == '\x5A');
    if (capacity == 0) return;
    const std::size_t n = piece.size() < capacity ? piece.size() : capacity - 1;
    check(std::memcmp(out, piece.data(), n) == 0);
    for (std::size_t i = n; i < capacity; ++i) check(out[i] == '\0');
}

void check_array_name(std::string_view name, std::int32_t index) {
    xq::named::ArrayName out{};
    std::string expected(name);
    if (!expected.empty() && expected.front() == '%') expected = expected.substr(1) + std::to_string(index);
    const bool built = xq::named::array_entry_name(name, index, out);
    check(built == (expected.size() <= 39));
    if (built) check(std::memcmp(out.data(), expected.c_str(), expected.size() + 1) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const auto section_capacity = in.ConsumeIntegralInRange<std::uint32_t>(0, 300);
    const auto entry_capacity = in.ConsumeIntegralInRange<std::uint32_t>(0, 300);
    const auto index = in.ConsumeIntegral<std::int32_t>();
    const std::string value = in.ConsumeRandomLengthString(600);

    check_conventions(value);
    check_words_and_fields(value);
    check_integers(value);
    check_reference(value, section_capacity, entry_capacity);
    if (const auto word = xq::named::word_at(value, index % 8)) check_delivery(word->text, section_capacity);
    if (const auto field = xq::named::field_at(value, index % 8)) check_delivery(field->text, entry_capacity);
    check_array_name(c_text(value.substr(0, 64)), index);
    return 0;
}
