// RplNamedSubstringString: replaces one word of a value, keeping every
// separator, and writes the value back in place through RplNamedString.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "frame/guard.h"
#include "named/words.h"
#include "xq_utils.h"

namespace {

// The longest value that is written back: the rewrite's working size.
constexpr std::size_t kValueLimit = 260;
// The value is read with far more room than that, so that a longer value is
// seen to be longer (and refused) instead of being written back cut.
constexpr std::uint32_t kReadCapacity = 4096;

// The value with word `index` replaced by `text`, right-aligned in the
// word's field; nullopt when there is no such word or the text does not fit.
std::optional<std::string> with_word_replaced(std::string_view value, int index, std::string_view text) {
    const std::optional<xq::named::Piece> field = xq::named::word_field(value, index);
    if (!field || text.size() > field->text.size()) return std::nullopt;
    std::string copy(value);
    std::string room(field->text.size() - text.size(), ' ');
    room += text;
    copy.replace(field->offset, room.size(), room);
    return copy;
}

}  // namespace

extern "C" int32_t XQ_CALL RplNamedSubstringString(const char* section, const char* entry, int32_t index,
                                                   const char* text, const char* file) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (section == nullptr || entry == nullptr || text == nullptr || file == nullptr) return 0;
        std::string buffer(kReadCapacity, '\0');
        if (GetNamedString(section, entry, buffer.data(), kReadCapacity, file) == nullptr) return 0;
        const std::string_view value(buffer.data(), std::strlen(buffer.data()));
        if (value.size() > kValueLimit) return 0;
        const std::optional<std::string> replaced = with_word_replaced(value, index, text);
        if (!replaced) return 0;
        return RplNamedString(section, entry, replaced->c_str(), file);
    });
}
