// Test support: writes a whole registry file, so tests and fuzzers can make
// the files that the library reads and edits. The library itself only edits.
// A whole registry file in the layout an export writes: header, then every
// key depth-first in name order, each after an empty line, with its values
// in creation order; CR LF line ends; the file ends with an empty line.
#pragma once

#include "platform/regfile/regfile.h"  // brings string and string_view

namespace xq::regfile {

// "REGEDIT4" with ANSI (UTF-8) text, or "Windows Registry Editor Version 5.00"
// with UTF-16LE text after a byte-order mark.
enum class Format { regedit4, version5 };

// Exports every key.
std::string export_file(const Registry& registry, Format format);

}  // namespace xq::regfile
