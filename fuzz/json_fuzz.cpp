// xqutil's JSON writer from arbitrary bytes: the input as one JSON string is
// valid UTF-8 and reads back as the input's bytes (valid UTF-8 as it stands,
// other bytes through \u00XX); records of texts, numbers, flags and nested
// lists drawn from the input render as one valid JSON value in valid UTF-8.

#include <sstream>

#include "fuzz.h"
#include "output.h"

namespace {

using xq::fuzz::check;

// The length of the valid, shortest UTF-8 sequence `s` starts with; 0 for none.
std::size_t utf8_length(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(s[i])); };
    if (b(0) < 0x80) return 1;
    const std::size_t n = b(0) >= 0xF0 && b(0) <= 0xF4 ? 4 : b(0) >= 0xE0 && b(0) < 0xF0 ? 3 : b(0) >= 0xC2 && b(0) < 0xE0 ? 2 : 0;
    if (n == 0 || s.size() < n) return 0;
    std::uint32_t cp = b(0) & (0x7Fu >> n);
    for (std::size_t i = 1; i < n; ++i) {
        if ((b(i) & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (b(i) & 0x3F);
    }
    return (n == 2 || (n == 3 && cp >= 0x800) || (n == 4 && cp >= 0x10000)) && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF) ? n : 0;
}

bool valid_utf8(std::string_view s) {
    for (std::size_t i = 0, n = 0; i < s.size(); i += n)
        if ((n = utf8_length(s.substr(i))) == 0) return false;
    return true;
}

// A strict reader of what the writer may produce: JSON values over valid UTF-8, advancing `at` past
// what it read; strings come back decoded, a \u00XX escape as the byte XX (the writer escapes single bytes).
struct Reader {
    std::string_view text;
    std::size_t at = 0;
    void blanks() {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\n')) ++at;
    }
    bool eat(char c) { return blanks(), at < text.size() && text[at] == c ? (++at, true) : false; }
    std::optional<std::string> string() {
        if (!eat('"')) return std::nullopt;
        std::string out;
        for (std::size_t n = 0; at < text.size() && text[at] != '"'; at += n) {
            if (static_cast<unsigned char>(text[at]) < 0x20) return std::nullopt;
            if (text[at] == '\\' && at + 1 < text.size()) {
                const std::size_t k = std::string_view("\"\\/bfnrt").find(text[at + 1]);
                if (k == std::string_view::npos && (text[at + 1] != 'u' || at + 6 > text.size())) return std::nullopt;
                out += k != std::string_view::npos ? "\"\\/\b\f\n\r\t"[k] : static_cast<char>(std::stoul(std::string(text.substr(at + 2, 4)), nullptr, 16));
                n = k != std::string_view::npos ? 2 : 6;
            } else if ((n = text[at] == '\\' ? 0 : utf8_length(text.substr(at))) == 0) {
                return std::nullopt;
            } else {
                out += text.substr(at, n);
            }
        }
        return eat('"') ? std::optional(out) : std::nullopt;
    }
    // Objects and lists with members separated by commas; `close` ends them.
    bool members(char close, bool keys, int depth) {
        if (eat(close)) return true;
        do
            if ((keys && (!string() || !eat(':'))) || !value(depth + 1)) return false;
        while (eat(','));
        return eat(close);
    }
    bool value(int depth) {
        blanks();
        if (at == text.size() || depth > 64) return false;
        if (text[at] == '"') return string().has_value();
        if (eat('{')) return members('}', true, depth);
        if (eat('[')) return members(']', false, depth);
        for (const std::string_view word : {"true", "false", "null"})
            if (text.substr(at).starts_with(word)) return at += word.size(), true;
        const std::size_t start = at;
        at += at < text.size() && text[at] == '-' ? 1 : 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
        return at > start && text[at - 1] != '-';
    }
};

xqutil::Record record(FuzzedDataProvider& in, int depth) {
    xqutil::Record r;
    for (int i = in.ConsumeIntegralInRange(0, 6); i > 0; --i) {
        std::string key = in.ConsumeRandomLengthString(16);
        switch (in.ConsumeIntegralInRange(0, 4)) {
            case 0: r.text(key, key, in.ConsumeRandomLengthString(64)); break;
            case 1: r.text(key, key, std::nullopt); break;
            case 2: r.number(key, key, in.ConsumeIntegral<std::int64_t>()); break;
            case 3: r.flag(key, key, in.ConsumeBool()); break;
            default: {
                std::vector<xqutil::Record> list;
                for (int n = depth < 3 ? in.ConsumeIntegralInRange(0, 3) : 0; n > 0; --n) list.push_back(record(in, depth + 1));
                r.list(key, key, std::move(list));
            }
        }
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string literal = xqutil::json_string(bytes);
    Reader one{literal};
    check(valid_utf8(literal) && one.string() == std::optional<std::string>(bytes) && one.at == literal.size());

    FuzzedDataProvider in(data, size);
    std::ostringstream out;
    xqutil::Output output(out, true);  // a JSON report is held back until the command finishes
    output.report(record(in, 0));
    output.finish();
    const std::string json = out.str();
    Reader whole{json};
    check(valid_utf8(json) && whole.value(0) && (whole.blanks(), whole.at == json.size()));
    return 0;
}
