// The text format of the message data files and of the Linux message modules:
// one message a line, "code<TAB>text". A module file starts with a magic line.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace xq::resources {

// One message: its code and its text, escapes resolved.
struct MessageText {
    std::uint16_t code;
    std::string text;
};

// The first line of a message module file.
inline constexpr std::string_view kModuleMagic = "XQ_UTILS MESSAGES 1";

// Parses message lines, sorted by code. A line is a code of one to five
// digits (at most 65535), one tab and the text, in which \\, \t and \n are the
// only escapes; blank lines and lines starting with "#" are skipped. A CR may
// stand only right before an LF and is dropped. Nullopt when a line is
// malformed, a code repeats or the bytes hold a NUL.
std::optional<std::vector<MessageText>> parse_messages(std::string_view bytes);

// Parses a module file: the magic line, then message lines as above.
std::optional<std::vector<MessageText>> parse_module(std::string_view bytes);

// The message with `code` in messages sorted by code, or null.
const MessageText* find_message(std::span<const MessageText> messages, unsigned code);

}  // namespace xq::resources
