// The message catalogue behind SetError: texts by code in the user's
// language, the message file format of the language modules, the English
// table compiled into the Linux library, and how inserts go into a text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The message catalogue: a message's text in the user's language.
namespace xq::status {

// The code of the library's fallback text, "No error text found.".
inline constexpr unsigned kNoTextCode = 60000;

// The language module for a language text: "xq_ut" + ("ils" for "ENG", else
// the code) + ".DLL". A text that is not exactly three characters long
// counts as "ENG".
std::string module_name(std::string_view language);

// Puts the catalogue text of `error_code`, in the language GetVortaLang
// gives, into `out` (cut to out.size() - 1 characters, the rest zero): from
// the language's module, else this library's own catalogue; a code without
// text gives code 60000's text. The class does not change which text is
// chosen. Returns the text's length (0 when no catalogue could be loaded).
std::size_t load_message_text(std::int32_t error_class, std::int32_t error_code, std::span<char> out);

}  // namespace xq::status

// Putting inserts into a message template, as the status record's text.
namespace xq::status {

// Writes `pattern` into `out`, each "%s" replaced by the next insert and each
// "%%" by "%", as wsprintfA does for these two forms. A "%s" beyond the
// inserts reads as the empty text; every other "%" is copied as it stands.
// The result is cut to out.size() - 1 characters and terminated, the rest of
// `out` is zero. Returns the result's length; an empty `out` gets nothing.
std::size_t format_message(std::string_view pattern, std::span<const std::string_view> inserts,
                           std::span<char> out);

}  // namespace xq::status

// The text format of the message data files and of the Linux message modules:
// one message a line, "code<TAB>text". A module file starts with a magic line.
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

// The library's own message catalogue as compiled into the Linux library
// (on Windows it is the string table of xq_utils.dll).
namespace xq::resources {

struct Message {
    std::uint16_t code;
    std::string_view text;
};

// The message of src/resources/messages.txt with `code`, or null when the
// code has no text.
const Message* find_own_message(unsigned code);

}  // namespace xq::resources
