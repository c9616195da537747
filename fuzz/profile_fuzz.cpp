// Profile text from arbitrary bytes: every read stays inside its capacity and
// delivers a terminated value or list; a value read with a smaller capacity
// is a prefix of the full one; every listed section and entry name is found
// again; a replaced value changes one line of the file only, exactly when the
// reader finds the entry, and reads back; a null section is refused.

#include "fuzz.h"
#include "profile/profile.h"

namespace {

using namespace xq::fuzz;
constexpr std::uint32_t kBig = 1 << 16;

// One read (a list when `entry` is null); returns the value, or the list with its NULs.
std::string read(std::string_view contents, const char* section, const char* entry, const char* fallback,
                 std::uint32_t capacity) {
    Guarded b(capacity);
    const std::uint32_t n = xq::profile::get_string(contents, section, entry, fallback, b.data(), capacity);
    const std::string raw = b.inside();
    if (capacity == 0) return check(n == 0), std::string();
    check(n < capacity && raw[n] == '\0');
    if (entry != nullptr) return check(std::strlen(raw.c_str()) == n), raw.substr(0, n);
    std::size_t at = 0;  // the names must end at an empty one inside the capacity
    while (at < capacity && raw[at] != '\0') at += std::strlen(raw.c_str() + at) + 1;
    check(at < capacity && (capacity < 2 || n <= capacity - 2 || n == 0));
    return raw.substr(0, at);
}

// The value or list reads the same whatever the default: the name is found.
bool found(std::string_view contents, const char* section, const char* entry) {
    return read(contents, section, entry, "\x01", kBig) == read(contents, section, entry, "\x02", kBig);
}

std::vector<std::string> names(std::string_view contents, const char* section) {
    const std::string list = read(contents, section, nullptr, section != nullptr ? "" : nullptr, kBig);
    std::vector<std::string> out;
    for (std::size_t at = 0; at < list.size() && out.size() < 8; at += out.back().size() + 1)
        out.emplace_back(list.c_str() + at);
    return out;
}

// A name a read with the same argument finds again once written.
bool readable(std::string_view name, std::string_view bad_start, std::string_view bad) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v'; };
    name.remove_prefix(std::min(name.size(), name.find_first_not_of(' ')));
    name.remove_suffix(name.size() - std::min(name.size(), name.find_last_not_of(' ') + 1));
    return name.empty() || (bad_start.find(name.front()) == name.npos && !blank(name.front()) &&
                            !blank(name.back()) && name.find_first_of(bad) == name.npos);
}

// A value that reads back unchanged: one line, no outer blanks, no pair of quotes around it.
bool plain(std::string_view v) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v'; };
    const bool quoted = v.size() >= 2 && v.front() == v.back() && (v.front() == '"' || v.front() == '\'');
    return v.find_first_of("\r\n") == v.npos && (v.empty() || (!blank(v.front()) && !blank(v.back()))) && !quoted;
}

std::size_t longest_line(std::string_view text) {
    std::size_t longest = 0;
    for (std::size_t i = 0, start = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == '\r' || text[i] == '\n') longest = std::max(longest, i - start + 2), start = i + 1;
    return longest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(24), entry = in.ConsumeRandomLengthString(24);
    const std::string value = in.ConsumeRandomLengthString(24), fallback = in.ConsumeRandomLengthString(12);
    const auto small = in.ConsumeIntegralInRange<std::uint32_t>(0, 64);
    const std::string contents = in.ConsumeRemainingBytesAsString();
    const char *s = section.c_str(), *e = entry.c_str(), *f = fallback.c_str();

    const std::string full = read(contents, s, e, f, kBig);
    for (const std::uint32_t capacity : {0U, 1U, 2U, 3U, small})
        check(read(contents, s, e, f, capacity) == full.substr(0, capacity == 0 ? 0 : capacity - 1));
    const auto lists = [&](std::string_view text) {
        for (const std::uint32_t capacity : {0U, 1U, 2U, 3U, small, kBig})
            read(text, s, nullptr, f, capacity), read(text, nullptr, nullptr, f, capacity);
    };
    lists(contents);
    const bool utf16 = contents.starts_with("\xFF\xFE");
    if (!utf16) {
        for (const std::string& name : names(contents, nullptr))
            if (name.front() != ';') check(found(contents, name.c_str(), nullptr));  // such arguments never match
        for (const std::string& name : names(contents, s)) check(found(contents, s, name.c_str()));
    }
    // (Two defaults: a value may read like one of them, never like both.)
    const bool present = read(contents, s, e, "\x01", kBig) != "\x01" || read(contents, s, e, "\x02", kBig) != "\x02";
    const std::optional<std::string> edited = xq::profile::replace_value(contents, s, e, value);
    const auto ascii = [](std::string_view t) { return std::all_of(t.begin(), t.end(), [](char c) { return (c & 0x80) == 0; }); };
    const bool comparable = !utf16 || (ascii(section) && ascii(entry) && ascii(value));
    if (comparable && readable(s, ";", "]\r\n") && readable(e, ";[", "=\r\n")) check(edited.has_value() == present);
    if (edited) {
        if (comparable && plain(value.c_str())) check(read(*edited, s, e, "\x01", kBig) == value.c_str());
        if (!utf16) check(changed(contents, *edited) <= longest_line(contents));
        lists(*edited);
    }
    check(!xq::profile::replace_value(contents, nullptr, e, value));
    return 0;
}
