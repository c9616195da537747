// The pieces of one line of a registry file: key lines, value names, string,
// dword and hex data. Each reader looks at the line's UTF-8 text only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xq::regfile {

struct KeyLine {
    bool remove = false;  // "[-path]"
    std::string path;     // in normal form
};

// A line starting with '[' (no blanks before it); nullopt when invalid.
std::optional<KeyLine> read_key_line(std::string_view line);

// A quoted text at line[pos] == '"': "\\" and "\"" are the escapes; "\0"
// makes the text invalid; any other backslash stands for itself, so a
// hand-written path such as "C:\Data" keeps its backslash. On success `pos`
// is past the closing quote.
std::optional<std::string> read_quoted(std::string_view line, std::size_t& pos);

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

// A line starting with '"' or '@' (after blanks); nullopt when invalid.
std::optional<ValueLine> read_value_line(std::string_view line);

}  // namespace xq::regfile
