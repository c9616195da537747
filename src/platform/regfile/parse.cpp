#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/regfile/regfile.h"

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

struct Pending {
    ValueLine value;
    LineSpan span;
};

// Whether a value line may end with ",\" and go on: only hex data does,
// after an '=' and blanks, and the line must hold a backslash.
bool may_continue(std::string_view text) {
    if (std::memchr(text.data(), '\\', text.size()) == nullptr) return false;
    for (std::size_t eq = text.find('='); eq != std::string_view::npos; eq = text.find('=', eq + 1))
        if (skip_blanks(text.substr(eq + 1)).starts_with("hex")) return true;
    return false;
}

// Applies the lines after the header the way an import does: later lines
// override earlier ones, invalid lines are skipped. `Sink` keeps what it
// needs: key lines open a block (null: value lines are ignored), value
// lines of a block are set or erased there.
template <class Sink>
class Reader {
public:
    explicit Reader(Sink& sink) : sink_(sink) {}

    void line(std::string_view raw, std::size_t i) {
        const std::string_view text = skip_blanks(raw);
        if (pending_) {
            continue_hex(text, i);
        } else if (!text.empty() && text.front() == '[') {
            key_line(read_key_line(text), i);
        } else if (!text.empty() && (text.front() == '"' || text.front() == '@')) {
            value_line(text, i);
        }
        // Anything else is blank, a comment or invalid: skipped.
    }

    // A key line (nullopt: an invalid one, which ends the block too).
    void key_line(const std::optional<KeyLine>& key, std::size_t i) { block_ = sink_.key_line(key, i); }

    void finish() {
        if (pending_) sink_.store(block_, std::move(*pending_));  // end of file after ",\"
    }

private:
    void value_line(std::string_view text, std::size_t i) {
        // A line that cannot go on with ",\" matters only to a sink that wants it.
        if (block_ == nullptr || (!sink_.wants(block_, text) && !may_continue(text))) return;
        Pending value{{}, {i, i}};
        if (!read_value_line(text, value.value)) return;
        switch (value.value.kind) {
        case ValueLine::Kind::set:
            sink_.store(block_, std::move(value));
            break;
        case ValueLine::Kind::remove:
            sink_.erase(block_, value.value.name, i);
            break;
        case ValueLine::Kind::open:
            pending_ = std::move(value);
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
        if (end == ListEnd::done) sink_.store(block_, std::move(*pending_));
        pending_.reset();
    }

    Sink& sink_;
    Key* block_ = nullptr;
    std::optional<Pending> pending_;
};

// Builds the whole registry with where each value and block sits.
class RegistrySink {
public:
    RegistrySink(Registry& registry, Encoding encoding) : registry_(registry), encoding_(encoding) {}

    Key* key_line(const std::optional<KeyLine>& key, std::size_t i) {
        if (!key) return nullptr;
        if (key->remove) {
            if (!is_root_path(key->path)) registry_.remove(key->path);
            return nullptr;
        }
        Key* block = &registry_.create(*normal_path(key->path));
        block->anchor = i;
        return block;
    }
    bool wants(const Key*, std::string_view) const { return true; }
    void store(Key* block, Pending&& pending) {
        Value& value = block->set(pending.value.name, pending.value.type, stored_data(pending.value, encoding_));
        value.source = pending.span;
        block->anchor = pending.span.last;
    }
    void erase(Key* block, std::string_view name, std::size_t i) {
        block->erase(name);
        block->anchor = i;
    }

private:
    Registry& registry_;
    Encoding encoding_;
};

// Keeps one key: whether it exists and, when asked, one value of it.
class KeySink {
public:
    KeySink(std::string_view path, std::optional<std::string_view> name, Encoding encoding)
        : path_(path),
          name_(name),
          // A name without '\' or '"' is only read from the same characters
          // between quotes: every escape yields one of those two.
          plain_(name && std::none_of(name->begin(), name->end(), [](char c) { return c == '\\' || c == '"'; })),
          encoding_(encoding) {}

    Key* key_line(const std::optional<KeyLine>& key, std::size_t) {
        in_block_ = false;
        if (!key) return nullptr;
        if (key->remove) {
            // Removing a key removes everything below it.
            if (!is_root_path(key->path) && is_within(path_, key->path)) {
                exists_ = false;
                value_.reset();
            }
            return nullptr;
        }
        // A key line creates the key and every key above it (a question for a
        // value needs no answer to that: removals alone drop the value).
        if (!name_ && is_within(key->path, path_)) exists_ = true;
        in_block_ = name_ && names_equal(key->path, path_);
        return in_block_ ? &target_ : &other_;
    }
    // Whether the value line may set or remove the value asked for.
    bool wants(const Key* block, std::string_view text) const {
        if (block != &target_ || !name_) return false;
        if (text.front() == '@') return name_->empty();
        if (!plain_) return true;
        const std::string_view quoted = text.substr(1, name_->size() + 1);  // the name and its closing quote
        return quoted.size() == name_->size() + 1 && quoted.back() == '"' &&
               names_equal(quoted.substr(0, name_->size()), *name_);
    }
    void store(Key* block, Pending&& pending) {
        if (wanted(block, pending.value.name)) value_ = std::move(pending.value);
    }
    void erase(Key* block, std::string_view name, std::size_t) {
        if (wanted(block, name)) value_.reset();
    }

