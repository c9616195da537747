// xqutil's JSON writer from arbitrary bytes: the input as one JSON string is
// valid UTF-8 and reads back as the input's bytes (valid UTF-8 as it stands,
// other bytes through \u00XX); records of texts, numbers, flags and nested
// lists drawn from the input render as one valid JSON value in valid UTF-8,
// a failure after the report included.

#include "fuzz.h"
#include "output.h"

namespace {

using xq::fuzz::check;

// The length of the valid, shortest UTF-8 sequence `s` starts with; 0 for none.
std::size_t utf8_length(std::string_view s) {
    const auto b = [&](std::size_t i) { return std::uint32_t{static_cast<unsigned char>(s[i])}; };
    const std::size_t n = b(0) < 0x80 ? 1 : b(0) < 0xC2 ? 0 : b(0) < 0xE0 ? 2 : b(0) < 0xF0 ? 3 : b(0) < 0xF5 ? 4 : 0;
    if (n < 2 || s.size() < n) return s.size() < n ? 0 : n;
    std::uint32_t cp = b(0) & (0x7Fu >> n);
    for (std::size_t i = 1; i < n; ++i) cp = (b(i) & 0xC0) != 0x80 ? 0 : cp << 6 | (b(i) & 0x3F);
    return cp >= (n == 2 ? 0x80u : n == 3 ? 0x800u : 0x10000u) && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF) ? n : 0;
}

// A strict reader of what the writer may produce: JSON values, strings in valid UTF-8 (so the
// whole text is), advancing `at`; strings come back decoded, \u00XX as the byte XX.
struct Reader {
    std::string_view text;
    std::size_t at = 0;
    bool eat(char c) {
        at = std::min(text.find_first_not_of(" \n", at), text.size());
        return at < text.size() && text[at] == c ? (++at, true) : false;
    }
    std::optional<std::string> string() {
        std::string out;
        if (!eat('"')) return std::nullopt;
        for (std::size_t n = 0; at < text.size() && text[at] != '"'; at += n) {
            const std::size_t k = text[at] == '\\' && at + 1 < text.size() ? std::string_view("\"\\/bfnrtu").find(text[at + 1]) : 9;
            if (k == 8 && at + 6 <= text.size()) out += static_cast<char>(std::stoul(std::string(text.substr(at + 2, 4)), nullptr, 16)), n = 6;
            else if (k < 8) out += "\"\\/\b\f\n\r\t"[k], n = 2;
            else if (text[at] == '\\' || static_cast<unsigned char>(text[at]) < 0x20 || (n = utf8_length(text.substr(at))) == 0) return std::nullopt;
            else out += text.substr(at, n);
        }
        return eat('"') ? std::optional(out) : std::nullopt;
    }
    bool value(int depth) {
        if (const bool object = eat('{'); object || eat('[')) {  // members separated by commas; an object's with their keys
            const char close = object ? '}' : ']';
            if (eat(close)) return true;
            do
                if ((object && (!string() || !eat(':'))) || depth > 64 || !value(depth + 1)) return false;
            while (eat(','));
            return eat(close);
        }
        if (at < text.size() && text[at] == '"') return string().has_value();
        for (const std::string_view word : {"true", "false", "null"})
            if (text.substr(at).starts_with(word)) return at += word.size(), true;
        const std::size_t start = at += at < text.size() && text[at] == '-' ? 1 : 0;
        at = std::min(text.find_first_not_of("0123456789", at), text.size());
        return at > start;
    }
};

xqutil::Record record(FuzzedDataProvider& in, int depth) {
    xqutil::Record r;
    for (int i = in.ConsumeIntegralInRange(0, 6); i > 0; --i) {
        const std::string key = in.ConsumeRandomLengthString(16);
        const int kind = in.ConsumeIntegralInRange(0, 4);
        std::vector<xqutil::Record> list;
        for (int n = kind == 4 && depth < 3 ? in.ConsumeIntegralInRange(0, 3) : 0; n > 0; --n) list.push_back(record(in, depth + 1));
        if (kind < 2) r.text(key, key, kind == 0 ? std::optional(in.ConsumeRandomLengthString(64)) : std::nullopt);
        else if (kind == 2) r.number(key, key, in.ConsumeIntegral<std::int64_t>());
        else if (kind == 3) r.flag(key, key, in.ConsumeBool());
        else r.list(key, key, std::move(list));
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string literal = xqutil::json_string(bytes);
    Reader one{literal};
    check(one.string() == std::optional<std::string>(bytes) && one.at == literal.size());

    FuzzedDataProvider in(data, size);
    std::ostringstream out;
    xqutil::Output output(out, true);  // a JSON report is held back until the command finishes or fails
    output.report(record(in, 0));
    const std::string message = in.ConsumeRandomLengthString(32), command = in.ConsumeRandomLengthString(8);
    if (in.ConsumeBool()) output.fail(2, message, command);  // the failure joins the report
    else output.finish();
    const std::string json = out.str();
    Reader whole{json};
    check(whole.value(0) && !whole.eat(' ') && whole.at == json.size());  // only blanks after the value
    return 0;
}
