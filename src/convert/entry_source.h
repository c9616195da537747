// Where the entries of one section of a named-entry file are read from: the
// file itself, opened afresh for every entry, or one reading of it
// (section_snapshot.h). Both deliver exactly what read_named_value delivers.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "named/named_array.h"
#include "named/named_value.h"

namespace xq::convert {

// The array entry of table rows: row k is the entry "Pos" followed by k.
inline constexpr std::string_view kRowEntry = "%Pos";
inline constexpr std::string_view kRowStem = kRowEntry.substr(1);

class EntrySource {
public:
    virtual ~EntrySource() = default;
    // The entry's value cut to buffer.size() - 1 characters, with the value
    // conventions, as read_named_value delivers it for the section and file.
    // The text lies in the buffer or in the source itself, and stays valid
    // while both do.
    virtual named::NamedValue read(const char* entry, std::span<char> buffer) const = 0;
    // The same for table row k (k >= 1).
    virtual named::NamedValue read_row(std::int32_t k, std::span<char> buffer) const {
        named::ArrayName name{};
        named::array_entry_name(kRowEntry, k, name);  // "Pos" and at most 11 characters fit
        return read(name.data(), buffer);
    }
};

// Reads every entry from the file, afresh.
class FileEntries final : public EntrySource {
public:
    FileEntries(const char* section, const char* file) : section_(section), file_(file) {}
    named::NamedValue read(const char* entry, std::span<char> buffer) const override {
        return named::read_named_value(section_, entry, buffer, file_);
    }

private:
    const char* section_;
    const char* file_;
};

}  // namespace xq::convert
