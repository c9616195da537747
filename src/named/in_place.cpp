// In-place rewriting: the entry line, its value field and the write.
#include "named/in_place.h"

#include <algorithm>

#include "platform/platform.h"
#include "profile/scan.h"

namespace xq::named {
namespace {

std::string_view text_of(std::string_view contents, const profile::Line& line) {
    return contents.substr(line.begin, line.end - line.begin);
}

bool is_header_of(std::string_view text, std::string_view section) {
    return !text.empty() && text.front() == '[' && text.substr(1).starts_with(section);
}

}  // namespace

std::optional<std::size_t> find_entry_line(std::string_view contents, std::string_view section,
                                           std::string_view entry) {
    if (entry.empty()) return std::nullopt;
    std::size_t pos = 0;
    while (pos < contents.size()) {
        const profile::Line header = profile::line_at<char>(contents, pos);
        pos = header.next;
        if (!is_header_of(text_of(contents, header), section)) continue;
        // In the section: each line either is the entry's, ends the walk at
        // a "[" line, or is passed over.
        while (pos < contents.size()) {
            const profile::Line line = profile::line_at<char>(contents, pos);
            const std::string_view text = text_of(contents, line);
            if (text.starts_with(entry)) return line.begin;
            pos = line.next;
            if (text.starts_with('[')) break;
        }
    }
    return std::nullopt;
}

std::optional<ValueField> value_field(std::string_view contents, std::size_t line_start) {
    const profile::Line line = profile::line_at<char>(contents, line_start);
    const std::size_t equals = text_of(contents, line).find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::size_t start = line.begin + equals + 1;
    return ValueField{start, line.end - start};
}

std::optional<std::string> right_aligned(std::string_view value, std::size_t room) {
    if (value.size() > room) return std::nullopt;
    std::string field(room - value.size(), ' ');
    field += value;
    return field;
}

std::optional<FieldWrite> rewrite_entry_value(std::string_view contents, std::string_view section,
                                              std::string_view entry, std::string_view value) {
    if (value.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
    const std::optional<std::size_t> line = find_entry_line(contents, section, entry);
    if (!line) return std::nullopt;
    const std::optional<ValueField> field = value_field(contents, *line);
    if (!field) return std::nullopt;
    std::optional<std::string> bytes = right_aligned(value, field->size);
    if (!bytes) return std::nullopt;
    return FieldWrite{field->offset, std::move(*bytes)};
}

bool rewrite_in_place(const char* section, const char* entry, const char* file, const ValueFromContents& value_for) {
    const auto status = os::file_update(file, [&](std::string_view contents) -> std::optional<os::Patch> {
        const std::optional<std::string> value = value_for(contents);
        if (!value) return std::nullopt;
        std::optional<FieldWrite> write = rewrite_entry_value(contents, section, entry, *value);
        if (!write) return std::nullopt;
        return os::Patch{write->offset, std::move(write->bytes)};
    });
    return status == os::UpdateStatus::written;
}

std::optional<std::string> replace_comma_field(std::string_view value, int index, std::string_view data) {
    std::size_t start = 0;
    for (int n = 1; n < index; ++n) {
        const std::size_t comma = value.find(',', start);
        if (comma == std::string_view::npos) return std::nullopt;
        start = comma + 1;
    }
    const std::size_t end = std::min(value.find(',', start), value.size());
    std::string out(value.substr(0, start));
    out += data;
    out += value.substr(end);
    return out;
}

}  // namespace xq::named
