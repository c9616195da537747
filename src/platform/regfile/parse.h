// Reads a registry file the way an import applies it: line by line, later
// lines overriding earlier ones, invalid lines skipped.
#pragma once

#include <string_view>

#include "platform/regfile/lines.h"
#include "platform/regfile/model.h"

namespace xq::regfile {

struct Parsed {
    Layout layout;
    Registry registry;  // empty unless the header is REGEDIT4 or version 5.00
};

Parsed parse(std::string_view file);

}  // namespace xq::regfile
