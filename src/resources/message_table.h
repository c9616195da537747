// The library's own message catalogue as compiled into the Linux library
// (on Windows it is the string table of xq_utils.dll).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace xq::resources {

struct Message {
    std::uint16_t code;
    std::string_view text;
};

// Every message of src/resources/messages.txt, in the file's order.
std::span<const Message> own_messages();

// The message with `code`, or null when the code has no text.
const Message* find_own_message(unsigned code);

}  // namespace xq::resources
