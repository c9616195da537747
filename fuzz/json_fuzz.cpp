// xqutil's JSON writer from arbitrary bytes: the input as a JSON string
// literal is valid UTF-8 and reads back as the input's bytes (valid UTF-8 as
// it stands, other bytes through \u00XX). The writer's layout around its
// strings does not depend on outside input; the tool's tests cover it.

#include "fuzz.h"
#include "output.h"
#include "platform/regfile/regfile.h"

namespace {

// One JSON string literal decoded, \u00XX as the byte XX; nullopt when `text`
// is anything else.
std::optional<std::string> decoded(std::string_view text) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') return std::nullopt;
    std::string out;
    for (std::size_t at = 1; at + 1 < text.size(); ++at) {
        const char c = text[at];
        const std::size_t k = c != '\\' ? 9 : at + 2 < text.size() ? std::string_view("\"\\/bfnrtu").find(text[++at]) : 10;
        if (k < 8) {
            out += "\"\\/\b\f\n\r\t"[k];
        } else if (k == 8 && at + 5 < text.size() && text.substr(at + 1, 2) == "00") {
            out += static_cast<char>(std::stoi(std::string(text.substr(at + 3, 2)), nullptr, 16)), at += 4;
        } else if (k != 9 || c == '"' || static_cast<unsigned char>(c) < 0x20) {
            return std::nullopt;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string json = xqutil::json_string(bytes);
    // Valid UTF-8 is what the library's strict decoder gives back unchanged.
    xq::fuzz::check(xq::regfile::utf16_to_utf8(xq::regfile::utf8_to_utf16(json)) == json &&
                    decoded(json) == std::optional<std::string>(bytes));
    return 0;
}
