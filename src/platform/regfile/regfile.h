// The registry-file store of Linux: registry export files (both headers,
// ANSI/UTF-8 and UTF-16LE) parsed into keys and values, and single values
// set in place, keeping every other line as it was.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// UTF-8 and UTF-16 conversions without the operating system, so the registry
// file code behaves the same on every platform. Nothing fails: what cannot be
// converted becomes '?'.
namespace xq::regfile {

// UTF-8 to UTF-16; every byte that does not belong to a valid sequence
// (overlong, surrogate, beyond U+10FFFF, cut short) becomes one '?'.
std::u16string utf8_to_utf16(std::string_view text);

// UTF-16 to UTF-8; an unpaired surrogate becomes '?'.
std::string utf16_to_utf8(std::u16string_view text);

// Code units from little-endian bytes; an odd last byte is ignored.
std::u16string from_le_bytes(std::string_view bytes);

// Little-endian bytes of the code units.
std::string to_le_bytes(std::u16string_view text);

// A registry file as lines: its encoding (from the first two bytes only), its
// header, and each line's text with the byte ranges it occupies, so that an
// edit can splice whole lines and leave every other byte alone.

enum class Encoding { ansi, utf16le };  // ANSI files are taken as UTF-8

enum class Header {
    rejected,  // not a registry file
    inert,     // starts with "REGEDIT" but is no known version: nothing is read
    regedit4,
    version5,
};

struct Line {
    std::size_t begin = 0;  // first byte of the line
    std::size_t end = 0;    // first byte of the line end (or of the next line)
    std::size_t next = 0;   // first byte after the line end
    std::string text;       // the line in UTF-8, without line end
};

struct Layout {
    Encoding encoding = Encoding::ansi;
    Header header = Header::rejected;
    std::vector<Line> lines;  // lines[0] is the header line
};

Layout split_lines(std::string_view file);

// Calls emit(start, stop, after) for each line of `text` (bytes or UTF-16
// code units), split at CR LF, LF or CR: [start, stop) is its text, `after`
// where the next line starts.
template <typename Text, typename Emit>
void for_each_line(Text text, Emit emit) {
    // 8-bit text: the next LF and the next CR are each looked for with memchr
    // and kept until passed, so that no part of the text is searched twice
    // for the same character (a file of LF line ends is searched for CR once).
    std::size_t lf = 0, cr = 0;
    bool lf_known = false, cr_known = false;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t stop = start;
        if constexpr (std::is_same_v<Text, std::string_view>) {
            const auto next = [&](char c, std::size_t& at, bool& known) {
                if (known && at >= start) return;
                const void* hit = std::memchr(text.data() + start, c, text.size() - start);
                at = hit != nullptr ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : text.size();
                known = true;
            };
            next('\n', lf, lf_known);
            next('\r', cr, cr_known);
            stop = std::min(lf, cr);
        } else {
            while (stop < text.size() && text[stop] != '\r' && text[stop] != '\n') ++stop;
        }
        std::size_t after = stop;
        if (after < text.size()) {
            const bool crlf = text[after] == '\r' && after + 1 < text.size() && text[after + 1] == '\n';
            after += crlf ? std::size_t{2} : std::size_t{1};
        }
        emit(start, stop, after);
        start = after;
    }
}

// The header a first line stands for; blanks may precede it.
Header classify_header(std::string_view first_line);

inline bool is_blank(char c) { return c == ' ' || c == '\t'; }
// `text` without its leading blanks (spaces and tabs).
inline std::string_view skip_blanks(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    return text;
}

// UTF-8 text as bytes of the file's encoding.
std::string encode(std::string_view text, Encoding encoding);

// The bytes of the file's first line end, or CR LF when it has none.
std::string line_end_of(std::string_view file, const Layout& layout);

// What a registry file holds once read: keys with their values, plus where
// each value and each key's latest block sit in the file, so a writer can
// change one value and keep every other line as it was.

inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// Types whose data is UTF-16 text with a terminating NUL.
bool is_string_type(std::uint32_t type);

