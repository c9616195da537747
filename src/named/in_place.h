// Rewriting an entry's value field in the file itself. One open and one lock
// of the file (os::file_update) serve the scan and the write, so no other
// writer of this library can move the line or change the value in between;
// no temporary file, no copy.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace xq::named {

// The new value, made from the file's contents as they stand under the lock;
// nullopt writes nothing.
using ValueFromContents = std::function<std::optional<std::string>(std::string_view contents)>;

// Writes the value `value_for` makes into the entry's value field (see
// rewrite_entry_value); true when written.
bool rewrite_in_place(const char* section, const char* entry, const char* file, const ValueFromContents& value_for);

}  // namespace xq::named
