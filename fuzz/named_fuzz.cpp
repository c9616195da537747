// Named-entry files and values from arbitrary bytes; the first byte picks the
// part, the rest feeds it:
//  0 values: the value conventions, words and data fields (inside the value,
//    in order, free of separators; word numbers agree with word_at), the two
//    integer conversions against strtoll, references, array entry names and
//    deliveries inside their capacity, terminated and zero-filled;
//  1 token streams: two streams over one text, delimiter sets switched at
//    random, each deliver a simple model's tokens, stay ended once ended,
//    keep handed-out tokens intact until closed, never change the text;
//  2 in-place rewriting: the scanner's line starts with the entry and follows
//    a header of the section; the rewrite keeps the length and changes only
//    that line's value field, right-aligned; RplNamedString on a file does
//    just that; word and comma fields keep what they do not replace;
//  3 GetNamedStringIndirect against GetNamedString and word_at: 1 exactly when
//    the words exist and fit with a byte to spare; a failed first step writes
//    nothing, a failed second step keeps the pair of words; nothing written
//    past a word's terminator (a form feed splits off the second file);
//  4 a table snapshot delivers what the profile reader delivers with the
//    value conventions, and a row by number is the row by name.

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "api/text_copy.h"
#include "convert/table.h"
#include "fuzz.h"
#include "named/in_place.h"
#include "named/values.h"
#include "profile/profile.h"
#include "profile/scan.h"

