// Reading entries of the configuration files: straight from the profile
// reader with the default "None" and a capacity of 259 bytes (so a value has
// at most 258 characters), values split into words at the space character
// only. None of the value conventions of named-entry lookups apply.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace xq::config {

// Room for one value as the lookups read it.
using ConfValue = std::array<char, 260>;

inline constexpr std::string_view kNone = "None";

// Entry `entry` of section `section` in a configuration file's contents, read
// into `out`; "None" when the section or entry is missing. A null name
// matches nothing.
std::string_view read_entry(std::string_view contents, const char* section, const char* entry, ConfValue& out);

// Word `index` (from 1) of `value`, words separated by runs of spaces (tabs
// belong to words); empty when the value has fewer words.
std::string_view word(std::string_view value, int index);

// A word or value is configured unless it is empty or exactly "None".
constexpr bool configured(std::string_view text) { return !text.empty() && text != kNone; }

// Hands a result text over into a caller's buffer by the text copy; nothing
// is written to a null buffer.
void hand_over(char* buffer, std::uint32_t capacity, std::string_view text);

}  // namespace xq::config