// Key and value names compare without regard to ASCII letter case.
bool names_equal_ignoring_case(std::string_view a, std::string_view b);  // of equal size
inline bool names_equal_folded(std::string_view a, std::string_view b) {  // of equal size
    // Names are mostly spelled alike: equal bytes need no folding.
    return a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0 || names_equal_ignoring_case(a, b);
}
inline bool names_equal(std::string_view a, std::string_view b) {
    return a.size() == b.size() && names_equal_folded(a, b);
}

// Lines first..last (indices into the file's lines) of a value's definition.
struct LineSpan {
    std::size_t first = 0;
    std::size_t last = 0;
};

struct Value {
    std::string name;  // UTF-8, spelled as first created; "" is the default value
    std::uint32_t type = kRegNone;
    std::string data;  // stored bytes; string types as UTF-16LE with terminator
    LineSpan source;   // the definition in force
};

struct Key {
    std::vector<Value> values;  // in creation order
    // Last line of this key's latest block after which a new value line
    // belongs; none when the key exists only as a parent of another key.
    std::optional<std::size_t> anchor;

    Value* find(std::string_view name);
    const Value* find(std::string_view name) const;
    // Sets a value; an existing one keeps its spelling and its place.
    Value& set(std::string_view name, std::uint32_t type, std::string data);
    void erase(std::string_view name);
};

// Orders key paths component by component, ignoring ASCII case, so that a
// key's subkeys directly follow it.
struct PathLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

// A full key path as written, trailing '\' dropped, when it is valid: a
// known root (any letter case) and no empty component; else nullopt.
// `valid`, a path already found valid, spares the check of what a path
// below it shares with it (key lines mostly follow their parent's).
std::optional<std::string_view> checked_path(std::string_view path, std::string_view valid = {});

// A full key path in stored form: the root name in full capitals, then the
// components joined by '\'. Trailing '\' are dropped; an unknown root or an
// empty component gives nullopt.
std::optional<std::string> normal_path(std::string_view path);

// True when `path` names one of the roots (no component below it).
bool is_root_path(std::string_view path);

// True when `path` is `base` or lies below it.
inline bool is_within(std::string_view path, std::string_view base) {
    if (path.size() < base.size() || (path.size() > base.size() && path[base.size()] != '\\')) return false;
    return names_equal_folded(path.substr(0, base.size()), base);
}

// True when `path` holds two '\' in a row: an empty component.
bool has_empty_component(std::string_view path);

class Registry {
public:
    using Keys = std::map<std::string, Key, PathLess>;

    const Keys& keys() const { return keys_; }
    Key* find(std::string_view path);
    const Key* find(std::string_view path) const;
    // Creates the key of a normal path and any missing parents; keys that
    // exist keep their spelling.
    Key& create(std::string_view path);
    // Removes a key with everything below it.
    void remove(std::string_view path);

private:
    Keys keys_;
};

// Equal keys (spelled alike), values (name, type, data) in the same order;
// where things sit in the file is not compared.
bool same_content(const Registry& a, const Registry& b);

// The bytes an 8-bit query of the value delivers: the text of string types
// in UTF-8 (terminators included), the stored bytes of every other type.
std::string query_bytes(const Value& value);

// The pieces of one line of a registry file: key lines, value names, string,
// dword and hex data. Each reader looks at the line's UTF-8 text only.

struct KeyLine {
    bool remove = false;    // "[-path]"
    std::string_view path;  // as written, trailing '\' dropped; normal_path gives the stored form
};

// A line starting with '[' (no blanks before it); nullopt when invalid.
// `valid` as for checked_path.
std::optional<KeyLine> read_key_line(std::string_view line, std::string_view valid = {});

// A quoted text at line[pos] == '"': "\\" and "\"" are the escapes; "\0"
// makes the text invalid; any other backslash stands for itself, so a
// hand-written path such as "C:\Data" keeps its backslash. On success the
// text is in `text` and `pos` is past the closing quote.
bool read_quoted(std::string_view line, std::size_t& pos, std::string& text);

// True when only blanks and an optional ';' comment follow `pos`.
bool only_comment_after(std::string_view line, std::size_t pos);

enum class ListEnd { done, continues, invalid };

// Reads a comma-separated byte list from `pos`, appending to `bytes`. A list
// line may be empty and may end with ",\" (or be just "\") to continue on the
// next line; a continuation line (`continued`) must start with a byte.
ListEnd read_byte_list(std::string_view line, std::size_t pos, bool continued, std::string& bytes);

