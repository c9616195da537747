// Reading profile files: one value, the entry names of a section, or the
// section names of a file.
//
// Choices where files or arguments leave room:
// - Empty names are left out of both name lists: in a list an empty name would
//   read as the list's end.
// - The entry-name list of a missing section delivers the default (trailing
//   spaces removed) followed by two NULs, cut to capacity - 2 characters so
//   both NULs fit: it reads as a value and as a well-formed list. The count
//   is that of the default's characters delivered.
// - The default is used as given apart from its trailing spaces; quotes in it
//   are kept.
// - A null buffer is taken as a capacity of 0.
// UTF-16 files are searched in UTF-16 (arguments widened) and results handed
// over in the narrow character set, cut and counted in narrow characters.
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "named/profile.h"
#include "named/profile_args.h"
#include "named/profile_encoding.h"
#include "named/profile_output.h"
#include "named/profile_scan.h"
#include "platform/platform.h"

namespace xq::profile {
namespace {

// The default: NULL is the empty text; trailing spaces are dropped.
std::string_view default_of(const char* text) {
    if (text == nullptr) return {};
    std::string_view d(text);
    while (!d.empty() && d.back() == ' ') d.remove_suffix(1);
    return d;
}

// Narrow text of a name or value found in the file; `store` holds a
// conversion when one is needed.
std::string_view narrow(std::string_view text, std::string& /*store*/) { return text; }
std::string_view narrow(std::u16string_view text, std::string& store) {
    store = os::wide_to_narrow(text);
    return store;
}

template <class Ch>
struct Query {
    std::optional<View<Ch>> section;  // nullopt: list the sections
    std::optional<View<Ch>> entry;    // nullopt: list the section's entries
    std::string_view fallback;        // the default, already trimmed
};

template <class Ch>
std::uint32_t list_sections(View<Ch> text, std::span<char> out) {
    ListWriter list(out);
    std::string store;
    for_each_section_name(text, [&](View<Ch> name) {
        if (!name.empty()) list.add(narrow(name, store));
    });
    return list.finish();
}

template <class Ch>
std::uint32_t list_entries(View<Ch> text, const Section& section, std::span<char> out) {
    ListWriter list(out);
    std::string store;
    for_each_line(text, section, [&](const Line&, const Parsed<Ch>& p) {
        if (p.kind == Kind::entry && !p.name.empty()) list.add(narrow(p.name, store));
    });
    return list.finish();
}

// The default in place of a list: its characters, cut so that two NULs
// follow within the capacity, so the result also reads as a list.
std::uint32_t default_as_list(std::string_view fallback, std::span<char> out) {
    if (out.size() < 2) return deliver_value({}, out);
    const std::uint32_t n = deliver_value(fallback, out.first(out.size() - 1));
    out[n + 1] = '\0';
    return n;
}

template <class Ch>
std::uint32_t lookup(View<Ch> text, const Query<Ch>& q, std::span<char> out) {
    if (!q.section) return list_sections(text, out);
    const std::optional<Section> section = find_section(text, *q.section);
    if (!q.entry) return section ? list_entries(text, *section, out) : default_as_list(q.fallback, out);
    if (section) {
        if (const std::optional<Found<Ch>> hit = find_entry(text, *section, *q.entry)) {
            std::string store;
            return deliver_value(narrow(unquote(hit->parsed.value), store), out);
        }
    }
    return deliver_value(q.fallback, out);
}

std::uint32_t lookup_bytes(std::string_view contents, const char* section, const char* entry,
                           std::string_view fallback, std::span<char> out) {
    if (!is_utf16(contents))
        return lookup<char>(contents, {argument(section), argument(entry), fallback}, out);
    const std::u16string text = decode_utf16(contents.substr(kUtf16Mark.size()));
    const std::optional<std::u16string> wide_section = widen(argument(section));
    const std::optional<std::u16string> wide_entry = widen(argument(entry));
    Query<char16_t> q{std::nullopt, std::nullopt, fallback};
    if (wide_section) q.section = *wide_section;
    if (wide_entry) q.entry = *wide_entry;
    return lookup<char16_t>(text, q, out);
}

}  // namespace

std::uint32_t get_string(std::string_view contents, const char* section, const char* entry,
                         const char* default_text, char* buffer, std::uint32_t capacity) {
    const std::span<char> out = buffer != nullptr ? std::span<char>(buffer, capacity) : std::span<char>();
    const std::string_view fallback = default_of(default_text);
    try {
        return lookup_bytes(contents, section, entry, fallback, out);
    } catch (...) {
        // Out of memory while converting: answer as for an empty file.
        return lookup<char>({}, {argument(section), argument(entry), fallback}, out);
    }
}

std::uint32_t read_string(const char* section, const char* entry, const char* default_text,
                          char* buffer, std::uint32_t capacity, const char* file, bool* found) {
    os::FileBytes bytes;
    std::string_view contents;
    bool opened = false;
    if (file != nullptr) {
        try {
            // A name with a directory part is used as it stands on every
            // platform; only bare names need resolving (and a copy).
            const bool bare = std::strpbrk(file, "\\/") == nullptr;
            const std::string resolved = bare ? os::profile_file_path(file) : std::string();
            const os::ReadStatus status = os::file_read(bare ? resolved.c_str() : file, bytes);
            opened = status != os::ReadStatus::not_found;
            if (status == os::ReadStatus::ok) contents = bytes.view();
        } catch (...) {
            contents = {};
        }
    }
    if (found != nullptr) *found = opened;
    return get_string(contents, section, entry, default_text, buffer, capacity);
}

}  // namespace xq::profile
