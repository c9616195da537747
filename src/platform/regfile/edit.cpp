#include "platform/regfile/regfile.h"

#include <vector>


namespace xq::regfile {
namespace {

std::string splice(std::string_view file, std::size_t from, std::size_t to, std::string_view bytes) {
    std::string out;
    out.reserve(file.size() + bytes.size());
    out.append(file.substr(0, from));
    out.append(bytes);
    out.append(file.substr(to));
    return out;
}

// Candidate files, most local edit first.
std::vector<std::string> candidates(std::string_view file, const Parsed& parsed, std::string_view key_path,
                                    const Key& key, const Value& value) {
    const Layout& layout = parsed.layout;
    const std::string end = line_end_of(file, layout);
    const std::string end_text =
        layout.encoding == Encoding::ansi ? end : utf16_to_utf8(from_le_bytes(end));
    const std::string line = encode(value_line(value, layout.encoding, end_text), layout.encoding);
    std::vector<std::string> out;
    if (const Value* old = key.find(value.name)) {
        const Line& first = layout.lines[old->source.first];
        const Line& last = layout.lines[old->source.last];
        out.push_back(splice(file, first.begin, last.end, line));
    } else if (key.anchor) {
        const Line& after = layout.lines[*key.anchor];
        if (after.next > after.end) {
            out.push_back(splice(file, after.next, after.next, line + std::string(file.substr(after.end, after.next - after.end))));
        } else {
            out.push_back(splice(file, after.end, after.end, end + line));
        }
    }
    // A block of its own at the end of the file.
    std::string block;
    if (!layout.lines.empty() && layout.lines.back().next == layout.lines.back().end) block += end;
    block += end + encode("[" + std::string(key_path) + "]", layout.encoding) + end + line + end;
    out.push_back(std::string(file) + block);
    return out;
}

}  // namespace

std::optional<Edited> set_string(std::string_view file, std::string_view key_path, std::string_view name,
                                 std::string_view text) {
    if (name.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
    const Parsed parsed = parse(file);
    const Key* key = parsed.registry.find(key_path);
    if (key == nullptr) return std::nullopt;

    Registry expected = parsed.registry;
    Key& target = *expected.find(key_path);
    const Value& value = target.set(name, kRegSz, to_le_bytes(utf8_to_utf16(text) + u'\0'));
    const auto stored_path = expected.keys().find(key_path)->first;

    for (std::string& candidate : candidates(file, parsed, stored_path, *key, value)) {
        Parsed again = parse(candidate);
        if (same_content(again.registry, expected)) return Edited{std::move(candidate), std::move(again.registry)};
    }
    return std::nullopt;
}

}  // namespace xq::regfile
