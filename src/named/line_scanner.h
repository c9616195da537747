// The line scanner of in-place rewriting: finds the line of an entry by its
// own rules (not the profile reader's) and the value field in that line.
// Pure functions over a file's bytes, so tests and fuzzers feed it strings.
//
// Lines end at CR LF, LF or a CR alone, as for the profile reader; the line
// end belongs to the line but to none of its fields. The last line may lack
// a line end. A line of any length is one line.
//
// Matching: a section header is a line whose first byte is "[" followed by
// the section name; an entry line is a line that starts with the entry name.
// Both compare bytes, letter case included, over the name's length only, so
// "Stand" matches "[Stand2]" and "Pos1" matches "Pos10=5". An empty entry
// name matches no line.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace xq::named {

// One line: its text is [begin, end), its line end [end, next).
struct ScanLine {
    std::size_t begin;
    std::size_t end;
    std::size_t next;
};

// The line that starts at `pos` (pos <= contents.size()).
ScanLine scan_line(std::string_view contents, std::size_t pos);

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
