// Changes one string value in a registry file and keeps every other line
// byte for byte, with the file's encoding, header and line ends.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/regfile/model.h"

namespace xq::regfile {

struct Edited {
    std::string file;
    Registry registry;  // the new file, parsed
};

// Sets value `name` ("" = the default value) of the existing key `key_path`
// to `text` as a string value. Replaces the lines of the value's definition
// in force, or adds one line to the key's latest block, or, when the key has
// no block of its own, a new block at the end. The result is parsed again and
// accepted only when it holds exactly the old contents plus the new value.
// nullopt when the key does not exist, the name holds a line break, or the
// file admits no such edit.
std::optional<Edited> set_string(std::string_view file, std::string_view key_path, std::string_view name,
                                 std::string_view text);

}  // namespace xq::regfile
