#include "named/value_rewrite.h"

#include "named/line_scanner.h"

namespace xq::named {

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

}  // namespace xq::named
