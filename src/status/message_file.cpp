#include "status/catalogue.h"

#include <algorithm>
#include <charconv>

namespace xq::resources {
namespace {

constexpr unsigned kMaxCode = 0xFFFF;

// Splits off the first line of `rest` (without its LF and a CR before it).
std::string_view next_line(std::string_view& rest) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// A code of one to five decimal digits, at most 65535.
std::optional<std::uint16_t> parse_code(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size() || value > kMaxCode) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

// The text with its escapes resolved; nullopt for a backslash that starts none.
std::optional<std::string> unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
            case '\\': out += '\\'; break;
            case 't': out += '\t'; break;
            case 'n': out += '\n'; break;
            default: return std::nullopt;
        }
    }
    return out;
}

std::optional<MessageText> parse_line(std::string_view line) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos || line.find('\r') != std::string_view::npos) return std::nullopt;
    const auto code = parse_code(line.substr(0, tab));
    auto text = code ? unescape(line.substr(tab + 1)) : std::nullopt;
    if (!text) return std::nullopt;
    return MessageText{*code, std::move(*text)};
}

bool by_code(const MessageText& a, const MessageText& b) { return a.code < b.code; }

}  // namespace

std::optional<std::vector<MessageText>> parse_messages(std::string_view bytes) {
    if (bytes.find('\0') != std::string_view::npos) return std::nullopt;
    std::vector<MessageText> messages;
    while (!bytes.empty()) {
        const std::string_view line = next_line(bytes);
        if (line.empty() || line.front() == '#') continue;
        auto message = parse_line(line);
        if (!message) return std::nullopt;
        messages.push_back(std::move(*message));
    }
    std::stable_sort(messages.begin(), messages.end(), by_code);
    const auto repeated = std::adjacent_find(messages.begin(), messages.end(),
                                             [](const auto& a, const auto& b) { return a.code == b.code; });
    if (repeated != messages.end()) return std::nullopt;
    return messages;
}

std::optional<std::vector<MessageText>> parse_module(std::string_view bytes) {
    if (next_line(bytes) != kModuleMagic) return std::nullopt;
    return parse_messages(bytes);
}

const MessageText* find_message(std::span<const MessageText> messages, unsigned code) {
    const auto found = std::lower_bound(messages.begin(), messages.end(), code,
                                        [](const MessageText& m, unsigned c) { return m.code < c; });
    return found != messages.end() && found->code == code ? &*found : nullptr;
}

}  // namespace xq::resources
