// Profile text from arbitrary bytes: every read stays inside its capacity and
// delivers a terminated value, or a list of names ended by an empty one; a
// value read with a smaller capacity is a prefix of the full one; a replaced
// value changes one line of the file only and a plain one reads back.

#include "fuzz.h"
#include "profile/profile.h"

namespace {

using namespace xq::fuzz;
constexpr std::uint32_t kBig = 1 << 16;

// One read (a list when `entry` is null); returns the value, or the list with its NULs.
std::string read(std::string_view contents, const char* section, const char* entry, const char* fallback, std::uint32_t capacity) {
    Guarded b(capacity);
    const std::uint32_t n = xq::profile::get_string(contents, section, entry, fallback, b.data(), capacity);
    const std::string raw = b.inside();
    if (capacity == 0) return check(n == 0), std::string();
    check(n < capacity && raw[n] == '\0');
    if (entry != nullptr) return check(std::strlen(raw.c_str()) == n), raw.substr(0, n);
    std::size_t at = 0;  // the names end at an empty one inside the capacity
    while (at < capacity && raw[at] != '\0') at += std::strlen(raw.c_str() + at) + 1;
    return check(at < capacity && (capacity < 2 || n <= capacity - 2 || n == 0)), raw.substr(0, at);
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
    for (const std::uint32_t capacity : {0U, 1U, 2U, 3U, small, kBig}) {  // lists of entry and of section names as well
        check(read(contents, s, e, f, capacity) == full.substr(0, capacity == 0 ? 0 : capacity - 1));
        read(contents, s, nullptr, f, capacity), read(contents, nullptr, nullptr, f, capacity);
    }
    const std::optional<std::string> edited = xq::profile::replace_value(contents, s, e, value);
    if (!edited) return 0;
    const std::string v = c_text(value);
    const bool plain = v.find_first_of("\r\n\"'") == v.npos && (v.empty() || (v.find_first_of(" \t\v") != 0 && v.find_last_of(" \t\v") + 1 != v.size()));
    const auto ascii = [](std::string_view t) { return std::all_of(t.begin(), t.end(), [](char c) { return (c & 0x80) == 0; }); };
    const bool utf16 = contents.starts_with("\xFF\xFE");
    if (plain && (!utf16 || (ascii(section) && ascii(entry) && ascii(value)))) check(read(*edited, s, e, "\x01", kBig) == v);
    std::size_t longest = 0;  // the longest line with its line end
    for (std::size_t i = 0, start = 0; i <= contents.size(); ++i)
        if (i == contents.size() || contents[i] == '\r' || contents[i] == '\n') longest = std::max(longest, i - start + 2), start = i + 1;
    check(utf16 || changed(contents, *edited) <= longest);
    return 0;
}
