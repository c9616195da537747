// RplNamedSubstringString: replaces one word of a value, keeping every
// separator, and writes the value back in place like RplNamedString, under
// one open and one lock of the file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "frame/guard.h"
#include "named/in_place.h"
#include "named/named_value.h"
#include "named/profile.h"
#include "named/words.h"
#include "platform/platform.h"
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

// The value with the word replaced, as above, for a value that the rewrite
// can write back whole; nullopt otherwise.
std::optional<std::string> rewritten_value(std::string_view value, int index, std::string_view text) {
    if (value.size() > kValueLimit) return std::nullopt;
    return with_word_replaced(value, index, text);
}

// The value as GetNamedString reads it, from the contents of the file under
// the rewrite's lock; where the reader looks in another file (a bare name on
// Windows, which it resolves to the Windows directory), from that file.
std::optional<std::string> value_now(std::string_view contents, const char* section, const char* entry,
                                     const char* file) {
    std::string buffer(kReadCapacity, '\0');
    const std::uint32_t n = xq::os::profile_file_path(file) == file
                                ? xq::profile::get_string(contents, section, entry, "", buffer.data(), kReadCapacity)
                                : xq::profile::read_string(section, entry, "", buffer.data(), kReadCapacity, file);
    if (n == 0) return std::nullopt;
    return std::string(xq::named::value_conventions({buffer.data(), n}));
}

}  // namespace

extern "C" int32_t XQ_CALL RplNamedSubstringString(const char* section, const char* entry, int32_t index,
                                                   const char* text, const char* file) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (section == nullptr || entry == nullptr || text == nullptr || file == nullptr) return 0;
        // The word is replaced in the value as the file holds it under the
        // rewrite's lock, so that another word of the same value written
        // meanwhile is kept rather than overwritten.
        return xq::named::rewrite_in_place(section, entry, file, [&](std::string_view contents) -> std::optional<std::string> {
            const std::optional<std::string> value = value_now(contents, section, entry, file);
            return value ? rewritten_value(*value, index, text) : std::nullopt;
        }) ? 1 : 0;
    });
}
