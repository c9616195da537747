// In-place rewriting from arbitrary bytes. The scanner's position is the
// start of a line that begins with the entry name and follows a header of
// the section; the rewrite keeps the file's length and changes bytes only
// inside that line's value field, right-aligning the value there; the real
// RplNamedString on a file does exactly what the pure computation says.
// Word fields and comma fields keep every byte they do not replace.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_files.h"
#include "named/in_place.h"
#include "profile/scan.h"
#include "named/values.h"
#include "xq_utils.h"

namespace {

using xq::fuzz::check;

// Names and values reach the exports as C strings: cut at the first NUL.
std::string c_text(std::string text) { return text.substr(0, text.find('\0')); }

bool starts_a_line(std::string_view contents, std::size_t pos) {
    if (pos == 0) return true;
    const char before = contents[pos - 1];
    return before == '\n' || (before == '\r' && (pos == contents.size() || contents[pos] != '\n'));
}

std::string_view line_text(std::string_view contents, std::size_t pos) {
    const xq::profile::Line line = xq::profile::line_at<char>(contents, pos);
    return contents.substr(line.begin, line.end - line.begin);
}

// A header of `section` starts a line somewhere before `pos`.
bool header_before(std::string_view contents, std::size_t pos, std::string_view section) {
    for (std::size_t at = 0; at < pos; at = xq::profile::line_at<char>(contents, at).next) {
        const std::string_view text = line_text(contents, at);
        if (text.starts_with('[') && text.substr(1).starts_with(section)) return true;
    }
    return false;
}

void check_scan_and_rewrite(const std::string& contents, const std::string& section, const std::string& entry,
                            const std::string& value, bool on_disk) {
    const auto pos = xq::named::find_entry_line(contents, section, entry);
    if (pos) {
        check(*pos > 0 && *pos < contents.size());
        check(starts_a_line(contents, *pos));
        check(!entry.empty() && line_text(contents, *pos).starts_with(entry));
        check(header_before(contents, *pos, section));
    }
    const auto write = xq::named::rewrite_entry_value(contents, section, entry, value);
    std::string expected = contents;
    if (!pos) check(!write);
    if (pos && !write) {
        const auto field = xq::named::value_field(contents, *pos);
        check(!field || value.size() > field->size || value.find_first_of("\r\n") != std::string::npos);
    }
    if (write) {
        const auto field = xq::named::value_field(contents, *pos);
        check(field && field->offset == write->offset && field->size == write->bytes.size());
        const std::size_t pad = write->bytes.size() - value.size();
        check(write->bytes.substr(pad) == value);
        check(write->bytes.find_first_not_of(' ') >= pad);
        expected.replace(write->offset, write->bytes.size(), write->bytes);
        check(expected.size() == contents.size());
        check(expected.compare(0, write->offset, contents, 0, write->offset) == 0);
        const std::size_t after = write->offset + write->bytes.size();
        check(expected.compare(after, std::string::npos, contents, after) == 0);
        // The lines stay where they were: the entry is found in the same place.
        if (entry.find('=') == std::string::npos) {
            check(xq::named::find_entry_line(expected, section, entry) == pos);
        }
    }
    // The file round trip is slow; a share of the inputs take it.
    if (!on_disk) return;
    static const xq::fuzz::Scratch scratch;
    const std::string path = scratch.file("f.ini");
    xq::fuzz::put_file(path, contents);
    const uint32_t position = GetNamedStringPos(section.c_str(), entry.c_str(), path.c_str());
    check(position == (pos && *pos <= UINT32_MAX ? *pos : 0));
    const int32_t result = RplNamedString(section.c_str(), entry.c_str(), value.c_str(), path.c_str());
    check(result == (write ? 1 : 0));
    check(xq::fuzz::get_file(path) == expected);
}

void check_word_field(std::string_view value, int index) {
    const auto field = xq::named::word_field(value, index);
    const auto word = xq::named::word_at(value, index);
    check(field.has_value() == word.has_value());
    if (!field) return;
    check(field->offset + field->text.size() == word->offset + word->text.size());
    check(field->text.ends_with(word->text));
    const std::string_view pad = field->text.substr(0, field->text.size() - word->text.size());
    check(pad.find_first_not_of(' ') == std::string_view::npos);
    check(pad.empty() || field->offset > 0);
}

void check_comma_field(std::string_view value, int index, std::string_view data) {
    const auto commas = [](std::string_view text) { return std::count(text.begin(), text.end(), ','); };
    const auto replaced = xq::named::replace_comma_field(value, index, data);
    check(replaced.has_value() == (index <= 1 || commas(value) >= index - 1));
    if (replaced) check(commas(*replaced) == commas(value) + commas(data));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = c_text(in.ConsumeRandomLengthString(32));
    const std::string entry = c_text(in.ConsumeRandomLengthString(32));
    const std::string value = c_text(in.ConsumeRandomLengthString(64));
    const int index = in.ConsumeIntegralInRange<int>(-2, 8);
    const bool on_disk = in.ConsumeIntegralInRange<int>(0, 7) == 0;
    const std::string contents = in.ConsumeRemainingBytesAsString();
    check_scan_and_rewrite(contents, section, entry, value, on_disk);
    check_word_field(contents.substr(0, 300), index);
    check_comma_field(contents.substr(0, 300), index, value);
    return 0;
}
