// Named-entry files and values from arbitrary bytes; the first byte picks the
// part, the rest feeds it:
//  0 values: words and data fields lie inside the value, in order, free of
//    separators, and a word walk finds the same words; the value conventions work in place on a prefix, the one
//    their reading twin gives; the two integer conversions agree with strtoll;
//  1 token streams: two streams over one text, delimiter sets switched at
//    random: tokens are non-empty, free of the delimiters in use, stay intact
//    until closed; the text is never changed;
//  2 in-place rewriting: the file keeps its length, the rest of the entry's
//    line after its "=" is replaced right-aligned and nothing else; a refused
//    RplNamedString leaves the file byte-identical.

#include <cerrno>
#include <cstdlib>

#include "fuzz.h"
#include "named/in_place.h"
#include "named/values.h"

namespace {

using namespace xq::fuzz;
namespace nm = xq::named;
constexpr auto npos = std::string_view::npos;

// Pieces 1, 2, ... of `value` under `at`: non-empty, inside the value, in order, free of separators.
template <class At, class IsSeparator>
void pieces(std::string_view value, At at, IsSeparator is_separator) {
    std::size_t end = 0;
    for (int n = 1; const auto p = at(value, n); end = p->offset + p->text.size(), ++n) {
        check(!p->text.empty() && p->offset >= end && value.substr(p->offset, p->text.size()) == p->text &&
              std::none_of(p->text.begin(), p->text.end(), [&](char c) { return is_separator(c, n); }));
    }
}

void values(FuzzedDataProvider& in) {
    const std::string value = in.ConsumeRandomLengthString(600), z = c_text(value);

    pieces(value, nm::word_at, [](char c, int) { return nm::is_word_separator(c); });
    nm::WordWalk walk(value);  // finds what word_at finds, in an order that goes on, repeats, skips and goes back
    for (const int index : {2, 2, 5, 1, 3, 0, 9, 4, -1})
        check(walk.word(index) == nm::word_at(value, index).value_or(nm::Piece{}).text);
    pieces(value, nm::field_at, [](char c, int n) { return n == 1 ? nm::is_first_field_separator(c) : nm::is_field_separator(c); });
    std::string bytes = value + '\0';
    const std::string_view out = nm::apply_value_conventions({bytes.data(), value.size()});
    check((out.empty() || out.data() == bytes.data()) && std::strlen(bytes.c_str()) == out.size() && out == nm::value_conventions(value));

    char* end = nullptr;
    errno = 0;
    const long long wide = std::strtoll(z.c_str(), &end, 0);
    const std::optional<std::int32_t> cell = nm::scan_cell(z);
    check(cell.has_value() == (end != z.c_str()) && (!cell || errno == ERANGE || *cell == static_cast<std::int32_t>(static_cast<std::uint32_t>(wide))));
    check(nm::scan_decimal(z) == std::clamp<long long>(std::strtoll(z.c_str(), nullptr, 10), INT32_MIN, INT32_MAX));
}

void tokens(FuzzedDataProvider& in) {
    std::array<std::string, 4> sets;
    for (std::string& set : sets) set = c_text(in.ConsumeRandomLengthString(8));
    const std::string raw = in.ConsumeRandomLengthString(512), original = raw;
    std::array<TokenStream*, 2> streams{CreateStrTokEx(raw.c_str(), sets[0].c_str()), CreateStrTokEx(raw.c_str(), sets[1].c_str())};
    std::array<std::string, 2> in_use{sets[0], sets[1]};  // a null delimiter set keeps the last one
    std::vector<std::pair<const char*, std::string>> handed_out;
    for (int call = 0; call < 96 && in.remaining_bytes() > 0; ++call) {
        const std::size_t s = in.ConsumeBool() ? 1 : 0, pick = in.ConsumeIntegralInRange<std::size_t>(0, sets.size());
        if (pick < sets.size()) in_use[s] = sets[pick];
        if (const char* token = GetStrTokEx(streams[s], pick < sets.size() ? sets[pick].c_str() : nullptr))
            check(*token != '\0' && std::string_view(token).find_first_of(in_use[s]) == npos), handed_out.emplace_back(token, token);
    }
    for (const auto& [token, copy] : handed_out) check(copy == token);
    for (TokenStream* s : streams) check(s != nullptr && CloseStrTokEx(s) == 1);
    check(raw == original);
}

void rewrite(FuzzedDataProvider& in) {
    const std::string section = c_text(in.ConsumeRandomLengthString(32)), entry = c_text(in.ConsumeRandomLengthString(32));
    const std::string value = c_text(in.ConsumeRandomLengthString(64));
    const std::string contents = in.ConsumeRemainingBytesAsString();

    const auto write = nm::rewrite_entry_value(contents, section, entry, value);
    std::string expected = contents;
    if (write) {
        const std::size_t pad = write->bytes.size() - value.size();
        const std::size_t end = write->offset + write->bytes.size();  // the rest of a line after its "="
        check(std::min(contents.find_first_of("\r\n", write->offset), contents.size()) == end && write->offset > 0 &&
              contents[write->offset - 1] == '=' && write->bytes.substr(pad) == value && write->bytes.find_first_not_of(' ') >= pad);
        expected.replace(write->offset, write->bytes.size(), write->bytes);
    }
    const std::string path = scratch_file("f.ini", contents);
    check(RplNamedString(section.c_str(), entry.c_str(), value.c_str(), path.c_str()) == (write ? 1 : 0) && xq::test::read_bytes(path) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return run_part(data, size, {values, tokens, rewrite});
}
