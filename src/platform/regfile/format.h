// Value lines and key lines as an export writes them.
#pragma once

#include <string>
#include <string_view>

#include "platform/regfile/lines.h"
#include "platform/regfile/model.h"

namespace xq::regfile {

// `text` between quotes, with '\' and '"' escaped.
std::string quoted(std::string_view text);

// The value's line in UTF-8: `"name"=` or `@=`, then the data. Strings that
// read back unchanged are written quoted; others (line breaks, NULs inside,
// unpaired surrogates) as hex(1) and friends. Long hex data is wrapped with
// ",\" + `line_end` + two blanks. In an ANSI file string bytes are UTF-8.
std::string value_line(const Value& value, Encoding encoding, std::string_view line_end);

}  // namespace xq::regfile
