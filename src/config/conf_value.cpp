#include "config/conf_value.h"

#include "frame/text_copy.h"
#include "named/profile.h"
#include "named/words.h"

namespace xq::config {

std::string_view read_entry(std::string_view contents, const char* section, const char* entry, ConfValue& out) {
    // The reader would list names for a null section or entry.
    if (section == nullptr || entry == nullptr) return kNone;
    const std::uint32_t n = profile::get_string(contents, section, entry, "None", out.data(), 259);
    return {out.data(), n};
}

std::string_view word(std::string_view value, int index) {
    const auto piece = named::space_word_at(value, index);
    // A missing word is the empty text "", never a null view.
    return piece ? piece->text : std::string_view("");
}

void hand_over(char* buffer, std::uint32_t capacity, std::string_view text) {
    if (buffer != nullptr) copy_text(buffer, capacity, text);
}

}  // namespace xq::config
