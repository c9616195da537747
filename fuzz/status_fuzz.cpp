// Status texts and message modules from arbitrary bytes; the first byte
// picks the part:
//  even: a template and up to three inserts (split at 0x01 bytes, each in a
//    heap block of its own size, so nothing past an input is read) formatted
//    into the status record's 261 bytes, or fewer, give the start of the text
//    formatted with room for all, terminated and zero-filled; a template
//    without "%" is copied as it stands (the substitutions have exact rows in
//    the unit tests);
//  odd: a message module that parses (else one message from the code and the
//    bytes) has codes in order, each found by its code, and reads back the
//    same after writing it out.

#include "fuzz.h"
#include "status/catalogue.h"

namespace {

using namespace xq::fuzz;
namespace res = xq::resources;

// The text of `pattern` with `inserts` formatted into `size` bytes, each past it zero.
std::string formatted(std::string_view pattern, const std::vector<std::string_view>& inserts, std::size_t size) {
    std::vector<char> out(size, 'z');
    const std::size_t length = xq::status::format_message(pattern, inserts, out);
    check(size == 0 ? length == 0 : length < size && std::all_of(out.begin() + static_cast<std::ptrdiff_t>(length), out.end(), [](char c) { return c == '\0'; }));
    return {out.data(), length};
}

void check_format(std::string_view input) {
    std::vector<std::vector<char>> parts;  // each in a block of exactly its size
    for (std::size_t start = 0, end = 0; end != input.npos; start = end + 1) {
        end = parts.size() < 3 ? input.find('\x01', start) : input.npos;
        const std::string_view part = input.substr(start, end == input.npos ? end : end - start);
        parts.emplace_back(part.begin(), part.end());
    }
    const std::string_view pattern(parts[0].data(), parts[0].size());
    std::vector<std::string_view> inserts;
    for (std::size_t i = 1; i < parts.size(); ++i) inserts.emplace_back(parts[i].data(), parts[i].size());
    const std::string full = formatted(pattern, inserts, input.size() + 1);
    check(pattern.find('%') != pattern.npos || full == pattern);
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, full.size(), std::size_t{261}})
        check(formatted(pattern, inserts, size) == full.substr(0, size == 0 ? 0 : size - 1));
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

void check_module(std::uint16_t code, std::string_view input) {
    std::string text = c_text(input);  // any code and text (no CR, which only ends lines) written out reads back
    std::erase(text, '\r');
    const auto parsed = res::parse_module(input);
    const std::vector<res::MessageText> messages = parsed ? *parsed : std::vector<res::MessageText>{{code, text}};
    for (std::size_t i = 0; i < messages.size(); ++i)
        check((i == 0 || messages[i - 1].code < messages[i].code) && res::find_message(messages, messages[i].code) == &messages[i] &&
              messages[i].text.find('\0') == std::string::npos);
    const std::string written = module_of(messages);
    const auto again = res::parse_module(written);
    check(again && module_of(*again) == written);
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
