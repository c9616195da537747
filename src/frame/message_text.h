// The message catalogue: a message's text in the user's language.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

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
