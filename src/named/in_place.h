// In-place rewriting of named-entry files: finding an entry's line by the
// rewrite's own rules, the bytes a rewrite writes, and the comma fields of
// RplNamedData.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The line scanner of in-place rewriting: finds the line of an entry by its
// own rules (not the profile reader's) and the value field in that line.
// Pure functions over a file's bytes, so tests and fuzzers feed it strings.
//
// Lines are those of the profile reader's line scanner (profile/scan.h):
// they end at CR LF, LF or a CR alone; the line end belongs to the line but
// to none of its fields; the last line may lack a line end; a line of any
// length is one line.
//
// Matching: a section header is a line whose first byte is "[" followed by
// the section name; an entry line is a line that starts with the entry name.
// Both compare bytes, letter case included, over the name's length only, so
// "Stand" matches "[Stand2]" and "Pos1" matches "Pos10=5". An empty entry
// name matches no line.
namespace xq::named {

// Offset of the first entry line of `entry` in `section`, or nullopt. The
// search: find a header of the section; walk the lines after it until one
// starts with the entry name (found) or with "[" (then look for a header
// again from the line after that one, so that very line is not taken as a
// header). Never 0, since a header comes first.
std::optional<std::size_t> find_entry_line(std::string_view contents, std::string_view section,
                                           std::string_view entry);

// The value field of a line: from after its first "=" up to its line end
// (to the end of the file for a last line without one).
struct ValueField {
    std::size_t offset;
    std::size_t size;
};

// The value field of the line at `line_start`; nullopt when it has no "=".
std::optional<ValueField> value_field(std::string_view contents, std::size_t line_start);

}  // namespace xq::named

// The bytes that an in-place rewrite writes: a new value right-aligned in
// the value field of the entry's line, padded with leading spaces. The file
// keeps its length and every byte outside that field. Pure, for tests and
// fuzzers.
namespace xq::named {

// Bytes to write at an offset of the file.
struct FieldWrite {
    std::size_t offset;
    std::string bytes;
};

// `value` right-aligned in a field of `room` bytes; nullopt when it is longer.
std::optional<std::string> right_aligned(std::string_view value, std::size_t room);

// The write that puts `value` into the value field of the entry line that
// find_entry_line finds. nullopt when there is no such line, the line has no
// "=", the value is longer than the field, or the value holds a CR or LF
// (it would split the line and make lines nobody wrote).
std::optional<FieldWrite> rewrite_entry_value(std::string_view contents, std::string_view section,
                                              std::string_view entry, std::string_view value);

}  // namespace xq::named

// Rewriting an entry's value field in the file itself. One open and one lock
// of the file (os::file_update) serve the scan and the write, so no other
// writer of this library can move the line or change the value in between;
// no temporary file, no copy.
namespace xq::named {

// The new value, made from the file's contents as they stand under the lock;
// nullopt writes nothing.
using ValueFromContents = std::function<std::optional<std::string>(std::string_view contents)>;

// Writes the value `value_for` makes into the entry's value field (see
// rewrite_entry_value); true when written.
bool rewrite_in_place(const char* section, const char* entry, const char* file, const ValueFromContents& value_for);

}  // namespace xq::named

// Comma fields of the data rewrite: a value's fields are separated by commas
// alone (the apostrophe is an ordinary character), every comma counts, so
// empty fields count too, and fields are numbered from 1. This differs from
// the fields that GetNamedData reads.
namespace xq::named {

// `value` with field `index` (1 or less selects field 1) replaced by `data`,
// every other byte kept; nullopt when the value has fewer fields than index.
std::optional<std::string> replace_comma_field(std::string_view value, int index, std::string_view data);

}  // namespace xq::named
