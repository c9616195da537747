#include "output.h"

#include <algorithm>
#include <array>
#include <ostream>
#include <sstream>

#include "platform/platform.h"
#include "platform/regfile/regfile.h"

namespace xqutil {
namespace {

// ---- Records ------------------------------------------------------------------

std::string value_text(const Value& value) {
    struct {
        std::string operator()(std::monostate) const { return "not set"; }
        std::string operator()(const std::string& text) const { return text; }
        std::string operator()(std::int64_t number) const { return std::to_string(number); }
        std::string operator()(bool yes) const { return yes ? "yes" : "no"; }
        std::string operator()(const std::vector<Record>&) const { return {}; }
    } visitor;
    return std::visit(visitor, value);
}

void write_text(std::ostream& out, const Record& record, std::size_t indent) {
    const std::string margin(indent, ' ');
    std::size_t width = 0;
    for (const Field& field : record.fields()) {
        if (field.in_text) width = std::max(width, field.label.size());
    }
    for (const Field& field : record.fields()) {
        if (!field.in_text) continue;
        if (const auto* records = std::get_if<std::vector<Record>>(&field.value)) {
            out << margin << field.label << ":\n";
            for (const Record& nested : *records) {
                write_text(out, nested, indent + 2);
                if (!nested.is_bare()) out << '\n';
            }
            continue;
        }
        std::string line = value_text(field.value);
        if (!field.note.empty()) line += (line.empty() ? "(" : "  (") + field.note + ")";
        if (record.is_bare()) {
            out << margin << line << '\n';
        } else {
            out << margin << field.label << ':' << std::string(width - field.label.size() + 2, ' ') << line << '\n';
        }
    }
}

void write_json(std::ostream& out, const Value& value, std::size_t indent);

void write_json(std::ostream& out, const Record& record, std::size_t indent) {
    if (record.fields().empty()) {
        out << "{}";
        return;
    }
    const std::string inner(indent + 2, ' ');
    out << "{\n";
    for (std::size_t i = 0; i < record.fields().size(); ++i) {
        const Field& field = record.fields()[i];
        out << inner << json_string(field.key) << ": ";
        write_json(out, field.value, indent + 2);
        out << (i + 1 < record.fields().size() ? ",\n" : "\n");
    }
    out << std::string(indent, ' ') << '}';
}

void write_json(std::ostream& out, const Value& value, std::size_t indent) {
    if (std::holds_alternative<std::monostate>(value)) {
        out << "null";
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        out << json_string(*text);
    } else if (const auto* records = std::get_if<std::vector<Record>>(&value)) {
        if (records->empty()) {
            out << "[]";
            return;
        }
        const std::string inner(indent + 2, ' ');
        out << "[\n";
        for (std::size_t i = 0; i < records->size(); ++i) {
            out << inner;
            write_json(out, (*records)[i], indent + 2);
            out << (i + 1 < records->size() ? ",\n" : "\n");
        }
        out << std::string(indent, ' ') << ']';
    } else if (const auto* yes = std::get_if<bool>(&value)) {
        out << (*yes ? "true" : "false");
    } else {
        out << value_text(value);
    }
}

// ---- JSON strings ---------------------------------------------------------------


// Length of the well-formed UTF-8 sequence at the start of `bytes`, 0 when
// there is none (overlong forms, surrogates and code points beyond U+10FFFF
// are not well-formed).
std::size_t utf8_sequence(std::string_view bytes) {
    struct Lead {
        unsigned char first, last;  // lead byte range
        unsigned char low, high;    // range of the second byte
        std::size_t length;
    };
    static constexpr std::array<Lead, 7> kLeads = {{
        {0xC2, 0xDF, 0x80, 0xBF, 2},
        {0xE0, 0xE0, 0xA0, 0xBF, 3},
        {0xE1, 0xEC, 0x80, 0xBF, 3},
        {0xED, 0xED, 0x80, 0x9F, 3},
        {0xEE, 0xEF, 0x80, 0xBF, 3},
        {0xF0, 0xF0, 0x90, 0xBF, 4},
        {0xF1, 0xF4, 0x80, 0xBF, 4},
    }};
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    for (const Lead& lead : kLeads) {
        if (byte(0) < lead.first || byte(0) > lead.last) continue;
        const unsigned char high = byte(0) == 0xF4 ? 0x8F : lead.high;
        if (bytes.size() < lead.length || byte(1) < lead.low || byte(1) > high) return 0;
        for (std::size_t i = 2; i < lead.length; ++i) {
            if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
        }
        return lead.length;
    }
    return 0;
}

std::string unicode_escape(unsigned char byte) {
    static constexpr std::string_view kHex = "0123456789abcdef";
    return std::string("\\u00") + kHex[byte >> 4] + kHex[byte & 0x0F];
}

}  // namespace

namespace {
bool raw_paths = false;
}  // namespace

void set_raw_paths(bool raw) { raw_paths = raw; }

std::string shown_path(std::string path) {
#ifndef _WIN32
    if (!raw_paths) std::replace(path.begin(), path.end(), '\\', '/');
#endif
    return path;
}

std::optional<std::string> shown_path(std::optional<std::string> path) {
    if (path) return shown_path(std::move(*path));
    return path;
}

Record& Record::add(std::string key, std::string label, Value value) {
    fields_.push_back({std::move(key), std::move(label), std::move(value), {}, true});
    return *this;
}

Record& Record::text(std::string key, std::string label, std::optional<std::string> value) {
    Value stored;
    if (value) stored = std::move(*value);
    return add(std::move(key), std::move(label), std::move(stored));
}

Record& Record::number(std::string key, std::string label, std::int64_t value) {
    return add(std::move(key), std::move(label), Value(std::in_place_type<std::int64_t>, value));
}

Record& Record::flag(std::string key, std::string label, bool value) {
    return add(std::move(key), std::move(label), Value(std::in_place_type<bool>, value));
}

Record& Record::list(std::string key, std::string label, std::vector<Record> records) {
    return add(std::move(key), std::move(label), Value(std::move(records)));
}

Record& Record::note(std::string note) {
    if (!fields_.empty()) fields_.back().note = std::move(note);
    return *this;
}

Record& Record::json_only() {
    if (!fields_.empty()) fields_.back().in_text = false;
    return *this;
}

Record& Record::bare() {
    bare_ = true;
    return *this;
}

void Output::report(const Record& record) {
    if (json_) {
        finish();
        held_ = record;
        return;
    }
    write_text(out_, record, 0);
    out_.flush();
}

void Output::finish() {
    if (!held_) return;
    write_json(out_, *held_, 0);
    out_ << '\n';
    out_.flush();
    held_.reset();
}

void Output::fail(int status, std::string_view message, std::string_view command) {
    if (!json_) return;
    Record error;
    error.number("code", "", status).text("message", "", std::string(message));
    if (!command.empty()) error.text("command", "", std::string(command));
    // The held report's members, then "error": the report's closing brace
    // gives way to the new member.
    std::ostringstream report;
    write_json(report, held_.value_or(Record()), 0);
    const std::string members = report.str();
    out_ << (members == "{}" ? "{\n" : members.substr(0, members.size() - 2) + ",\n") << "  \"error\": ";
    write_json(out_, error, 2);
    out_ << "\n}\n";
    out_.flush();
    held_.reset();
}

std::string json_string(std::string_view text) {
#ifdef _WIN32
    // The library's texts are in the ANSI code page: UTF-8 from here on.
    const std::string utf8 = xq::regfile::utf16_to_utf8(xq::os::narrow_to_wide(text));
    const std::string_view bytes = utf8;
#else
    const std::string_view bytes = text;
#endif
    std::string out = "\"";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        switch (byte) {
            case '"':
                out += "\\\"";
                continue;
            case '\\':
                out += "\\\\";
                continue;
            case '\b':
                out += "\\b";
                continue;
            case '\f':
                out += "\\f";
                continue;
            case '\n':
                out += "\\n";
                continue;
            case '\r':
                out += "\\r";
                continue;
            case '\t':
                out += "\\t";
                continue;
            default:
                break;
        }
        if (byte < 0x20) {
            out += unicode_escape(byte);
        } else if (byte < 0x80) {
            out += static_cast<char>(byte);
        } else if (const std::size_t length = utf8_sequence(bytes.substr(i)); length > 0) {
            out += bytes.substr(i, length);
            i += length - 1;
        } else {
            out += unicode_escape(byte);
        }
    }
    return out + "\"";
}

}  // namespace xqutil
