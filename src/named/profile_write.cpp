// Editing profile files in place. Every line that an edit does not touch
// keeps its bytes; lines that are written end with CR LF.
//
// - An existing entry (first match in the first matching section) becomes
//   "name=value": the name as the file spells it, the line's leading blanks
//   kept. The value is written exactly as given.
// - A new entry goes after the section's last line that holds data (entries
//   and other non-comment text), so comments and blank lines that close the
//   section stay below it; in a section without data, right after the header.
// - A new section goes at the end, after a CR LF when the file does not end
//   with a line break.
// - Deleting a section removes its header and data lines and keeps its
//   comment and blank lines.
// - A file starting with the UTF-16LE mark is edited in UTF-16 and stays so.
// Edits that would not change the text leave the file alone.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "named/profile.h"
#include "named/profile_args.h"
#include "named/profile_encoding.h"
#include "named/profile_scan.h"
#include "platform/platform.h"

namespace xq::profile {
namespace {

template <class Ch>
using Text = std::basic_string<Ch>;

template <class Ch>
struct Request {
    View<Ch> section;
    std::optional<View<Ch>> entry;  // nullopt: delete the section
    std::optional<View<Ch>> value;  // nullopt: delete the entry
};

// Appends ASCII punctuation such as "=" or "\r\n" to text of either width.
template <class Ch>
void append(Text<Ch>& out, std::string_view ascii) {
    for (const char c : ascii) out.push_back(static_cast<Ch>(c));
}

template <class Ch>
void append_entry(Text<Ch>& out, View<Ch> name, View<Ch> value) {
    out += name;
    append(out, "=");
    out += value;
    append(out, "\r\n");
}

template <class Ch>
Text<Ch> add_section(View<Ch> text, bool empty_file, const Request<Ch>& r) {
    Text<Ch> out(text);
    if (!empty_file && (text.empty() || !is_line_break(text.back()))) append(out, "\r\n");
    append(out, "[");
    out += r.section;
    append(out, "]\r\n");
    append_entry(out, *r.entry, *r.value);
    return out;
}

template <class Ch>
Text<Ch> delete_section(View<Ch> text, const Section& section) {
    Text<Ch> out(text.substr(0, section.header.begin));
    for_each_line(text, section, [&](const Line& line, const Parsed<Ch>& p) {
        if (p.kind == Kind::comment || p.kind == Kind::blank)
            out += text.substr(line.begin, line.next - line.begin);
    });
    out += text.substr(section.end);
    return out;
}

// Where a new entry of the section goes, and whether a line break must
// come first (the line before it ends the file without one).
struct Slot {
    std::size_t at;
    bool needs_break;
};

template <class Ch>
Slot new_entry_slot(View<Ch> text, const Section& section) {
    Line last = section.header;
    for_each_line(text, section, [&](const Line& line, const Parsed<Ch>& p) {
        if (p.kind == Kind::entry || p.kind == Kind::other) last = line;
    });
    return {last.next, !last.has_break()};
}

// The edited text, or nullopt when the edit changes nothing.
template <class Ch>
std::optional<Text<Ch>> edit(View<Ch> text, bool empty_file, const Request<Ch>& r) {
    const std::optional<Section> section = find_section(text, r.section);
    if (!section) {
        if (!r.entry || !r.value) return std::nullopt;
        return add_section(text, empty_file, r);
    }
    if (!r.entry) return delete_section(text, *section);

    const std::optional<Found<Ch>> hit = find_entry(text, *section, *r.entry);
    Text<Ch> out(text);
    if (!r.value) {
        if (!hit) return std::nullopt;
        out.erase(hit->line.begin, hit->line.next - hit->line.begin);
        return out;
    }
    Text<Ch> line;
    if (hit) {
        append_entry(line, hit->parsed.name, *r.value);
        const std::size_t from = hit->line.begin + hit->parsed.indent;
        out.replace(from, hit->line.next - from, line);
    } else {
        const Slot slot = new_entry_slot(text, *section);
        if (slot.needs_break) append(line, "\r\n");
        append_entry(line, *r.entry, *r.value);
        out.insert(slot.at, line);
    }
    if (out == text) return std::nullopt;
    return out;
}

// The new file bytes, or nullopt when nothing changes. `section` is not null.
std::optional<std::string> edit_bytes(std::string_view bytes, const char* section, const char* entry,
                                      const char* value) {
    // The value is written as given; only names are trimmed.
    const std::optional<std::string_view> raw_value =
        value != nullptr ? std::optional<std::string_view>(value) : std::nullopt;
    if (!is_utf16(bytes)) {
        return edit<char>(bytes, bytes.empty(), {*argument(section), argument(entry), raw_value});
    }
    const std::u16string text = decode_utf16(bytes.substr(kUtf16Mark.size()));
    const std::u16string wide_section = *widen(argument(section));
    const std::optional<std::u16string> wide_entry = widen(argument(entry));
    const std::optional<std::u16string> wide_value = widen(raw_value);
    Request<char16_t> r{wide_section, std::nullopt, std::nullopt};
    if (wide_entry) r.entry = *wide_entry;
    if (wide_value) r.value = *wide_value;
    const std::optional<std::u16string> edited = edit<char16_t>(text, false, r);
    if (!edited) return std::nullopt;
    return std::string(kUtf16Mark) + encode_utf16(*edited);
}

}  // namespace

bool put_string(std::string& contents, const char* section, const char* entry, const char* value) {
    if (section == nullptr) return false;
    try {
        if (std::optional<std::string> edited = edit_bytes(contents, section, entry, value))
            contents = std::move(*edited);
        return true;
    } catch (...) {
        return false;
    }
}

namespace {

// Read-modify-write of the file under the platform's lock with `edited`,
// which must throw nothing across the platform's rewrite: a failed edit
// leaves the file as it is and is reported after the lock is gone.
bool rewrite(const char* file, const std::function<std::optional<std::string>(std::string_view)>& edited) {
    const std::string path = os::profile_file_path(file);
    bool failed = false;
    const bool written = os::file_rewrite(path.c_str(), true, [&](std::string_view current, bool) {
        try {
            return edited(current);
        } catch (...) {
            failed = true;
            return std::optional<std::string>();
        }
    });
    return written && !failed;
}

}  // namespace

bool write_string(const char* section, const char* entry, const char* value, const char* file) {
    if (section == nullptr || file == nullptr) return false;
    try {
        return rewrite(file, [&](std::string_view current) { return edit_bytes(current, section, entry, value); });
    } catch (...) {
        return false;
    }
}

bool write_value_from(const char* section, const char* entry, const char* file, const ValueFor& value_for) {
    if (section == nullptr || entry == nullptr || file == nullptr || !value_for) return false;
    try {
        bool refused = false;
        const bool written = rewrite(file, [&](std::string_view current) -> std::optional<std::string> {
            const std::optional<std::string> value = value_for(current);
            refused = !value;
            if (refused) return std::nullopt;
            return edit_bytes(current, section, entry, value->c_str());
        });
        return written && !refused;
    } catch (...) {
        return false;
    }
}

}  // namespace xq::profile
