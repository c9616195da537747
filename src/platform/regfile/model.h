// What a registry file holds once read: keys with their values, plus where
// each value and each key's latest block sit in the file, so a writer can
// change one value and keep every other line as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xq::regfile {

inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// Types whose data is UTF-16 text with a terminating NUL.
bool is_string_type(std::uint32_t type);

// Key and value names compare without regard to ASCII letter case.
bool names_equal(std::string_view a, std::string_view b);

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

// A full key path in stored form: the root name in full capitals, then the
// components joined by '\'. Trailing '\' are dropped; an unknown root or an
// empty component gives nullopt.
std::optional<std::string> normal_path(std::string_view path);

// True when `path` names one of the roots (no component below it).
bool is_root_path(std::string_view path);

// True when `path` is `base` or lies below it.
bool is_within(std::string_view path, std::string_view base);

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

}  // namespace xq::regfile
