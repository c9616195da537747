// Profile text from arbitrary bytes: every read stays inside its capacity and
// delivers a terminated value or list; a value read with a smaller capacity
// is a prefix of the full one; a replaced value changes one line of the file
// only, exactly when the reader finds the entry, and reads back; every listed section name is found
// by the section search, and every listed entry name by the entry search.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profile/profile.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

constexpr std::size_t kGuard = 32;
constexpr char kFill = '\x5A';

enum class Shape { value, list };

// One read into a guarded buffer of `capacity` bytes; checks the bounds and
// the terminators, and returns the delivered text (a list with its NULs).
std::string read(std::string_view contents, const char* section, const char* entry, const char* fallback,
                 std::uint32_t capacity, Shape shape) {
    std::vector<char> bytes(capacity + 2 * kGuard, kFill);
    char* const buffer = bytes.data() + kGuard;
    const std::uint32_t n = xq::profile::get_string(contents, section, entry, fallback, buffer, capacity);
    for (std::size_t i = 0; i < kGuard; ++i) check(bytes[i] == kFill && bytes[kGuard + capacity + i] == kFill);
    if (capacity == 0) {
        check(n == 0);
        return {};
    }
    check(n < capacity && buffer[n] == '\0');
    if (shape == Shape::value) {
        check(std::strlen(buffer) == n);
        return std::string(buffer, n);
    }
    // Walking the names must end at an empty name inside the capacity.
    std::size_t at = 0;
    while (at < capacity && buffer[at] != '\0') at += std::strlen(buffer + at) + 1;
    check(at < capacity);
    check(capacity < 2 || n <= capacity - 2 || n == 0);
    return std::string(buffer, at);
}

// Checks that a value read with each smaller capacity is the full value cut.
void check_value_cuts(std::string_view contents, const char* section, const char* entry, const char* fallback,
                      std::uint32_t small) {
    const std::string full = read(contents, section, entry, fallback, 1 << 16, Shape::value);
    for (const std::uint32_t capacity : {0U, 1U, 2U, 3U, small}) {
        const std::string cut = read(contents, section, entry, fallback, capacity, Shape::value);
        const std::size_t keep = capacity == 0 ? 0 : std::min<std::size_t>(full.size(), capacity - 1);
        check(cut == full.substr(0, keep));
    }
}

void check_lists(std::string_view contents, const char* section, const char* fallback, std::uint32_t small) {
    for (const std::uint32_t capacity : {0U, 1U, 2U, 3U, small, 1U << 16}) {
        read(contents, section, nullptr, fallback, capacity, Shape::list);
        read(contents, nullptr, nullptr, fallback, capacity, Shape::list);
    }
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\v'; }

bool has_any(std::string_view text, std::string_view chars) { return text.find_first_of(chars) != text.npos; }

// Names that a read with the same argument finds again once written.
bool readable_section(std::string_view name) {
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (name.empty()) return true;
    return name.front() != ';' && !is_blank(name.front()) && !is_blank(name.back()) && !has_any(name, "]\r\n");
}

bool readable_entry(std::string_view name) {
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (name.empty()) return true;
    return name.front() != ';' && name.front() != '[' && !is_blank(name.front()) && !is_blank(name.back()) &&
           !has_any(name, "=\r\n");
}

// Values that read back unchanged: no line breaks, no outer blanks, no pair
// of quotes around them.
bool plain_value(std::string_view value) {
    if (has_any(value, "\r\n")) return false;
    if (!value.empty() && (is_blank(value.front()) || is_blank(value.back()))) return false;
    const bool quoted = value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'');
    return !quoted;
}

bool ascii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::size_t longest_line(std::string_view text) {
    std::size_t longest = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\r' || text[i] == '\n') {
            longest = std::max(longest, i - start + 2);
            start = i + 1;
        }
    }
    return longest;
}

// An entry edit replaces, inserts or removes one line: what differs from the
// original lies within one line's length.
void check_local(std::string_view before, std::string_view after) {
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    check(before.size() - prefix - suffix <= longest_line(before));
}

// Every name in the section list is found again by the section search:
// its entry list is delivered, whatever the default.
void check_sections_found(std::string_view contents) {
    const std::string list = read(contents, nullptr, nullptr, nullptr, 1 << 16, Shape::list);
    int checked = 0;
    for (std::size_t at = 0; at < list.size() && checked < 8; at += std::strlen(list.c_str() + at) + 1, ++checked) {
        const std::string name(list.c_str() + at);
        if (name.front() == ';') continue;  // such arguments never match
        check(read(contents, name.c_str(), nullptr, "\x01", 1 << 16, Shape::list) ==
              read(contents, name.c_str(), nullptr, "\x02", 1 << 16, Shape::list));
    }
}

// Every name in a section's entry list reads as an entry of that section:
// its value is delivered, whatever the default.
void check_entries_found(std::string_view contents, const char* section) {
    const std::string list = read(contents, section, nullptr, "", 1 << 16, Shape::list);
    int checked = 0;
    for (std::size_t at = 0; at < list.size() && checked < 8; at += std::strlen(list.c_str() + at) + 1, ++checked) {
        const char* name = list.c_str() + at;
        check(read(contents, section, name, "\x01", 1 << 16, Shape::value) ==
              read(contents, section, name, "\x02", 1 << 16, Shape::value));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(24);
    const std::string entry = in.ConsumeRandomLengthString(24);
    const std::string value = in.ConsumeRandomLengthString(24);
    const std::string fallback = in.ConsumeRandomLengthString(12);
    const auto small = in.ConsumeIntegralInRange<std::uint32_t>(0, 64);
    const std::string contents = in.ConsumeRemainingBytesAsString();

    check_value_cuts(contents, section.c_str(), entry.c_str(), fallback.c_str(), small);
    check_lists(contents, section.c_str(), fallback.c_str(), small);
    const bool utf16 = contents.size() >= 2 && contents[0] == '\xFF' && contents[1] == '\xFE';
    if (!utf16) {
        check_sections_found(contents);
        check_entries_found(contents, section.c_str());
    }

    // A replacement happens exactly where the reader finds the entry, reads
    // back, and changes one line only.
    // (Two defaults: a value may read like one of them, never like both.)
    const bool present = read(contents, section.c_str(), entry.c_str(), "\x01", 1 << 16, Shape::value) != "\x01" ||
                         read(contents, section.c_str(), entry.c_str(), "\x02", 1 << 16, Shape::value) != "\x02";
    const std::optional<std::string> edited =
        xq::profile::replace_value(contents, section.c_str(), entry.c_str(), value);
    const bool comparable = !utf16 || (ascii(section) && ascii(entry) && ascii(value));
    if (comparable && readable_section(section.c_str()) && readable_entry(entry.c_str())) check(edited.has_value() == present);
    if (edited) {
        if (comparable && plain_value(value.c_str()))
            check(read(*edited, section.c_str(), entry.c_str(), "\x01", 1 << 16, Shape::value) == value.c_str());
        if (!utf16) check_local(contents, *edited);
        check_lists(*edited, section.c_str(), fallback.c_str(), small);
    }
    check(!xq::profile::replace_value(contents, nullptr, entry.c_str(), value));
    return 0;
}
