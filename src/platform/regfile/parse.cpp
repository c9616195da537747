#include <algorithm>
#include <cstdint>
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

    // What a line was: a value line counts only inside a block.
    enum class Seen { other, key, value, continuation };

    Seen line(std::string_view raw, std::size_t i) {
        const std::string_view text = skip_blanks(raw);
        if (pending_) {
            continue_hex(text, i);
            return Seen::continuation;
        }
        if (text.starts_with('[')) {
            const auto key = read_key_line(text, valid_key_);
            if (key) valid_key_ = key->path;
            key_line(key, i);
            return Seen::key;
        }
        if (block_ != nullptr && (text.starts_with('"') || text.starts_with('@'))) {
            value_line(text, i);
            return Seen::value;
        }
        return Seen::other;  // blank, a comment, invalid or outside a block: skipped
    }

    // A key line (nullopt: an invalid one, which ends the block too).
    void key_line(const std::optional<KeyLine>& key, std::size_t i) { block_ = sink_.key_line(key, i); }

    void finish() {
        if (pending_) sink_.store(block_, std::move(*pending_));  // end of file after ",\"
    }

    // Whether the next line is a value line's, if it is one: inside a block
    // and not continuing hex data.
    bool at_value_line() const { return block_ != nullptr && !pending_; }

private:
    void value_line(std::string_view text, std::size_t i) {
        // A line that cannot go on with ",\" matters only to a sink that wants it.
        if (!sink_.wants(block_, text) && !may_continue(text)) return;
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
    std::string_view valid_key_;  // the path of the last valid key line
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

// A name without '\' or '"' is only read from the same characters between
// quotes: every escape yields one of those two.
bool is_plain_name(std::string_view name) {
    return std::none_of(name.begin(), name.end(), [](char c) { return c == '\\' || c == '"'; });
}

// Whether a value line (blanks skipped) may name value `name`.
bool may_name(std::string_view text, std::string_view name, bool plain_name) {
    if (text.front() == '@') return name.empty();
    if (!plain_name) return true;
    const std::string_view quoted = text.substr(1, name.size() + 1);  // the name and its closing quote
    return quoted.size() == name.size() + 1 && quoted.back() == '"' && names_equal(quoted.substr(0, name.size()), name);
}

// Whether every byte of `text` is 1 to 127: plain ASCII, which reads back
// as written. Eight bytes at a time, the last eight overlapping the word
// before: a byte of 0 or of 128 and above sets its top bit in the test (a
// borrow starts only at a byte of 0).
bool plain_ascii(std::string_view text) {
    if (text.size() < 8) {
        for (const char c : text)
            if (static_cast<unsigned char>(c) - 1U >= 0x7FU) return false;
        return true;
    }
    const auto bad = [&](std::size_t at) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + at, 8);
        return ((((word - 0x0101010101010101ULL) & ~word) | word) & 0x8080808080808080ULL) != 0;
    };
    for (std::size_t i = 0; i + 8 < text.size(); i += 8)
        if (bad(i)) return false;
    return !bad(text.size() - 8);
}

// Keeps one value of one key.
class KeySink {
public:
    KeySink(std::string_view path, std::string_view name, Encoding encoding)
        : path_(path), name_(name), plain_(is_plain_name(name)), encoding_(encoding) {}

    Key* key_line(const std::optional<KeyLine>& key, std::size_t) {
        in_block_ = false;
        if (!key) return nullptr;
        if (key->remove) {
            // Removing a key removes everything below it.
            if (!is_root_path(key->path) && is_within(path_, key->path)) forget();
            return nullptr;
        }
        in_block_ = names_equal(key->path, path_);
        return in_block_ ? &target_ : &other_;
    }
    // Whether the value line may set or remove the value asked for.
    bool wants(const Key* block, std::string_view text) const { return block == &target_ && names_value(text); }
    // Whether a value line (blanks skipped) may name the value asked for.
    bool names_value(std::string_view text) const { return may_name(text, name_, plain_); }
    void store(Key* block, Pending&& pending) {
        if (!wanted(block, pending.value.name)) return;
        forget();
        value_ = std::move(pending.value);
    }
    void erase(Key* block, std::string_view name, std::size_t) {
        if (wanted(block, name)) forget();
    }
    // A plain value line of the block the last key line opened.
    void store_plain(const PlainValue& plain) {
        if (!wanted(&target_, plain.name)) return;
        forget();
        plain_text_ = plain.text;
    }

    // Whether the last key line opened a block of the key.
    bool in_block() const { return in_block_; }
    // The bytes a query of the value delivers, or nullopt.
    std::optional<std::string> query() {
        // Plain ASCII text reads back as written: spare the conversions.
        if (plain_text_ && plain_ascii(*plain_text_)) {
            std::string bytes;
            bytes.reserve(plain_text_->size() + 1);
            bytes.append(*plain_text_).push_back('\0');
            return bytes;
        }
        if (plain_text_) value_ = ValueLine{ValueLine::Kind::set, std::string(name_), kRegSz, std::string(*plain_text_), false};
        if (!value_) return std::nullopt;
        ValueLine& line = *value_;
        if (is_string_type(line.type) && !line.from_hex && plain_ascii(line.data)) return std::move(line.data.append(1, '\0'));
        return query_bytes(Value{line.name, line.type, stored_data(line, encoding_), {}});
    }

private:
    bool wanted(const Key* block, std::string_view name) const { return block == &target_ && names_equal(name, name_); }
    void forget() {
        value_.reset();
        plain_text_.reset();
    }

