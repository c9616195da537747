// xqutil's JSON writer from arbitrary bytes: the input as a JSON string
// literal is valid UTF-8 and reads back as the input's bytes (valid UTF-8 as
// it stands, other bytes through \u00XX). The writer's layout around its
// strings does not depend on outside input; the tool's tests cover it.

#include "fuzz.h"
#include "output.h"

namespace {

// The length of the valid, shortest UTF-8 sequence `s` starts with; 0 for none.
std::size_t utf8_length(std::string_view s) {
    const auto b = [&](std::size_t i) { return std::uint32_t{static_cast<unsigned char>(s[i])}; };
    const std::size_t n = b(0) < 0x80 ? 1 : b(0) < 0xC2 ? 0 : b(0) < 0xE0 ? 2 : b(0) < 0xF0 ? 3 : b(0) < 0xF5 ? 4 : 0;
    if (n < 2 || s.size() < n) return s.size() < n ? 0 : n;
    std::uint32_t cp = b(0) & (0x7Fu >> n);
    for (std::size_t i = 1; i < n; ++i) cp = (b(i) & 0xC0) != 0x80 ? 0 : cp << 6 | (b(i) & 0x3F);
    const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    return cp >= (n == 2 ? 0x80u : n == 3 ? 0x800u : 0x10000u) && cp <= 0x10FFFF && !surrogate ? n : 0;
}

// A strict reading of one JSON string literal in valid UTF-8, decoded with
// \u00XX as the byte XX; nullopt when `text` is anything else.
std::optional<std::string> decoded(std::string_view text) {
    if (text.size() < 2 || text.front() != '"') return std::nullopt;
    std::string out;
    std::size_t at = 1;
    for (std::size_t n = 0; at < text.size() - 1; at += n) {
        const char c = text[at];
        const std::size_t k = c == '\\' ? std::string_view("\"\\/bfnrtu").find(text[at + 1]) : 9;
        if (k == 8 && at + 6 < text.size()) {
            out += static_cast<char>(std::stoul(std::string(text.substr(at + 2, 4)), nullptr, 16)), n = 6;
        } else if (k < 8) {
            out += "\"\\/\b\f\n\r\t"[k], n = 2;
        } else if (c == '\\' || c == '"' || static_cast<unsigned char>(c) < 0x20 || !(n = utf8_length(text.substr(at)))) {
            return std::nullopt;
        } else {
            out += text.substr(at, n);
        }
    }
    return at == text.size() - 1 && text.back() == '"' ? std::optional(out) : std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    xq::fuzz::check(decoded(xqutil::json_string(bytes)) == std::optional<std::string>(bytes));
    return 0;
}