    // Whether the last key line opened a block of the key with a value asked for.
    bool in_block() const { return in_block_; }
    bool exists() const { return exists_; }  // kept only when no value is asked for
    // The bytes a query of the value delivers, or nullopt.
    std::optional<std::string> query() {
        if (!value_) return std::nullopt;
        ValueLine& line = *value_;
        // Plain ASCII text reads back as written: spare the conversions.
        if (is_string_type(line.type) && !line.from_hex &&
            std::all_of(line.data.begin(), line.data.end(), [](char c) {
                return static_cast<unsigned char>(c) - 1U < 0x7FU;  // 1 to 127
            }))
            return std::move(line.data.append(1, '\0'));
        return query_bytes(Value{line.name, line.type, stored_data(line, encoding_), {}});
    }

private:
    bool wanted(const Key* block, std::string_view name) const {
        return block == &target_ && name_ && names_equal(name, *name_);
    }

    std::string_view path_;
    std::optional<std::string_view> name_;
    bool plain_;
    Encoding encoding_;
    Key target_, other_;  // block markers only
    bool exists_ = false;
    bool in_block_ = false;
    std::optional<ValueLine> value_;
};

// Notes the key lines (valid or not: any ends a block).
template <class KeyLineAt>
class KeyLines {
public:
    explicit KeyLines(std::vector<KeyLineAt>& lines) : lines_(lines) {}

    Key* key_line(const std::optional<KeyLine>& key, std::size_t i) {
        lines_.push_back({i, key});
        return key && !key->remove ? &block_ : nullptr;
    }
    bool wants(const Key*, std::string_view) const { return false; }
    void store(Key*, Pending&&) {}
    void erase(Key*, std::string_view, std::size_t) {}

private:
    std::vector<KeyLineAt>& lines_;
    Key block_;  // a marker only
};

}  // namespace

Parsed parse(std::string_view file) {
    Parsed parsed;
    parsed.layout = split_lines(file);
    const Header header = parsed.layout.header;
    if (header == Header::regedit4 || header == Header::version5) {
        RegistrySink sink(parsed.registry, parsed.layout.encoding);
        Reader reader(sink);
        const auto& lines = parsed.layout.lines;
        for (std::size_t i = 1; i < lines.size(); ++i) reader.line(lines[i].text, i);
        reader.finish();
    }
    return parsed;
}

KeyReader::KeyReader(std::string_view file) {
    if (file.starts_with("\xFF\xFE")) {
        encoding_ = Encoding::utf16le;
        text_ = utf16_to_utf8(from_le_bytes(file.substr(2)));
        file = text_;
    }
    lines_ = line_views(file);
    const Header header = lines_.empty() ? Header::rejected : classify_header(lines_.front());
    if (header != Header::regedit4 && header != Header::version5) return;
    key_lines_.reserve(8);  // a settings file has a few keys
    KeyLines<KeyLineAt> sink(key_lines_);
    Reader reader(sink);
    for (std::size_t i = 1; i < lines_.size(); ++i) reader.line(lines_[i], i);
}

template <class Sink>
void KeyReader::read(Sink& sink) const {
    // Only key lines and the blocks of the key asked for: what lies between
    // them cannot touch it, and no "," continues past a key line.
    Reader reader(sink);
    for (std::size_t k = 0; k < key_lines_.size(); ++k) {
        const std::size_t line = key_lines_[k].line;
        reader.key_line(key_lines_[k].key, line);
        if (!sink.in_block()) continue;
        const std::size_t end = k + 1 < key_lines_.size() ? key_lines_[k + 1].line : lines_.size();
        for (std::size_t i = line + 1; i < end; ++i) reader.line(lines_[i], i);
    }
    reader.finish();
}

bool KeyReader::exists(std::string_view path) const {
    KeySink sink(path, std::nullopt, encoding_);
    read(sink);
    return sink.exists();
}

std::optional<std::string> KeyReader::query(std::string_view path, std::string_view name) const {
    KeySink sink(path, name, encoding_);
    read(sink);
    return sink.query();
}

}  // namespace xq::regfile