    std::string_view path_;
    std::string_view name_;
    bool plain_;
    Encoding encoding_;
    Key target_, other_;  // block markers only
    bool in_block_ = false;
    std::optional<ValueLine> value_;
    std::optional<std::string_view> plain_text_;  // set instead of value_ by a plain line
};

// Notes the key lines (valid or not: any ends a block) as entries; value
// lines are noted by the caller.
template <class Entry>
class KeyLines {
public:
    explicit KeyLines(std::vector<Entry>& entries) : entries_(entries) {}

    Key* key_line(const std::optional<KeyLine>& key, std::size_t) {
        entries_.push_back({key, 0, std::nullopt, 0, 0});
        return key && !key->remove ? &block_ : nullptr;
    }
    bool wants(const Key*, std::string_view) const { return false; }
    void store(Key*, Pending&&) {}
    void erase(Key*, std::string_view, std::size_t) {}

private:
    std::vector<Entry>& entries_;
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
    file_ = file;
    entries_.reserve(8);  // a settings file has a few keys and values
    KeyLines<Entry> sink(entries_);
    Reader reader(sink);
    bool known = false;
    std::size_t block = 0;  // the entry of the latest key line
    // Line numbers matter to no sink here: 0 stands for each.
    for_each_line(file, [&](std::size_t start, std::size_t stop, std::size_t) {
        const std::string_view line(file.data() + start, stop - start);
        if (start == 0) {
            const Header header = classify_header(line);
            known = header == Header::regedit4 || header == Header::version5;
            return;
        }
        if (!known) return;
        if (reader.at_value_line()) {
            // Inside a block: a blank or comment line is nothing to the
            // reader, and a value line of the plain form cannot continue, so
            // it is noted without the reader.
            const std::string_view text = skip_blanks(line);
            if (text.empty() || text.front() == ';') return;
            if (const auto plain = read_plain_value(text)) {
                entries_.push_back({std::nullopt, 0, plain, start, stop});
                ++entries_[block].values;
                return;
            }
        }
        switch (reader.line(line, 0)) {
        case decltype(reader)::Seen::value:
            entries_.push_back({std::nullopt, 0, std::nullopt, start, stop});
            ++entries_[block].values;
            break;
        case decltype(reader)::Seen::key:
            block = entries_.size() - 1;
            break;
        case decltype(reader)::Seen::continuation:
            entries_.back().end = stop;
            break;
        default:
            break;
        }
    });
}

template <class Sink>
void KeyReader::read(Sink& sink) const {
    // Key lines and, inside the blocks of the key asked for, the value lines
    // that may name the value: no other line can touch it. A plain line is
    // taken as the index read it.
    Reader reader(sink);
    for (std::size_t k = 0; k < entries_.size(); k += 1 + entries_[k].values) {
        reader.key_line(entries_[k].key, 0);
        if (!sink.in_block()) continue;
        for (std::size_t v = k + 1; v <= k + entries_[k].values; ++v) {
            if (entries_[v].plain) {
                sink.store_plain(*entries_[v].plain);
                continue;
            }
            const std::string_view lines = file_.substr(entries_[v].begin, entries_[v].end - entries_[v].begin);
            if (!sink.names_value(skip_blanks(lines))) continue;
            for_each_line(lines, [&](std::size_t start, std::size_t stop, std::size_t) {
                reader.line(lines.substr(start, stop - start), 0);
            });
        }
    }
    reader.finish();
}

bool KeyReader::exists(std::string_view path) const {
    // A key line creates the key and every key above it; removing a key
    // removes everything below it.
    bool exists = false;
    const Entry* const end = entries_.data() + entries_.size();
    for (const Entry* k = entries_.data(); k < end; k += 1 + k->values) {
        if (!k->key) continue;
        if (!k->key->remove) exists = exists || is_within(k->key->path, path);
        else if (!is_root_path(k->key->path) && is_within(path, k->key->path)) exists = false;
    }
    return exists;
}

KeyReader::Plain KeyReader::query_plain(std::string_view path, std::string_view name) const {
    // Only the key's blocks count, and a removal of the key or one above it
    // forgets what they set; a value line the index did not read, which
    // may name the value, leaves the answer to the full reader.
    std::optional<std::string_view> text;
    const Entry* const end = entries_.data() + entries_.size();
    for (const Entry* k = entries_.data(); k < end; k += 1 + k->values) {
        if (!k->key) continue;
        if (k->key->remove) {
            if (!is_root_path(k->key->path) && is_within(path, k->key->path)) text.reset();
            continue;
        }
        if (!names_equal(k->key->path, path)) continue;
        for (const Entry* v = k + 1; v <= k + k->values; ++v) {
            if (v->plain) {
                if (names_equal(v->plain->name, name)) text = v->plain->text;
            } else if (may_name(skip_blanks(file_.substr(v->begin, v->end - v->begin)), name, is_plain_name(name))) {
                return {Plain::Kind::other, {}};
            }
        }
    }
    if (!text) return {};
    return {plain_ascii(*text) ? Plain::Kind::text : Plain::Kind::other, *text};
}

std::optional<std::string> KeyReader::query(std::string_view path, std::string_view name) const {
    const Plain plain = query_plain(path, name);
    if (plain.kind == Plain::Kind::absent) return std::nullopt;
    if (plain.kind == Plain::Kind::text) {
        std::string bytes;
        bytes.reserve(plain.text.size() + 1);
        bytes.append(plain.text).push_back('\0');
        return bytes;
    }
    KeySink sink(path, name, encoding_);
    read(sink);
    return sink.query();
}

}  // namespace xq::regfile
