// The profile reader: lookups, name lists and defaults over a file's bytes.

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "profile/bytes.h"
#include "profile/profile.h"
#include "profile/scan.h"

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

bool is_utf16(std::string_view bytes) { return bytes.starts_with(kUtf16Mark); }

std::u16string decode_utf16(std::string_view bytes) {
    std::u16string text((bytes.size() + 1) / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lo = static_cast<unsigned char>(bytes[2 * i]);
        const auto hi = 2 * i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[2 * i + 1]) : 0U;
        text[i] = static_cast<char16_t>(lo | (hi << 8));
    }
    return text;
}

std::string encode_utf16(std::u16string_view text) {
    std::string bytes(text.size() * 2, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return bytes;
}

std::optional<std::string_view> argument(const char* text) {
    if (text == nullptr) return std::nullopt;
    return trim_spaces(std::string_view(text));
}

std::optional<std::u16string> widen(std::optional<std::string_view> text) {
    if (!text) return std::nullopt;
    return os::narrow_to_wide(*text);
}

std::uint32_t deliver_value(std::string_view text, std::span<char> out) {
    if (out.empty()) return 0;
    const std::size_t n = std::min(text.size(), out.size() - 1);
    if (n != 0) std::memcpy(out.data(), text.data(), n);
    out[n] = '\0';
    return static_cast<std::uint32_t>(n);
}

void ListWriter::put(std::string_view bytes) {
    if (total_ < out_.size()) {
        const std::size_t n = std::min(bytes.size(), out_.size() - total_);
        if (n != 0) std::memcpy(out_.data() + total_, bytes.data(), n);
    }
    total_ += bytes.size();
}

void ListWriter::add(std::string_view name) {
    put(name);
    put(std::string_view("\0", 1));
}

std::uint32_t ListWriter::finish() {
    const std::size_t n = out_.size();
    if (n == 0) return 0;
    if (total_ + 2 <= n) {
        out_[total_] = '\0';
        return static_cast<std::uint32_t>(total_);
    }
    if (n == 1) {
        out_[0] = '\0';
        return 0;
    }
    out_[n - 2] = '\0';
    out_[n - 1] = '\0';
    return static_cast<std::uint32_t>(n - 2);
}

}  // namespace xq::profile
