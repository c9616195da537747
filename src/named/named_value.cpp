#include "named/named_value.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "named/profile.h"

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

}  // namespace xq::named