namespace {

using namespace xq::fuzz;
namespace nm = xq::named;
constexpr auto npos = std::string_view::npos;

// Pieces 1, 2, ... of `value` under `at`: non-empty, inside the value, in order, free of separators.
template <class At, class IsSeparator>
std::vector<nm::Piece> pieces(std::string_view value, At at, IsSeparator is_separator) {
    std::vector<nm::Piece> out;
    for (int n = 1; const auto p = at(value, n); ++n) {
        check(!p->text.empty() && p->offset >= (out.empty() ? 0 : out.back().offset + out.back().text.size()));
        check(p->offset + p->text.size() <= value.size() && value.substr(p->offset, p->text.size()) == p->text);
        check(std::none_of(p->text.begin(), p->text.end(), [&](char c) { return is_separator(c, n); }));
        out.push_back(*p);
    }
    check(!at(value, 0) && !at(value, -1));
    return out;
}

void values(FuzzedDataProvider& in) {
    const auto section_capacity = in.ConsumeIntegralInRange<std::uint32_t>(0, 300);
    const auto entry_capacity = in.ConsumeIntegralInRange<std::uint32_t>(0, 300);
    const auto index = in.ConsumeIntegral<std::int32_t>();
    const std::string value = in.ConsumeRandomLengthString(600), z = c_text(value);

    std::string bytes = value + '\0';  // the conventions, in place
    const std::string_view out = nm::apply_value_conventions({bytes.data(), value.size()});
    check((out.empty() || out.data() == bytes.data()) && std::strlen(bytes.c_str()) == out.size());
    if (z.starts_with(';')) check(out.empty());
    else check(z.starts_with(out) && (out.size() == z.size() || out.size() >= 1) && (out.size() <= 1 || !nm::is_value_space(out.back())) &&
               std::all_of(z.begin() + static_cast<std::ptrdiff_t>(out.size()), z.end(), nm::is_value_space));

    const auto words = pieces(value, nm::word_at, [](char c, int) { return nm::is_word_separator(c); });
    std::size_t in_words = 0;
    for (std::size_t k = 0; k < words.size(); in_words += words[k++].text.size()) {
        const int n = nm::word_index(value, words[k].text);
        check(n >= 1 && static_cast<std::size_t>(n) <= k + 1 && nm::word_at(value, n)->text == words[k].text);
    }
    check(in_words == static_cast<std::size_t>(std::count_if(value.begin(), value.end(), [](char c) { return !nm::is_word_separator(c); })));
    pieces(value, nm::field_at, [](char c, int n) { return n == 1 ? nm::is_first_field_separator(c) : nm::is_field_separator(c); });

    char* end = nullptr;
    errno = 0;
    const long long wide = std::strtoll(z.c_str(), &end, 0);
    const bool overflow = errno == ERANGE;
    const std::optional<std::int32_t> cell = nm::scan_cell(z);
    check(cell.has_value() == (end != z.c_str()) && (!cell || overflow || *cell == static_cast<std::int32_t>(static_cast<std::uint32_t>(wide))));
    check(nm::scan_decimal(z) == std::clamp<long long>(std::strtoll(z.c_str(), nullptr, 10), INT32_MIN, INT32_MAX));

    const auto ref = nm::parse_reference(value, section_capacity, entry_capacity);
    const auto w1 = nm::word_at(value, 1), w2 = nm::word_at(value, 2);
    check(ref.has_value() == (w1 && w2 && w1->text.size() + 2 <= section_capacity && w2->text.size() + 2 <= entry_capacity));
    if (ref) check(ref->section == w1->text && ref->entry == w2->text);

    const auto deliver = [](const std::optional<nm::Piece>& piece, std::uint32_t capacity) {
        if (!piece) return;
        Guarded b(capacity);
        xq::copy_text(b.data(), capacity, piece->text);
        if (capacity > 0) check(b.inside() == std::string(piece->text.substr(0, capacity - 1)).append(capacity - std::min<std::size_t>(piece->text.size(), capacity - 1), '\0'));
        else b.untouched();
    };
    deliver(nm::word_at(value, index % 8), section_capacity);
    deliver(nm::field_at(value, index % 8), entry_capacity);

    const std::string name = c_text(value.substr(0, 64));
    std::string expected = name.starts_with('%') ? name.substr(1) + std::to_string(index) : name;
    nm::ArrayName array{};
    check(nm::array_entry_name(name, index, array) == (expected.size() <= 39));
    if (expected.size() <= 39) check(std::memcmp(array.data(), expected.c_str(), expected.size() + 1) == 0);
}

// The expected tokens of one stream: skip delimiters, take the rest, consume the delimiters after it.
struct Model {
    std::string_view text, set;
    std::size_t at = 0;
    bool ended = false;
    std::string_view next(const std::string* delimiters) {
        if (delimiters != nullptr) set = *delimiters;
        const auto skip = [&](bool delimiter) {
            while (at < text.size() && (set.substr(0, set.find('\0')).find(text[at]) != npos) == delimiter) ++at;
        };
        if (ended || (skip(true), at == text.size())) return ended = true, std::string_view();
        const std::size_t start = at;
        skip(false);
        const std::string_view token = text.substr(start, at - start);
        return skip(true), token;
    }
};

void tokens(FuzzedDataProvider& in) {
    std::array<std::string, 4> sets;
    for (std::string& set : sets) set = in.ConsumeRandomLengthString(8);
    const std::string raw = in.ConsumeRandomLengthString(512), text = c_text(raw), original = raw;
    struct Stream {
        TokenStream* handle;
        Model model;
        std::vector<std::pair<const char*, std::string_view>> handed_out;
    };
    std::array<Stream, 2> streams{{{CreateStrTokEx(raw.c_str(), sets[0].c_str()), {text, sets[0]}, {}},
                                   {CreateStrTokEx(raw.c_str(), sets[1].c_str()), {text, sets[1]}, {}}}};
    for (int call = 0; call < 96 && in.remaining_bytes() > 0; ++call) {
        Stream& s = streams[in.ConsumeBool() ? 1 : 0];
        const std::size_t pick = in.ConsumeIntegralInRange<std::size_t>(0, sets.size());
        const std::string* delimiters = pick < sets.size() ? &sets[pick] : nullptr;
        const char* token = GetStrTokEx(s.handle, delimiters != nullptr ? delimiters->c_str() : nullptr);
        const std::string_view expected = s.model.next(delimiters);
        check(expected.empty() ? token == nullptr : token != nullptr && token == expected);
        if (token != nullptr) s.handed_out.emplace_back(token, expected);
    }
    for (Stream& s : streams) {
        check(s.handle != nullptr);
        for (const auto& [token, expected] : s.handed_out) check(token == expected);
        check(CloseStrTokEx(s.handle) == 1);
    }
    check(raw == original && GetStrTokEx(nullptr, sets[0].c_str()) == nullptr && CloseStrTokEx(nullptr) == 0);
}

std::string_view line_text(std::string_view contents, std::size_t pos) {
    const xq::profile::Line line = xq::profile::line_at<char>(contents, pos);
    return contents.substr(line.begin, line.end - line.begin);
}

void rewrite(FuzzedDataProvider& in) {
    const std::string section = c_text(in.ConsumeRandomLengthString(32)), entry = c_text(in.ConsumeRandomLengthString(32));
    const std::string value = c_text(in.ConsumeRandomLengthString(64));
    const int index = in.ConsumeIntegralInRange<int>(-2, 8);
    const bool on_disk = in.ConsumeIntegralInRange<int>(0, 7) == 0;  // the file round trip is slow
    const std::string contents = in.ConsumeRemainingBytesAsString();

    const auto pos = nm::find_entry_line(contents, section, entry);
    if (pos) {
        check(*pos > 0 && *pos < contents.size());
        const char before = contents[*pos - 1];  // the line starts after a line end
        check(before == '\n' || (before == '\r' && contents[*pos] != '\n'));
        check(!entry.empty() && line_text(contents, *pos).starts_with(entry));
        bool header = false;  // a header of the section starts a line before it
        for (std::size_t at = 0; at < *pos; at = xq::profile::line_at<char>(contents, at).next)
            header = header || (line_text(contents, at).starts_with('[') && line_text(contents, at).substr(1).starts_with(section));
        check(header);
    }
    const auto write = nm::rewrite_entry_value(contents, section, entry, value);
    const auto field = pos ? nm::value_field(contents, *pos) : std::nullopt;
    std::string expected = contents;
    check(pos || !write);
    if (pos && !write) check(!field || value.size() > field->size || value.find_first_of("\r\n") != npos);
    if (write) {
        const std::size_t pad = write->bytes.size() - value.size();
        check(field && field->offset == write->offset && field->size == write->bytes.size());
        check(write->bytes.substr(pad) == value && write->bytes.find_first_not_of(' ') >= pad);
        expected.replace(write->offset, write->bytes.size(), write->bytes);
        check(expected.size() == contents.size());  // the field lies inside the file
        if (entry.find('=') == npos) check(nm::find_entry_line(expected, section, entry) == pos);  // lines stay put
    }
    if (on_disk) {
        const std::string path = scratch_file("f.ini", contents);
        check(GetNamedStringPos(section.c_str(), entry.c_str(), path.c_str()) == (pos && *pos <= UINT32_MAX ? *pos : 0));
        check(RplNamedString(section.c_str(), entry.c_str(), value.c_str(), path.c_str()) == (write ? 1 : 0));
        check(xq::test::read_bytes(path) == expected);
    }
    const std::string_view head = std::string_view(contents).substr(0, 300);
    const auto wf = nm::word_field(head, index), word = nm::word_at(head, index);
    check(wf.has_value() == word.has_value());
    if (wf) {
        const std::string_view pad = wf->text.substr(0, wf->text.size() - word->text.size());
        check(wf->offset + wf->text.size() == word->offset + word->text.size() && wf->text.ends_with(word->text));
        check(pad.find_first_not_of(' ') == npos && (pad.empty() || wf->offset > 0));
    }
    const auto commas = [](std::string_view t) { return std::count(t.begin(), t.end(), ','); };
    const auto replaced = nm::replace_comma_field(head, index, value);
    check(replaced.has_value() == (index <= 1 || commas(head) >= index - 1));
    if (replaced) check(commas(*replaced) == commas(head) + commas(value));
}

// The value GetNamedString delivers with the working capacity of 256.
std::optional<std::string> named_value(const std::string& section, const std::string& entry, const char* file) {
    std::array<char, 256> buffer{};
    if (GetNamedString(section.c_str(), entry.c_str(), buffer.data(), buffer.size(), file) == nullptr) return std::nullopt;
    return std::string(buffer.data());
}

std::optional<std::string> word(const std::optional<std::string>& value, int n) {
    const auto w = value ? nm::word_at(*value, n) : std::nullopt;
    return w ? std::optional<std::string>(w->text) : std::nullopt;
}

// Holds `text` terminated, and nothing past the longest text ever put there (`written`) was touched.
void holds(const Guarded& b, const std::string& text, std::size_t written) {
    const std::string raw = b.inside();
    check(text.size() < raw.size() && raw.compare(0, text.size() + 1, text.c_str(), text.size() + 1) == 0);
    check(raw.find_first_not_of(Guarded::kFill, written + 1) == npos);
}

void indirect(FuzzedDataProvider& in) {
    const std::string section = c_text(in.ConsumeRandomLengthString(40)), entry = c_text(in.ConsumeRandomLengthString(40));
    const auto sc = in.ConsumeIntegralInRange<std::uint32_t>(0, 300), ec = in.ConsumeIntegralInRange<std::uint32_t>(0, 300);
    const int mode = in.ConsumeIntegralInRange<int>(0, 3);  // no second file, the same, another, a missing one
    const std::string contents = in.ConsumeRemainingBytesAsString();
    const std::size_t split = contents.find('\f');
    const std::string first = scratch_file("first.ini", contents.substr(0, split));
    const std::string second = scratch_file("second.ini", split == npos ? "" : contents.substr(split + 1));
    const std::string absent = first + ".absent";
    const char* second_file = std::array<const char*, 4>{nullptr, first.c_str(), second.c_str(), absent.c_str()}[static_cast<std::size_t>(mode)];
    const auto call = [&](const char* file2, Guarded& s, Guarded& e) {
        return GetNamedStringIndirect(section.c_str(), entry.c_str(), first.c_str(), file2, s.data(), sc, e.data(), ec);
    };
    Guarded s(sc), e(ec);
    const std::int32_t result = call(second_file, s, e);
    const auto value = named_value(section, entry, first.c_str());
    const auto w1 = word(value, 1), w2 = word(value, 2);
    if (!w1 || !w2 || w1->size() + 1 >= sc || w2->size() + 1 >= ec) return check(result == 0), s.untouched(), e.untouched();
    holds(s, *w1, w1->size());
    if (second_file == nullptr) return check(result == 1), holds(e, *w2, w2->size());
    const auto w3 = word(named_value(*w1, *w2, second_file), 1);
    if (!w3 || w3->size() + 1 >= ec) return check(result == 0), holds(e, *w2, w2->size());
    check(result == 1);
    holds(e, *w3, std::max(w2->size(), w3->size()));
    Guarded ps(sc), pe(ec);  // without the second file the same call stops at the pair of words
    check(call(nullptr, ps, pe) == 1);
    holds(pe, *w2, w2->size());
}

void snapshot(FuzzedDataProvider& in) {
    static const char* const kSections[] = {"Table", "table", " Table ", "T", "", ";Table"};
    static const char* const kEntries[] = {"Pos1", "pos2", "POS3", "Pos02", "Pos10", " Pos1", "Pos", "Pos0", "Pos-1", "ColumnName", "TableLength", ""};
    const std::string section = in.ConsumeBool() ? kSections[in.ConsumeIntegralInRange<std::size_t>(0, 5)] : in.ConsumeRandomLengthString(8);
    std::vector<std::string> entries;
    for (int i = 0; i < 6; ++i)
        entries.push_back(in.ConsumeBool() ? kEntries[in.ConsumeIntegralInRange<std::size_t>(0, 11)] : in.ConsumeRandomLengthString(8));
    const auto capacity = in.ConsumeIntegralInRange<std::size_t>(1, 300);
    const std::int32_t row = in.ConsumeIntegralInRange<std::int32_t>(-2, 12);
    const std::string contents = in.ConsumeRemainingBytesAsString();

    const xq::convert::SectionSnapshot snap(section.c_str(), contents);
    std::vector<char> a(capacity), b(capacity);
    const auto same = [](const nm::NamedValue& x, const nm::NamedValue& y) { return x.status == y.status && x.text == y.text; };
    for (const std::string& entry : entries) {
        const nm::NamedValue ours = snap.read(entry.c_str(), a);
        const auto n = xq::profile::get_string(contents, section.c_str(), entry.c_str(), "", b.data(), static_cast<std::uint32_t>(capacity));
        check(ours.status != nm::ValueStatus::unread &&
              same(ours, n == 0 ? nm::NamedValue{nm::ValueStatus::no_value, {}} : nm::NamedValue{nm::ValueStatus::found, nm::apply_value_conventions({b.data(), n})}));
    }
    if (row >= 1) check(same(snap.read_row(row, a), snap.read(("Pos" + std::to_string(row)).c_str(), b)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return run_part(data, size, {values, tokens, rewrite, indirect, snapshot});
}
