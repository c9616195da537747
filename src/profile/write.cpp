// Rewriting the value of an existing entry in a profile file. The only
// writer of the library is RplNamedData, which replaces a value that it has
// just read, so the writer replaces values and does nothing else: it never
// adds or deletes entries or sections and never creates a file.
//
// The entry (first match in the first matching section, by the reader's
// rules) becomes "name=value": the name as the file spells it, the line's
// leading blanks kept, the value exactly as given. The line keeps the line
// end it had, so a file keeps its own line ends. Every other byte stays. A
// file starting with the UTF-16LE mark is edited in UTF-16 and stays so.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "profile/profile.h"
#include "profile/bytes.h"
#include "profile/scan.h"
#include "platform/platform.h"

namespace xq::profile {
namespace {

template <class Ch>
using Text = std::basic_string<Ch>;

template <class Ch>
std::optional<Text<Ch>> replace(View<Ch> text, View<Ch> section, View<Ch> entry, View<Ch> value) {
    const std::optional<Section> found = find_section(text, section);
    if (!found) return std::nullopt;
    const std::optional<Found<Ch>> hit = find_entry(text, *found, entry);
    if (!hit) return std::nullopt;
    Text<Ch> line(hit->parsed.name);
    line.push_back(Ch('='));
    line += value;
    Text<Ch> out(text);
    const std::size_t from = hit->line.begin + hit->parsed.indent;
    out.replace(from, hit->line.end - from, line);
    return out;
}

}  // namespace

std::optional<std::string> replace_value(std::string_view contents, const char* section, const char* entry,
                                         std::string_view value) {
    if (section == nullptr || entry == nullptr) return std::nullopt;
    const std::string_view wanted_section = *argument(section);
    const std::string_view wanted_entry = *argument(entry);
    if (!is_utf16(contents)) return replace<char>(contents, wanted_section, wanted_entry, value);
    const std::u16string text = decode_utf16(contents.substr(kUtf16Mark.size()));
    const std::u16string wide_section = os::narrow_to_wide(wanted_section);
    const std::u16string wide_entry = os::narrow_to_wide(wanted_entry);
    const std::u16string wide_value = os::narrow_to_wide(value);
    const std::optional<std::u16string> edited = replace<char16_t>(text, wide_section, wide_entry, wide_value);
    if (!edited) return std::nullopt;
    return std::string(kUtf16Mark) + encode_utf16(*edited);
}

bool write_value_from(const char* section, const char* entry, const char* file, const ValueFor& value_for) {
    if (section == nullptr || entry == nullptr || file == nullptr || !value_for) return false;
    try {
        const std::string path = os::profile_file_path(file);
        // Nothing may throw across the platform's rewrite: a failed edit
        // leaves the file as it is and is reported once the lock is gone.
        bool refused = false;
        const bool written = os::file_rewrite(path.c_str(), false, [&](std::string_view current, bool) {
            try {
                const std::optional<std::string> value = value_for(current);
                std::optional<std::string> edited;
                if (value) edited = replace_value(current, section, entry, *value);
                refused = !edited;
                if (refused || *edited == current) return std::optional<std::string>();
                return edited;
            } catch (...) {
                refused = true;
                return std::optional<std::string>();
            }
        });
        return written && !refused;
    } catch (...) {
        return false;
    }
}

}  // namespace xq::profile
