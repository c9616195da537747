// Status texts and message modules from arbitrary bytes. The first byte picks
// the target:
//  - even: a template and up to three inserts (separated by 0x01 bytes) are
//    formatted into a 261-byte text; it must be the first 260 characters of
//    an unbounded formatting, terminated and zero-filled, and nothing may be
//    read past an input (each lives in a heap block of its own size); the
//    same inserts through SetError, with the code taken from the first
//    byte's upper bits, give the catalogue text of that code formatted the
//    same way (as it stands without inserts) and the record's other fields;
//  - odd: the bytes as a message module file; a module that parses has
//    unique codes in order and reads back the same after writing it out.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "status/catalogue.h"
#include "xq_utils.h"

namespace {

namespace res = xq::resources;

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// The same rules without a bound: "%s" takes the next insert (empty past the
// last), "%%" gives "%", any other "%" stays.
std::string reference_format(std::string_view pattern, const std::vector<std::string_view>& inserts) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char after = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (pattern[i] == '%' && after == 's') {
            if (next < inserts.size()) out += inserts[next];
            ++next;
            ++i;
        } else if (pattern[i] == '%' && after == '%') {
            out += '%';
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

// SetError with the parts after the template as inserts (C strings, each in
// a block of its own size; missing ones null).
void check_set_error(std::int32_t code, const std::vector<std::vector<char>>& parts) {
    std::vector<std::vector<char>> texts;
    std::vector<std::string_view> inserts;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        std::vector<char> text(parts[i].begin(), std::find(parts[i].begin(), parts[i].end(), '\0'));
        text.push_back('\0');
        texts.push_back(std::move(text));
    }
    for (const auto& text : texts) inserts.emplace_back(text.data(), text.size() - 1);
    const auto insert = [&](std::size_t i) { return i < texts.size() ? texts[i].data() : nullptr; };
    StatusRecord record;
    std::memset(&record, 'z', sizeof record);
    std::int32_t flag = 0;
    check(SetError(&flag, -7, 3, code, insert(0), insert(1), insert(2), &record) == 1);
    check(flag == 1 && record.Origin == -7 && record.ErrorClass == 3 && record.ErrorCode == code);

    std::array<char, sizeof record.Text> pattern{};
    const std::size_t length = xq::status::load_message_text(3, code, pattern);
    const std::string_view text(pattern.data(), length);
    const std::string expected = inserts.empty() ? std::string(text) : reference_format(text, inserts);
    const std::size_t n = std::min<std::size_t>(expected.size(), 260);
    check(std::string_view(record.Text, n) == std::string_view(expected).substr(0, n));
    for (std::size_t i = n; i < sizeof record.Text; ++i) check(record.Text[i] == '\0');
}

void check_format(std::int32_t code, std::string_view input) {
    // Each part in a block of exactly its size.
    std::vector<std::vector<char>> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = parts.size() < 3 ? input.find('\x01', start) : std::string_view::npos;
        const std::string_view part = input.substr(start, end == std::string_view::npos ? end : end - start);
        parts.emplace_back(part.begin(), part.end());
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    const std::string_view pattern(parts[0].data(), parts[0].size());
    std::vector<std::string_view> inserts;
    for (std::size_t i = 1; i < parts.size(); ++i) inserts.emplace_back(parts[i].data(), parts[i].size());

    std::vector<char> text(261, 'z');
    const std::size_t length = xq::status::format_message(pattern, inserts, text);
    check(length <= 260);
    for (std::size_t i = length; i < text.size(); ++i) check(text[i] == '\0');
    const std::string expected = reference_format(pattern, inserts);
    check(std::string_view(text.data(), length) == std::string_view(expected).substr(0, 260));
    check_set_error(code, parts);
}

// A module file that holds `messages`, escaping what needs it.
std::string write_module(const std::vector<res::MessageText>& messages) {
    std::string out = std::string(res::kModuleMagic) + "\n";
    for (const auto& m : messages) {
        out += std::to_string(m.code) + '\t';
        for (char c : m.text) {
            if (c == '\\') out += "\\\\";
            else if (c == '\t') out += "\\t";
            else if (c == '\n') out += "\\n";
            else out += c;
        }
        out += '\n';
    }
    return out;
}

void check_module(std::string_view input) {
    const auto messages = res::parse_module(input);
    if (!messages) return;
    for (std::size_t i = 0; i < messages->size(); ++i) {
        const auto& m = (*messages)[i];
        check(i == 0 || (*messages)[i - 1].code < m.code);
        check(res::find_message(*messages, m.code) == &m);
        check(m.text.find('\0') == std::string::npos);
    }
    const auto again = res::parse_module(write_module(*messages));
    check(again.has_value() && again->size() == messages->size());
    for (std::size_t i = 0; i < messages->size(); ++i) {
        check((*again)[i].code == (*messages)[i].code && (*again)[i].text == (*messages)[i].text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::vector<char> bytes(data + 1, data + size);
    const std::string_view input(bytes.data(), bytes.size());
    if ((data[0] & 1U) != 0) {
        check_module(input);
    } else {
        check_format(data[0] >> 1, input);
    }
    return 0;
}
