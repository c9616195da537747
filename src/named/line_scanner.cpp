#include "named/line_scanner.h"

namespace xq::named {
namespace {

bool is_line_end(char c) { return c == '\n' || c == '\r'; }

std::string_view text_of(std::string_view contents, const ScanLine& line) {
    return contents.substr(line.begin, line.end - line.begin);
}

bool is_header_of(std::string_view text, std::string_view section) {
    return !text.empty() && text.front() == '[' && text.substr(1).starts_with(section);
}

}  // namespace

ScanLine scan_line(std::string_view contents, std::size_t pos) {
    std::size_t end = pos;
    while (end < contents.size() && !is_line_end(contents[end])) ++end;
    std::size_t next = end;
    if (next < contents.size()) {
        const bool crlf = contents[next] == '\r' && next + 1 < contents.size() && contents[next + 1] == '\n';
        next += crlf ? 2 : 1;
    }
    return {pos, end, next};
}

std::optional<std::size_t> find_entry_line(std::string_view contents, std::string_view section,
                                           std::string_view entry) {
    if (entry.empty()) return std::nullopt;
    std::size_t pos = 0;
    while (pos < contents.size()) {
        const ScanLine header = scan_line(contents, pos);
        pos = header.next;
        if (!is_header_of(text_of(contents, header), section)) continue;
        // In the section: each line either is the entry's, ends the walk at
        // a "[" line, or is passed over.
        while (pos < contents.size()) {
            const ScanLine line = scan_line(contents, pos);
            const std::string_view text = text_of(contents, line);
            if (text.starts_with(entry)) return line.begin;
            pos = line.next;
            if (text.starts_with('[')) break;
        }
    }
    return std::nullopt;
}

std::optional<ValueField> value_field(std::string_view contents, std::size_t line_start) {
    const ScanLine line = scan_line(contents, line_start);
    const std::size_t equals = text_of(contents, line).find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::size_t start = line.begin + equals + 1;
    return ValueField{start, line.end - start};
}

}  // namespace xq::named
