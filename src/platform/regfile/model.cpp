#include "platform/regfile/regfile.h"

#include <algorithm>
#include <array>
#include <cstring>


namespace xq::regfile {
namespace {

constexpr std::array<std::string_view, 6> kRoots = {
    "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT",
    "HKEY_USERS",         "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

char fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Sort weight of a path character: the separator sorts before everything.
int path_weight(char c) { return c == '\\' ? -1 : static_cast<unsigned char>(fold(c)); }

// The value of that name in `values` (const or not), or null.
template <typename Values>
auto* find_named(Values& values, std::string_view name) {
    auto it = std::find_if(values.begin(), values.end(), [&](const Value& v) { return names_equal(v.name, name); });
    return it == values.end() ? nullptr : &*it;
}

// The key of that path in `keys` (const or not), or null.
template <typename Keys>
auto* find_key(Keys& keys, std::string_view path) {
    auto it = keys.find(path);
    return it == keys.end() ? nullptr : &it->second;
}

bool same_values(const std::vector<Value>& a, const std::vector<Value>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Value& x, const Value& y) {
        return x.name == y.name && x.type == y.type && x.data == y.data;
    });
}

// The listed root that is the first component of `path`, or null.
const std::string_view* listed_root(std::string_view path) {
    const std::string_view first = path.substr(0, std::min(path.find('\\'), path.size()));
    const auto root = std::find_if(kRoots.begin(), kRoots.end(), [&](std::string_view r) { return names_equal(r, first); });
    return root == kRoots.end() ? nullptr : &*root;
}

}  // namespace

bool is_string_type(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

bool names_equal_ignoring_case(std::string_view a, std::string_view b) {
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && fold(a[i]) != fold(b[i])) return false;
    return true;
}

Value* Key::find(std::string_view name) { return find_named(values, name); }

const Value* Key::find(std::string_view name) const { return find_named(values, name); }

Value& Key::set(std::string_view name, std::uint32_t type, std::string data) {
    Value* value = find(name);
    if (value == nullptr) value = &values.emplace_back(Value{std::string(name), type, {}, {}});
    value->type = type;
    value->data = std::move(data);
    return *value;
}

void Key::erase(std::string_view name) {
    std::erase_if(values, [&](const Value& v) { return names_equal(v.name, name); });
}

bool PathLess::operator()(std::string_view a, std::string_view b) const {
    // Paths share long prefixes: equal bytes are skipped without weighing.
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] == b[i]) continue;
        const int x = path_weight(a[i]);
        const int y = path_weight(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

std::optional<std::string_view> checked_path(std::string_view path, std::string_view valid) {
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    // Below a valid path, only the rest can hold an empty component.
    if (!valid.empty() && path.size() > valid.size() && path[valid.size()] == '\\' && path.starts_with(valid))
        return has_empty_component(path.substr(valid.size())) ? std::nullopt : std::optional(path);
    if (listed_root(path) == nullptr || has_empty_component(path)) return std::nullopt;
    return path;
}

std::optional<std::string> normal_path(std::string_view path) {
    const auto checked = checked_path(path);
    if (!checked) return std::nullopt;
    const std::string_view root = *listed_root(*checked);
    std::string out(root);
    out += checked->substr(root.size());
    return out;
}

bool is_root_path(std::string_view path) { return path.find('\\') == std::string_view::npos; }

bool has_empty_component(std::string_view path) {
    // Key paths are checked on every read of the file: eight bytes at a time,
    // a byte that was '\' has its top bit set in `hits` (exact, no false
    // hits), and two in a row show as neighbouring bits.
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    constexpr std::uint64_t kBackslashes = 0x5C5C5C5C5C5C5C5CULL;
    std::size_t i = 0;
    for (; i + 8 <= path.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, path.data() + i, 8);
        const std::uint64_t x = word ^ kBackslashes;
        const std::uint64_t hits = ~(((x & kLow7) + kLow7) | x | kLow7);
        if ((hits & (hits >> 8)) != 0) return true;
        if (i + 8 < path.size() && path[i + 7] == '\\' && path[i + 8] == '\\') return true;
    }
    for (; i + 1 < path.size(); ++i)
        if (path[i] == '\\' && path[i + 1] == '\\') return true;
    return false;
}

Key* Registry::find(std::string_view path) { return find_key(keys_, path); }

const Key* Registry::find(std::string_view path) const { return find_key(keys_, path); }

Key& Registry::create(std::string_view path) {
    // Walk the prefixes, taking the stored spelling of every key that exists.
    std::string stored;
    Key* key = nullptr;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        std::string candidate = stored.empty() ? std::string(path.substr(0, end))
                                               : stored + '\\' + std::string(path.substr(start, end - start));
        auto it = keys_.find(candidate);
        if (it == keys_.end()) it = keys_.emplace(std::move(candidate), Key{}).first;
        stored = it->first;
        key = &it->second;
        start = end + 1;
    }
    return *key;
}

void Registry::remove(std::string_view path) {
    auto it = keys_.lower_bound(path);
    while (it != keys_.end() && is_within(it->first, path)) it = keys_.erase(it);
}

bool same_content(const Registry& a, const Registry& b) {
    return std::equal(a.keys().begin(), a.keys().end(), b.keys().begin(), b.keys().end(),
                      [](const auto& x, const auto& y) {
                          return x.first == y.first && same_values(x.second.values, y.second.values);
                      });
}

std::string query_bytes(const Value& value) {
    if (!is_string_type(value.type)) return value.data;
    return utf16_to_utf8(from_le_bytes(value.data));
}

}  // namespace xq::regfile
