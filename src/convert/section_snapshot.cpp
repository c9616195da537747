// The snapshot keeps the section's entries as the profile reader's own line
// scanner finds them (same sections, same entries, the first of a name
// winning) and delivers a value the way the reader does: unquoted, cut to the
// buffer, then the value conventions, as a view of its own reading rather
// than a copy in the buffer. Entries are matched by name without
// regard to letter case, as the reader matches them; rows by their number.
// UTF-16 files are rare and small: each read goes through the reader.
#include "convert/table.h"

#include <algorithm>
#include <limits>

#include "profile/profile.h"
#include "profile/bytes.h"
#include "profile/scan.h"

namespace xq::convert {
namespace {

using named::NamedValue;
using named::ValueStatus;

// k when `name` is the entry name of row k >= 1 ("Pos" in any letter case,
// then the digits of k without leading zeros, at most INT32_MAX), else nullopt.
std::optional<std::int32_t> row_number(std::string_view name) {
    static_assert(kRowStem == "Pos");  // letters, so setting bit 0x20 folds them
    if (name.size() <= 3 || (name[0] | 0x20) != 'p' || (name[1] | 0x20) != 'o' || (name[2] | 0x20) != 's')
        return std::nullopt;
    const std::string_view digits = name.substr(3);
    if (digits.front() == '0' || digits.size() > 10) return std::nullopt;
    std::int64_t k = 0;
    for (const char c : digits) {
        const unsigned d = static_cast<unsigned char>(c) - unsigned{'0'};
        if (d > 9) return std::nullopt;
        k = k * 10 + d;
    }
    if (k > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(k);
}

// The value conventions over the n characters the reader delivered.
NamedValue delivered(std::uint32_t n, std::span<char> buffer) {
    if (n == 0) return {ValueStatus::no_value, {}};
    return {ValueStatus::found, named::apply_value_conventions(buffer.first(n))};
}

// What the reader would deliver into a buffer of `capacity` for the value
// found (or for none), as a view of the snapshot's own text: unquoted, cut to
// capacity - 1 characters, then the value conventions. Nothing is copied.
NamedValue deliver(std::optional<std::string_view> value, std::size_t capacity) {
    const std::string_view text = value ? profile::unquote(*value).substr(0, capacity - 1) : std::string_view();
    if (text.empty()) return {ValueStatus::no_value, {}};
    return {ValueStatus::found, named::value_conventions(text)};
}

}  // namespace

// Without a file nothing is read, as without a section (section_ null).
SectionSnapshot::SectionSnapshot(const char* section, const char* file)
    : section_(file != nullptr ? section : nullptr) {
    if (section_ == nullptr) return;
    const os::ReadStatus status = os::file_read(os::profile_file_path(file).c_str(), bytes_);
    // A file that opens but cannot be read reads as an empty one.
    opened_ = status != os::ReadStatus::not_found;
    if (status == os::ReadStatus::ok) contents_ = bytes_.view();
    index();
}

SectionSnapshot::SectionSnapshot(const char* section, std::string_view contents)
    : section_(section), contents_(contents), opened_(section != nullptr) {
    index();
}

void SectionSnapshot::index() {
    if (!opened_) return;
    if (profile::is_utf16(contents_)) {
        wide_ = true;
        return;
    }
    const std::optional<std::string_view> name = profile::argument(section_);
    const std::optional<profile::Section> section = name ? profile::find_section(contents_, *name) : std::nullopt;
    if (!section) return;
    // Rows are most of a table section and rarely shorter than 16 bytes:
    // one allocation instead of the vector's repeated growth and copies.
    const std::size_t next = profile::next_header<char>(contents_, section->body());
    rows_.reserve(((next == profile::npos ? contents_.size() : next) - section->body()) / 16);
    profile::for_each_line(contents_, *section, [&](const profile::Line&, const profile::Parsed<char>& line) {
        if (line.kind != profile::Kind::entry) return;
        if (const std::optional<std::int32_t> k = row_number(line.name)) {
            rows_dense_ = rows_dense_ && static_cast<std::size_t>(*k) == rows_.size() + 1;
            rows_.push_back({*k, line.value});
        } else {
            others_.push_back({line.name, line.value});
        }
    });
    if (rows_dense_) return;
    // Out of order or repeated: sorted by number, the first of each kept.
    std::stable_sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) { return a.number < b.number; });
    rows_.erase(std::unique(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) { return a.number == b.number; }),
                rows_.end());
}

std::optional<std::string_view> SectionSnapshot::find_row(std::int32_t number) const {
    if (rows_dense_) {
        const auto at = static_cast<std::size_t>(number) - 1;
        return at < rows_.size() ? std::optional(rows_[at].value) : std::nullopt;
    }
    const auto it = std::lower_bound(rows_.begin(), rows_.end(), number,
                                     [](const Row& row, std::int32_t n) { return row.number < n; });
    return it != rows_.end() && it->number == number ? std::optional(it->value) : std::nullopt;
}

std::optional<std::string_view> SectionSnapshot::find(std::string_view name) const {
    if (!profile::can_match(name)) return std::nullopt;
    if (const std::optional<std::int32_t> k = row_number(name)) return find_row(*k);
    for (const Entry& entry : others_)
        if (profile::same_name(entry.name, name)) return entry.value;
    return std::nullopt;
}

NamedValue SectionSnapshot::read(const char* entry, std::span<char> buffer) const {
    if (section_ == nullptr || entry == nullptr) return {ValueStatus::unread, {}};
    if (buffer.empty()) return {ValueStatus::no_value, {}};
    if (!opened_) return {ValueStatus::unread, {}};
    if (!wide_) return deliver(find(*profile::argument(entry)), buffer.size());
    const auto capacity = static_cast<std::uint32_t>(
        std::min<std::size_t>(buffer.size(), std::numeric_limits<std::uint32_t>::max()));
    return delivered(profile::get_string(contents_, section_, entry, "", buffer.data(), capacity), buffer);
}

NamedValue SectionSnapshot::read_row(std::int32_t k, std::span<char> buffer) const {
    if (wide_ || k < 1 || section_ == nullptr || buffer.empty() || !opened_) return EntrySource::read_row(k, buffer);
    return deliver(find_row(k), buffer.size());
}

}  // namespace xq::convert
