// xqutil's JSON writer from arbitrary bytes: the input as one JSON string is
// valid UTF-8 and reads back as the input's bytes (valid UTF-8 as it stands,
// other bytes through \u00XX); records of texts, numbers, flags and nested
// lists drawn from the input render as one valid JSON value in valid UTF-8.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "output.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// A strict reader of what the writer may produce: JSON values over valid
// UTF-8. Each reader advances `at` past what it read; strings come back
// decoded, a \u00XX escape as the byte XX (the writer escapes single bytes).
struct Reader {
    std::string_view text;
    std::size_t at = 0;

    void blanks() {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\n')) ++at;
    }
    bool eat(char c) {
        blanks();
        if (at < text.size() && text[at] == c) return ++at, true;
        return false;
    }
    static std::size_t utf8_length(std::string_view s) {
        const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
        if (b(0) < 0x80) return 1;
        std::size_t n = b(0) >= 0xF0 && b(0) <= 0xF4 ? 4 : b(0) >= 0xE0 ? 3 : b(0) >= 0xC2 && b(0) < 0xE0 ? 2 : 0;
        if (n == 0 || s.size() < n) return 0;
        for (std::size_t i = 1; i < n; ++i)
            if ((b(i) & 0xC0) != 0x80) return 0;
        const std::uint32_t cp = n == 2 ? (b(0) & 0x1Fu) << 6 | (b(1) & 0x3Fu)
                                 : n == 3 ? (b(0) & 0x0Fu) << 12 | (b(1) & 0x3Fu) << 6 | (b(2) & 0x3Fu)
                                          : (b(0) & 0x07u) << 18 | (b(1) & 0x3Fu) << 12 | (b(2) & 0x3Fu) << 6 | (b(3) & 0x3Fu);
        const bool shortest = n == 2 || (n == 3 && cp >= 0x800) || (n == 4 && cp >= 0x10000);
        return shortest && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF) ? n : 0;
    }
    std::optional<std::string> string() {
        if (!eat('"')) return std::nullopt;
        std::string out;
        while (at < text.size() && text[at] != '"') {
            const auto c = static_cast<unsigned char>(text[at]);
            if (c < 0x20) return std::nullopt;
            if (c == '\\') {
                if (++at == text.size()) return std::nullopt;
                const char e = text[at++];
                const std::string_view simple = "\"\\/bfnrt";
                const std::string_view meant = "\"\\/\b\f\n\r\t";
                if (const std::size_t k = simple.find(e); k != std::string_view::npos) {
                    out += meant[k];
                } else if (e == 'u' && at + 4 <= text.size()) {
                    const unsigned long cp = std::stoul(std::string(text.substr(at, 4)), nullptr, 16);
                    at += 4;
                    out += static_cast<char>(cp);  // the writer escapes single bytes only
                } else {
                    return std::nullopt;
                }
                continue;
            }
            const std::size_t n = utf8_length(text.substr(at));
            if (n == 0) return std::nullopt;
            out += text.substr(at, n);
            at += n;
        }
        if (!eat('"')) return std::nullopt;
        return out;
    }
    bool value(int depth) {
        blanks();
        if (at == text.size() || depth > 64) return false;
        if (text[at] == '"') return string().has_value();
        if (eat('{')) {
            if (eat('}')) return true;
            do {
                if (!string() || !eat(':') || !value(depth + 1)) return false;
            } while (eat(','));
            return eat('}');
        }
        if (eat('[')) {
            if (eat(']')) return true;
            do {
                if (!value(depth + 1)) return false;
            } while (eat(','));
            return eat(']');
        }
        for (const std::string_view word : {"true", "false", "null"}) {
            if (text.substr(at).starts_with(word)) return at += word.size(), true;
        }
        const std::size_t start = at;
        if (at < text.size() && text[at] == '-') ++at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
        return at > start && text[at - 1] != '-';
    }
};

bool valid_utf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = Reader::utf8_length(s.substr(i));
        if (n == 0) return false;
        i += n;
    }
    return true;
}

xqutil::Record record(FuzzedDataProvider& in, int depth) {
    xqutil::Record r;
    const int fields = in.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < fields; ++i) {
        std::string key = in.ConsumeRandomLengthString(16);
        switch (in.ConsumeIntegralInRange(0, 4)) {
            case 0: r.text(key, key, in.ConsumeRandomLengthString(64)); break;
            case 1: r.text(key, key, std::nullopt); break;
            case 2: r.number(key, key, in.ConsumeIntegral<std::int64_t>()); break;
            case 3: r.flag(key, key, in.ConsumeBool()); break;
            default: {
                std::vector<xqutil::Record> list;
                const int n = depth < 3 ? in.ConsumeIntegralInRange(0, 3) : 0;
                for (int k = 0; k < n; ++k) list.push_back(record(in, depth + 1));
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
    check(valid_utf8(literal));
    Reader one{literal};
    const std::optional<std::string> back = one.string();
    check(back && one.at == literal.size());
    check(*back == bytes);

    FuzzedDataProvider in(data, size);
    std::ostringstream out;
    // A JSON report is held back until the command finishes.
    xqutil::Output output(out, true);
    output.report(record(in, 0));
    output.finish();
    const std::string json = out.str();
    check(valid_utf8(json));
    Reader whole{json};
    check(whole.value(0));
    whole.blanks();
    check(whole.at == json.size());
    return 0;
}
