// Profile (INI) files: our own reader and writer, the same on every platform.
// The parser works on bytes, so files, strings, tests and fuzzers share one
// code path; the platform only supplies the bytes. Nothing is cached: every
// call reads the file afresh.
//
// Names of sections and entries match without regard to the case of ASCII
// letters; name arguments lose leading and trailing spaces (0x20 only), and an
// argument starting with ";" never matches. Only the first section of a name
// is searched, and the first entry of a name in it wins. The line rules are in
// profile_scan.h, the writer's layout rules in profile_write.cpp.
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

// Edits contents like WritePrivateProfileStringA: sets the value of an entry
// (adding the entry or the section when missing), deletes the entry
// (value == nullptr) or the section (entry == nullptr; its comment lines
// stay). Every line that the edit does not touch keeps its bytes. Returns
// false for a call the writer refuses (section == nullptr); `contents` is
// then unchanged.
bool put_string(std::string& contents, const char* section, const char* entry, const char* value);

// Like put_string, for a file: read-modify-write under the platform's lock,
// replacing the file atomically. A missing file is created (when its
// directory exists). False when the call is refused or the file cannot be
// written; the file is then unchanged.
bool write_string(const char* section, const char* entry, const char* value, const char* file);

// Like write_string setting a value, with the value made from the file's
// contents as they stand under the lock: `value_for` gets them and returns
// the value, or nullopt to leave the file as it is (the result is then
// false). So a value that depends on the old one loses no other writer's
// change made in between.
using ValueFor = std::function<std::optional<std::string>(std::string_view contents)>;
bool write_value_from(const char* section, const char* entry, const char* file, const ValueFor& value_for);

}  // namespace xq::profile
