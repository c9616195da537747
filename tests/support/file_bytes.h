// Whole files for tests that compare them byte for byte, and UTF-16 file
// contents.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace xq::test {

// Every byte of the file, or "<missing>" when it cannot be opened.
inline std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Creates or truncates the file to hold exactly `bytes`.
inline void write_bytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// `text` as UTF-16 bytes after the byte-order mark of the byte order.
inline std::string utf16_bytes(std::u16string_view text, bool big_endian = false) {
    std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t c : text) {
        const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
        bytes += big_endian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return bytes;
}

// ASCII text as UTF-16LE bytes after the byte-order mark.
inline std::string utf16_bytes(std::string_view ascii) {
    return utf16_bytes(std::u16string(ascii.begin(), ascii.end()));
}

}  // namespace xq::test
