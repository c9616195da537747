// Reading named-entry values through the library, with the messages the
// named-entry subcommands give when something is not there.
#pragma once

#include <cstdint>
#include <string>

#include "args.h"
#include "output.h"

namespace xqutil {

// Buffer size for every text the library hands back to the tool.
inline constexpr std::uint32_t kTextCapacity = 4096;

// An entry of a named-entry file.
struct Entry {
    std::string file;
    std::string section;
    std::string entry;
};

// The entry that the first three arguments name: FILE SECTION ENTRY.
Entry entry_argument(const Arguments& arguments);

// "entry 'E' in section [S] of 'F'", for messages.
std::string place(const Entry& e);

// A report that starts with the entry's file, section and name (JSON only).
Record entry_record(const Entry& e);

// A text the library delivered into a kTextCapacity buffer; truncated when
// it filled the buffer, so the library may have cut it.
struct Delivered {
    std::string text;
    bool truncated = false;
};

// The text in a buffer of kTextCapacity bytes filled by the library.
Delivered delivered(const char* buffer);

// Fails (exit 1) unless the library can open `file` for reading.
void require_file(const std::string& file);

// The entry's value as GetNamedString reads it; fails (exit 1) when the entry
// is missing or empty. A commented-out value (";...") reads as empty text.
Delivered require_value(const Entry& e);

// As require_value, and also fails for a commented-out value: for lookups
// that need words in it.
Delivered require_words(const Entry& e);

}  // namespace xqutil
