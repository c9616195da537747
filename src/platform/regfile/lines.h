// A registry file as lines: its encoding (from the first two bytes only), its
// header, and each line's text with the byte ranges it occupies, so that an
// edit can splice whole lines and leave every other byte alone.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace xq::regfile {

enum class Encoding { ansi, utf16le };  // ANSI files are taken as UTF-8

enum class Header {
    rejected,  // not a registry file
    inert,     // starts with "REGEDIT" but is no known version: nothing is read
    regedit4,
    version5,
};

struct Line {
    std::size_t begin = 0;  // first byte of the line
    std::size_t end = 0;    // first byte of the line end (or of the next line)
    std::size_t next = 0;   // first byte after the line end
    std::string text;       // the line in UTF-8, without line end
};

struct Layout {
    Encoding encoding = Encoding::ansi;
    Header header = Header::rejected;
    std::vector<Line> lines;  // lines[0] is the header line
};

Layout split_lines(std::string_view file);

// The header a first line stands for; blanks may precede it.
Header classify_header(std::string_view first_line);

bool is_blank(char c);
// `text` without its leading blanks (spaces and tabs).
std::string_view skip_blanks(std::string_view text);

// UTF-8 text as bytes of the file's encoding.
std::string encode(std::string_view text, Encoding encoding);

// The bytes of the file's first line end, or CR LF when it has none.
std::string line_end_of(std::string_view file, const Layout& layout);

}  // namespace xq::regfile
