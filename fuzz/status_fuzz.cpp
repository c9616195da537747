// Status texts and message modules from arbitrary bytes; the first byte
// picks the part:
//  even: a template and up to three inserts (split at 0x01 bytes; the last
//    ends where the input's block ends, so nothing past it is read) formatted
//    into the status record's 261 bytes, or fewer, give the start of the text
//    formatted with room for all, terminated and zero-filled; a template
//    without "%" is copied as it stands (the substitutions have exact rows in
//    the unit tests);
//  odd: a message module that parses has codes in strictly rising order,
//    texts without NULs, and each message is found by its code.

#include "fuzz.h"
#include "status/catalogue.h"

namespace {

using namespace xq::fuzz;
namespace res = xq::resources;

// The text of `pattern` with `inserts` formatted into `size` bytes, each past it zero.
std::string formatted(std::string_view pattern, const std::vector<std::string_view>& inserts, std::size_t size) {
    std::vector<char> out(size, 'z');
    const std::size_t length = xq::status::format_message(pattern, inserts, out);
    check((size == 0 ? length == 0 : length < size) &&
          std::string_view(out.data(), size).find_first_not_of('\0', length) == std::string_view::npos);
    return {out.data(), length};
}

void check_format(std::string_view input) {
    std::vector<std::string_view> parts;  // the template, then up to three inserts
    for (std::size_t start = 0, end = 0; end != input.npos; start = end + 1) {
        end = parts.size() < 3 ? input.find('\x01', start) : input.npos;
        parts.push_back(input.substr(start, end == input.npos ? end : end - start));
    }
    const std::string_view pattern = parts[0];
    const std::vector<std::string_view> inserts(parts.begin() + 1, parts.end());
    const std::string full = formatted(pattern, inserts, input.size() + 1);
    check(pattern.find('%') != pattern.npos || full == pattern);
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, full.size(), std::size_t{261}})
        check(formatted(pattern, inserts, size) == full.substr(0, size == 0 ? 0 : size - 1));
}

void check_module(std::string_view input) {
    const auto messages = res::parse_module(input);
    for (std::size_t i = 0; messages && i < messages->size(); ++i) {
        const res::MessageText& m = (*messages)[i];
        check((i == 0 || (*messages)[i - 1].code < m.code) && res::find_message(*messages, m.code) == &m &&
              m.text.find('\0') == m.text.npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);  // ends where the input's block ends
    if ((data[0] & 1U) != 0) check_module(input);
    else check_format(input);
    return 0;
}
