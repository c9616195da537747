#include "platform/regfile/regfile.h"


namespace xq::regfile {
namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::size_t skip_blanks_at(std::string_view line, std::size_t pos) {
    while (pos < line.size() && is_blank(line[pos])) ++pos;
    return pos;
}

// 1 to `max_digits` hex digits at `pos`; nothing more may follow directly.
std::optional<std::uint32_t> read_hex_number(std::string_view line, std::size_t& pos, std::size_t max_digits) {
    std::uint32_t value = 0;
    std::size_t count = 0;
    while (pos < line.size() && hex_digit(line[pos]) >= 0) {
        if (++count > max_digits) return std::nullopt;
        value = (value << 4) | static_cast<std::uint32_t>(hex_digit(line[pos]));
        ++pos;
    }
    if (count == 0) return std::nullopt;
    return value;
}

// The data after "name=" (blanks already skipped).
bool read_data(std::string_view line, std::size_t pos, ValueLine& value) {
    if (pos >= line.size()) return false;
    if (line[pos] == '"') {
        value.type = kRegSz;
        return read_quoted(line, pos, value.data) && only_comment_after(line, pos);
    }
    if (line[pos] == '-') {
        value.kind = ValueLine::Kind::remove;
        return only_comment_after(line, pos + 1);
    }
    const std::string_view rest = line.substr(pos);
    if (rest.starts_with("dword:")) {
        pos += 6;
        auto number = read_hex_number(line, pos, 8);
        if (!number || !only_comment_after(line, pos)) return false;
        value.type = kRegDword;
        for (int shift = 0; shift < 32; shift += 8) value.data += static_cast<char>((*number >> shift) & 0xFFU);
        return true;
    }
    if (rest.starts_with("hex:")) {
        value.type = kRegBinary;
        pos += 4;
    } else if (rest.starts_with("hex(")) {
        pos += 4;
        auto type = read_hex_number(line, pos, 8);
        if (!type || line.substr(pos, 2) != "):") return false;
        value.type = *type;
        pos += 2;
    } else {
        return false;
    }
    value.from_hex = true;
    const ListEnd end = read_byte_list(line, pos, false, value.data);
    if (end == ListEnd::continues) value.kind = ValueLine::Kind::open;
    return end != ListEnd::invalid;
}

}  // namespace

std::optional<KeyLine> read_key_line(std::string_view line, std::string_view valid) {
    if (!line.starts_with('[')) return std::nullopt;
    const bool remove = line.substr(1).starts_with('-');
    const std::size_t start = remove ? 2 : 1;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos || close < start) return std::nullopt;
    const auto path = checked_path(line.substr(start, close - start), valid);
    if (!path) return std::nullopt;
    return KeyLine{remove, *path};
}

bool read_quoted(std::string_view line, std::size_t& pos, std::string& text) {
    std::size_t at = pos + 1;
    // Most texts hold no backslash: taken whole up to the closing quote.
    const std::size_t close = line.find('"', at);
    if (close != std::string_view::npos && line.substr(at, close - at).find('\\') == std::string_view::npos) {
        pos = close + 1;
        text.reserve(close - at + 1);  // room for the terminator a query adds
        text.assign(line, at, close - at);
        return true;
    }
    text.clear();
    while (at < line.size()) {
        // Plain characters up to the next quote or backslash go in at once.
        std::size_t stop = at;
        while (stop < line.size() && line[stop] != '"' && line[stop] != '\\') ++stop;
        text.append(line, at, stop - at);
        at = stop;
        if (at == line.size()) break;
        if (line[at] == '"') {
            pos = at + 1;
            return true;
        }
        const char next = at + 1 < line.size() ? line[at + 1] : '\0';
        if (next == '0') return false;
        const bool escape = next == '\\' || next == '"';
        text += escape ? next : '\\';  // any other backslash stands for itself
        at += escape ? 2 : 1;
    }
    return false;  // no closing quote
}

bool only_comment_after(std::string_view line, std::size_t pos) {
    pos = skip_blanks_at(line, pos);
    return pos >= line.size() || line[pos] == ';';
}

ListEnd read_byte_list(std::string_view line, std::size_t pos, bool continued, std::string& bytes) {
    bool at_start = true;
    while (true) {
        // A byte is expected here: at the start of the list or after a comma.
        // Instead, the list may end, or go on with '\' on the next line.
        pos = skip_blanks_at(line, pos);
        if (pos < line.size() && hex_digit(line[pos]) >= 0) {
            auto byte = read_hex_number(line, pos, 2);
            if (!byte) return ListEnd::invalid;  // above ff
            bytes += static_cast<char>(*byte);
            at_start = false;
            if (pos < line.size() && line[pos] == ',') {
                ++pos;
                continue;
            }
            return only_comment_after(line, pos) ? ListEnd::done : ListEnd::invalid;
        }
        if (continued && at_start) return ListEnd::invalid;
        if (pos < line.size() && line[pos] == '\\') {
            return only_comment_after(line, pos + 1) ? ListEnd::continues : ListEnd::invalid;
        }
        if (pos < line.size() && line[pos] == ',') return ListEnd::invalid;  // empty field
        return only_comment_after(line, pos) ? ListEnd::done : ListEnd::invalid;
    }
}

bool read_value_line(std::string_view line, ValueLine& value) {
    std::size_t pos = skip_blanks_at(line, 0);
    if (pos >= line.size()) return false;
    if (line[pos] == '@') {
        ++pos;
    } else if (line[pos] != '"' || !read_quoted(line, pos, value.name)) {
        return false;
    }
    pos = skip_blanks_at(line, pos);
    if (pos >= line.size() || line[pos] != '=') return false;
    pos = skip_blanks_at(line, pos + 1);
    return read_data(line, pos, value);
}

std::optional<PlainValue> read_plain_value(std::string_view line) {
    // Read on every index build: views are made in place, not by substr.
    const char* at = line.data();
    const auto view = [&](std::size_t from, std::size_t to) { return std::string_view(at + from, to - from); };
    if (!line.starts_with('"') || line.find('\\') != std::string_view::npos) return std::nullopt;
    const std::size_t name_end = line.find('"', 1);
    if (name_end == std::string_view::npos) return std::nullopt;
    std::size_t pos = skip_blanks_at(line, name_end + 1);
    if (pos >= line.size() || line[pos] != '=') return std::nullopt;
    pos = skip_blanks_at(line, pos + 1);
    if (pos >= line.size() || line[pos] != '"') return std::nullopt;
    const std::size_t close = line.find('"', pos + 1);
    if (close == std::string_view::npos || !only_comment_after(line, close + 1)) return std::nullopt;
    return PlainValue{view(1, name_end), view(pos + 1, close)};
}

}  // namespace xq::regfile
