// Status texts and message modules from arbitrary bytes; the first byte
// picks the part:
//  even: a template and up to three inserts (split at 0x01 bytes, each in a
//    heap block of its own size, so nothing past an input is read) formatted
//    into 261 bytes give the first 260 characters of an unbounded formatting,
//    zero-filled (SetError's own fields and C-string inserts have exact rows
//    in the unit tests);
//  odd: a message module that parses has codes in order, each found by its
//    code, and reads back the same after writing it out; so does a module of
//    one message written from the code and the bytes.

#include "fuzz.h"
#include "status/catalogue.h"

namespace {

using namespace xq::fuzz;
namespace res = xq::resources;

// The same rules without a bound: "%s" takes the next insert (empty past the last), "%%" gives "%", any other "%" stays.
std::string reference_format(std::string_view pattern, const std::vector<std::string_view>& inserts) {
    std::string out;
    for (std::size_t i = 0, next = 0; i < pattern.size(); ++i) {
        const char after = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (pattern[i] == '%' && after == 's') out += next < inserts.size() ? inserts[next] : "", ++next, ++i;
        else if (pattern[i] == '%' && after == '%') out += '%', ++i;
        else out += pattern[i];
    }
    return out;
}

// The first 260 characters of `text`, zero-filled to `size` bytes.
std::string bounded(const std::string& text, std::size_t size) {
    return text.substr(0, 260).append(size - std::min<std::size_t>(text.size(), 260), '\0');
}

void check_format(std::string_view input) {
    std::vector<std::vector<char>> parts;  // each in a block of exactly its size
    for (std::size_t start = 0, end = 0; end != input.npos; start = end + 1) {
        end = parts.size() < 3 ? input.find('\x01', start) : input.npos;
        const std::string_view part = input.substr(start, end == input.npos ? end : end - start);
        parts.emplace_back(part.begin(), part.end());
    }
    std::vector<std::string_view> inserts;
    for (std::size_t i = 1; i < parts.size(); ++i) inserts.emplace_back(parts[i].data(), parts[i].size());
    std::vector<char> text(261, 'z');
    const std::string expected = reference_format({parts[0].data(), parts[0].size()}, inserts);
    const std::size_t length = xq::status::format_message({parts[0].data(), parts[0].size()}, inserts, text);
    check(std::string(text.begin(), text.end()) == bounded(expected, 261) &&
          length == std::min<std::size_t>(expected.size(), 260));
}

// A module file holding `messages`, escaping what needs it.
std::string module_of(const std::vector<res::MessageText>& messages) {
    std::string out = std::string(res::kModuleMagic) + "\n";
    for (const auto& m : messages) {
        out += std::to_string(m.code) + '\t';
        for (const char c : m.text) out += c == '\\' ? "\\\\" : c == '\t' ? "\\t" : c == '\n' ? "\\n" : std::string(1, c);
        out += '\n';
    }
    return out;
}

bool same(const std::vector<res::MessageText>& a, const std::vector<res::MessageText>& b) {
    return std::ranges::equal(a, b, [](const auto& x, const auto& y) { return x.code == y.code && x.text == y.text; });
}

void check_module(std::uint16_t code, std::string_view input) {
    std::string text = c_text(input);  // any code and text (no CR, which only ends lines) written out reads back
    std::erase(text, '\r');
    const auto own = res::parse_module(module_of({{code, text}}));
    check(own && same(*own, {{code, text}}));
    const auto messages = res::parse_module(input);
    if (!messages) return;
    for (std::size_t i = 0; i < messages->size(); ++i)
        check((i == 0 || (*messages)[i - 1].code < (*messages)[i].code) && res::find_message(*messages, (*messages)[i].code) == &(*messages)[i] &&
              (*messages)[i].text.find('\0') == std::string::npos);
    const auto again = res::parse_module(module_of(*messages));
    check(again && same(*again, *messages));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::vector<char> bytes(data + 1, data + size);  // a block of exactly the input's size
    const std::string_view input(bytes.data(), bytes.size());
    if ((data[0] & 1U) != 0) check_module(static_cast<std::uint16_t>(data[0] >> 1), input);
    else check_format(input);
    return 0;
}