struct ValueLine {
    enum class Kind { set, remove, open } kind = Kind::set;  // open: hex data continues
    std::string name;
    std::uint32_t type = 0;
    std::string data;  // raw: quoted text in UTF-8, dword bytes, hex bytes
    bool from_hex = false;
};

// A line starting with '"' or '@' (after blanks), read into a fresh `value`;
// false when invalid.
bool read_value_line(std::string_view line, ValueLine& value);

// A string value line of the plain form "name"="text" (blanks around '=',
// a comment after), with no backslash anywhere, as views into the line.
struct PlainValue {
    std::string_view name;
    std::string_view text;
};

// A line (blanks skipped) of that form, read as read_value_line reads it;
// nullopt for any other line.
std::optional<PlainValue> read_plain_value(std::string_view line);

// Value lines and key lines as an export writes them.

// `text` between quotes, with '\' and '"' escaped.
std::string quoted(std::string_view text);

// The value's line in UTF-8: `"name"=` or `@=`, then the data. Strings that
// read back unchanged are written quoted; others (line breaks, NULs inside,
// unpaired surrogates) as hex(1) and friends. Long hex data is wrapped with
// ",\" + `line_end` + two blanks. In an ANSI file string bytes are UTF-8.
std::string value_line(const Value& value, Encoding encoding, std::string_view line_end);

// Reads a registry file the way an import applies it: line by line, later
// lines overriding earlier ones, invalid lines skipped.

struct Parsed {
    Layout layout;
    Registry registry;  // empty unless the header is REGEDIT4 or version 5.00
};

Parsed parse(std::string_view file);

// A registry file read for single keys: each answer is the one parse() would
// give, without building the registry. The file is indexed once: its key
// lines and the value lines of its blocks (each with its continuation
// lines); a question reads only the value lines that may name what it asks
// for. Views into `file` are kept, so the file must outlive the reader.
class KeyReader {
public:
    explicit KeyReader(std::string_view file);
    KeyReader(const KeyReader&) = delete;
    KeyReader& operator=(const KeyReader&) = delete;

    // Whether the key of a valid path (any letter case) exists.
    bool exists(std::string_view path) const;
    // The bytes an 8-bit query of value `name` of that key delivers (as
    // query_bytes), or nullopt when there is no such value.
    std::optional<std::string> query(std::string_view path, std::string_view name) const;

    // The common case of a query without building its answer: the value in
    // force is set by a plain line of ASCII text, which a query delivers as
    // written plus a NUL. `text` views the file.
    struct Plain {
        enum class Kind { absent, text, other } kind = Kind::absent;  // other: ask query()
        std::string_view text;
    };
    Plain query_plain(std::string_view path, std::string_view name) const;

private:
    template <class Sink>
    void read(Sink& sink) const;

    Encoding encoding_ = Encoding::ansi;
    std::string text_;       // a UTF-16 file as UTF-8
    std::string_view file_;  // the text read: the file or text_
    // A key line followed by the value lines of its block, or one of those.
    struct Entry {
        std::optional<KeyLine> key;  // nullopt: an invalid key line, which ends a block all the same
        std::size_t values = 0;      // of a key line: how many value lines follow it
        std::optional<PlainValue> plain;  // of a value line of the plain form: what it says
        std::size_t begin = 0;       // of a value line: its text, to the end of its
        std::size_t end = 0;         // last continuation line
    };
    std::vector<Entry> entries_;  // in file order; none unless the header is known
};

// Changes one string value in a registry file and keeps every other line
// byte for byte, with the file's encoding, header and line ends.

struct Edited {
    std::string file;
    Registry registry;  // the new file, parsed
};

// Sets value `name` ("" = the default value) of the existing key `key_path`
// to `text` as a string value. Replaces the lines of the value's definition
// in force, or adds one line to the key's latest block, or, when the key has
// no block of its own, a new block at the end. The result is parsed again and
// accepted only when it holds exactly the old contents plus the new value.
// nullopt when the key does not exist, the name holds a line break, or the
// file admits no such edit.
std::optional<Edited> set_string(std::string_view file, std::string_view key_path, std::string_view name,
                                 std::string_view text);

}  // namespace xq::regfile
