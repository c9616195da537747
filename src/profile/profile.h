// Profile (INI) files: our own reader and writer, the same on every platform.
// The parser works on bytes, so files, strings, tests and fuzzers share one
// code path; the platform only supplies the bytes. Nothing is cached: every
// call reads the file afresh.
//
// Names of sections and entries match without regard to the case of ASCII
// letters; name arguments lose leading and trailing spaces (0x20 only), and an
// argument starting with ";" never matches. Only the first section of a name
// is searched, and the first entry of a name in it wins. The line rules are in
// scan.h, the writer's rules in write.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace xq::profile {

// Reads like GetPrivateProfileStringA over the contents of a file.
// - section and entry given: the entry's value, trimmed of blanks, one outer
//   pair of matching quotes removed; the default when the section or entry is
//   missing. A null default is "", and its trailing spaces are dropped. At
//   most capacity - 1 characters and a NUL are written; returns the count.
// - entry == nullptr: the entry names of the section, each ended by a NUL,
//   the list ended by one more NUL. A list that does not fit keeps its first
//   capacity - 2 characters, followed by two NULs, and returns capacity - 2.
//   A missing section gives the default, cut to capacity - 2 characters and
//   followed by two NULs.
// - section == nullptr: the section names, as a list like the entry names;
//   the default is not used.
// Nothing is written for a capacity of 0 (or a null buffer). `contents` may
// start with a UTF-16LE byte-order mark; results are narrow text.
std::uint32_t get_string(std::string_view contents, const char* section, const char* entry,
                         const char* default_text, char* buffer, std::uint32_t capacity);

// Like get_string, for a file: reads it through the platform (a missing or
// unreadable file gives the default). `found` (optional) tells whether the
// file could be opened, so callers need no separate existence test.
std::uint32_t read_string(const char* section, const char* entry, const char* default_text,
                          char* buffer, std::uint32_t capacity, const char* file,
                          bool* found = nullptr);

// The contents with the value of an existing entry replaced by `value`
// (written as given; the entry's line keeps its indent, the name's spelling
// and its line end), or nullopt when the section or entry is missing or an
// argument is null. Every other byte stays.
std::optional<std::string> replace_value(std::string_view contents, const char* section, const char* entry,
                                         std::string_view value);

// Replaces the value of an existing entry of a file: read-modify-write
// under the platform's lock, replacing the file atomically. The value is made
// from the file's contents as they stand under the lock: `value_for` gets
// them and returns the value, or nullopt to leave the file as it is. So a
// value that depends on the old one loses no other writer's change made in
// between. False when `value_for` declines, the file or entry is missing or
// the file cannot be written; the file is then unchanged. A value that is
// already there leaves the file untouched (true).
using ValueFor = std::function<std::optional<std::string>(std::string_view contents)>;
bool write_value_from(const char* section, const char* entry, const char* file, const ValueFor& value_for);

}  // namespace xq::profile
