#include "platform/regfile/regfile.h"

#include <optional>
#include <utility>


namespace xq::regfile {
namespace {

// The data a value line stores, as the registry keeps it.
std::string stored_data(const ValueLine& line, Encoding encoding) {
    if (!is_string_type(line.type)) return line.data;
    if (!line.from_hex) return to_le_bytes(utf8_to_utf16(line.data) + u'\0');
    // Hex bytes of a string type are ANSI text in an ANSI file and UTF-16LE
    // in a UTF-16 file; a missing final NUL is added, except to no data.
    std::string data = encoding == Encoding::ansi ? to_le_bytes(utf8_to_utf16(line.data)) : line.data;
    if (data.empty()) return data;
    if (data.size() % 2 != 0) data += '\0';
    if (data[data.size() - 1] != '\0' || data[data.size() - 2] != '\0') data.append(2, '\0');
    return data;
}

class Parser {
public:
    explicit Parser(Parsed& out) : out_(out) {}

    void run() {
        const auto& lines = out_.layout.lines;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const std::string_view text = skip_blanks(lines[i].text);
            if (pending_) {
                continue_hex(text, i);
            } else if (!text.empty() && text.front() == '[') {
                key_line(text, i);
            } else if (!text.empty() && (text.front() == '"' || text.front() == '@')) {
                value_line(text, i);
            }
            // Anything else is blank, a comment or invalid: skipped.
        }
        if (pending_) store(*pending_);  // end of file after ",\"
    }

private:
    struct Pending {
        ValueLine value;
        LineSpan span;
    };

    void key_line(std::string_view text, std::size_t i) {
        current_ = nullptr;  // an invalid key line ends the block too
        const auto key = read_key_line(text);
        if (!key) return;
        if (key->remove) {
            if (!is_root_path(key->path)) out_.registry.remove(key->path);
            return;
        }
        current_ = &out_.registry.create(key->path);
        current_->anchor = i;
    }

    void value_line(std::string_view text, std::size_t i) {
        if (current_ == nullptr) return;
        auto value = read_value_line(text);
        if (!value) return;
        switch (value->kind) {
        case ValueLine::Kind::set: {
            Pending complete{std::move(*value), {i, i}};
            store(complete);
            break;
        }
        case ValueLine::Kind::remove:
            current_->erase(value->name);
            current_->anchor = i;
            break;
        case ValueLine::Kind::open:
            pending_ = Pending{std::move(*value), {i, i}};
            break;
        }
    }

    // A line after ",\": blank and ';' lines are skipped; anything else must
    // go on with the bytes, or the value and this line are both dropped.
    void continue_hex(std::string_view text, std::size_t i) {
        if (text.empty() || text.front() == ';') return;
        const ListEnd end = text.front() == '#' ? ListEnd::invalid
                                                : read_byte_list(text, 0, true, pending_->value.data);
        pending_->span.last = i;
        if (end == ListEnd::continues) return;
        if (end == ListEnd::done) store(*pending_);
        pending_.reset();
    }

    void store(const Pending& pending) {
        Value& value = current_->set(pending.value.name, pending.value.type,
                                     stored_data(pending.value, out_.layout.encoding));
        value.source = pending.span;
        current_->anchor = pending.span.last;
    }

    Parsed& out_;
    Key* current_ = nullptr;  // the key that value lines go to
    std::optional<Pending> pending_;
};

}  // namespace

Parsed parse(std::string_view file) {
    Parsed parsed;
    parsed.layout = split_lines(file);
    const Header header = parsed.layout.header;
    if (header == Header::regedit4 || header == Header::version5) Parser(parsed).run();
    return parsed;
}

}  // namespace xq::regfile
