#include "platform/regfile/regfile.h"

namespace xq::regfile {
namespace {

constexpr std::string_view kBom = "\xFF\xFE";

// Splits the units of `text` into `lines`. `width` is the size of one unit
// in the file, `base` the offset of text[0].
template <typename Text, typename Decode>
void split(Text text, std::size_t width, std::size_t base, Decode decode, std::vector<Line>& lines) {
    for_each_line(text, [&](std::size_t start, std::size_t stop, std::size_t after) {
        lines.push_back(Line{base + start * width, base + stop * width, base + after * width,
                             decode(text.substr(start, stop - start))});
    });
}

}  // namespace


Header classify_header(std::string_view first_line) {
    std::string_view text = skip_blanks(first_line);
    std::string_view trimmed = text;
    while (!trimmed.empty() && is_blank(trimmed.back())) trimmed.remove_suffix(1);
    if (trimmed == "REGEDIT4") return Header::regedit4;
    if (trimmed == "Windows Registry Editor Version 5.00") return Header::version5;
    if (text.starts_with("REGEDIT")) return Header::inert;
    return Header::rejected;
}

Layout split_lines(std::string_view file) {
    Layout layout;
    if (file.starts_with(kBom)) {
        layout.encoding = Encoding::utf16le;
        const std::u16string units = from_le_bytes(file.substr(kBom.size()));
        split(std::u16string_view(units), 2, kBom.size(), utf16_to_utf8, layout.lines);
        // An odd last byte belongs to no character; keep it inside the last line.
        if (!layout.lines.empty() && layout.lines.back().next < file.size()) {
            Line& last = layout.lines.back();
            if (last.end == last.next) last.end = file.size();
            last.next = file.size();
        }
    } else {
        split(file, 1, 0, [](std::string_view line) { return std::string(line); }, layout.lines);
    }
    if (!layout.lines.empty()) layout.header = classify_header(layout.lines.front().text);
    return layout;
}

std::string encode(std::string_view text, Encoding encoding) {
    if (encoding == Encoding::ansi) return std::string(text);
    return to_le_bytes(utf8_to_utf16(text));
}

std::string line_end_of(std::string_view file, const Layout& layout) {
    for (const Line& line : layout.lines) {
        if (line.next > line.end) return std::string(file.substr(line.end, line.next - line.end));
    }
    return encode("\r\n", layout.encoding);
}

}  // namespace xq::regfile
