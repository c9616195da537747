#include "named/profile_args.h"

#include "named/profile_text.h"
#include "platform/platform.h"

namespace xq::profile {

std::optional<std::string_view> argument(const char* text) {
    if (text == nullptr) return std::nullopt;
    return trim_spaces(std::string_view(text));
}

std::optional<std::u16string> widen(std::optional<std::string_view> text) {
    if (!text) return std::nullopt;
    return os::narrow_to_wide(*text);
}

}  // namespace xq::profile
