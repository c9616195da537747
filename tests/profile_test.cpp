// The profile reader and writer: reads of the shared vectors, in-place edits
// byte for byte, and files on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "platform/platform.h"
#include "profile/bytes.h"
#include "profile/profile.h"
#include "support/buffer.h"
#include "support/profile_vectors.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::literals;
using xq::test::GuardedBuffer;
using xq::test::utf16_bytes;

// Every vector, read from its bytes, from a file holding them and (ASCII text)
// as UTF-16 through the 16-bit scanner.
TEST(Profile, ReadsGiveExactBytesAndResults) {
    xq::test::TempDirectory dir;
    for (const auto& v : xq::test::profile_vectors()) {
        SCOPED_TRACE(v.label);
        const std::string path = v.file ? dir.write("v.ini", *v.file) : dir.file("missing.ini");
        const bool ascii = v.file && std::all_of(v.file->begin(), v.file->end(), [](char c) { return c > 0; });
        for (const int how : {0, 1, 2}) {  // from the file, from the bytes, from the bytes as UTF-16
            if ((how > 0 && !v.file) || (how == 2 && !ascii)) continue;
            GuardedBuffer b(v.capacity);
            bool found = how > 0 ? v.file.has_value() : !v.file;  // read_string must set it
            const std::uint32_t result =
                how == 0 ? xq::profile::read_string(v.section, v.entry, v.fallback, b.data(), v.capacity, path.c_str(), &found)
                         : xq::profile::get_string(how == 1 ? *v.file : utf16_bytes(*v.file), v.section, v.entry, v.fallback,
                                                   b.data(), v.capacity);
            // The result, the bytes written, the byte after them untouched and nothing outside the capacity.
            EXPECT_EQ(result, v.result) << how;
            EXPECT_EQ(b.raw().substr(0, v.written.size() + 1), (v.written + GuardedBuffer::kFill).substr(0, v.capacity)) << how;
            EXPECT_TRUE(b.guards_intact() && found == v.file.has_value()) << how;
        }
        EXPECT_EQ(xq::profile::get_string(v.file.value_or(""), v.section, v.entry, v.fallback, nullptr, 10), 0U);
    }
}

// A text ends where its view ends, whatever follows it in memory: "[s" at the
// end names section s ("[s x" would not), blanks are not read on, and nothing
// is written past the encoded text.
TEST(Profile, TextEndsWhereItsViewEnds) {
    const std::string memory = "[a]\nk=1\n[s x", blanks = "[s]\nk=  \t";
    char names[8];
    // Its entries are listed (none), where a section not found gives the default;
    // a value of blanks at the end is empty, though a blank follows in memory.
    EXPECT_EQ(xq::profile::get_string(std::string_view(memory).substr(0, 10), "s", nullptr, "dflt", names, 8) +
              xq::profile::get_string(std::string_view(blanks).substr(0, 8), "s", "k", "d", names, 8), 0U);
    // An odd last byte is a unit of its own, with no byte read after it.
    EXPECT_EQ(xq::profile::decode_utf16(std::string_view("a\0b\x01", 4).substr(0, 3)), u"ab");
    // Encoding as UTF-16 writes the text's bytes and leaves the terminator alone.
    const std::string bytes = xq::profile::encode_utf16(std::u16string_view(u"ab").substr(0, 1));
    EXPECT_EQ(std::string_view(bytes.c_str(), 3), "a\0\0"sv);
}

// Only the value's bytes change: indent, spelling, line ends and every other
// line stay; refusals give nullopt.
TEST(Profile, ReplaceValueChangesOnlyTheValue) {
    const std::string non_ascii = xq::os::wide_to_narrow(u"\u00fc\u20ac");  // the high byte of the second counts
    const struct { std::string before; const char *section, *entry, *value; std::optional<std::string> after; } cases[] = {
        {"[Sec]\r\nKey=v", "SEC", "KEY", "v2", "[Sec]\r\nKey=v2"}, {"[s]\r\nk=1\r\n", " s ", " k ", " v ", "[s]\r\nk= v \r\n"},
        {"; t\r\n\r\n[s]\r\n  K = \"old\"  \r\n;c\r\n[t]\r\nx = y\r\n", "s", "k", "'n v'",
         "; t\r\n\r\n[s]\r\n  K='n v'\r\n;c\r\n[t]\r\nx = y\r\n"},
        // A CR before another character or a second LF is a line break of its own.
        {"[s]\r\r\nk=1\n\nj=2\r\r\n", "s", "k", "5", "[s]\r\r\nk=5\n\nj=2\r\r\n"},
        {"[s]\r\nk=1\r\nk=2\r\n", "s", "k", "", "[s]\r\nk=\r\nk=2\r\n"},  // the first of two; an empty value
        {utf16_bytes(u"[s]\r\nk=1\r\n"), "s", "k", non_ascii.c_str(), utf16_bytes(u"[s]\r\nk=\u00fc\u20ac\r\n")},
        // Refused ({}): a second section of the name, no such entry or section, a comment, no names.
        {"[s]\r\na=1\r\n[s]\r\nb=1\r\n", "s", "b", "2", {}}, {"[S]\r\n;k=v\r\n", "S", ";k", "w", {}},
        {"[s]\r\nk=1\r\n", "s", "n", "v", {}}, {"[s]\r\nk=1\r\n", "t", "k", "v", {}},
        {"[]\r\nk=1\r\n", nullptr, "k", "v", {}}, {"[s]\r\n=1\r\n", "s", nullptr, "v", {}},  // no name is not ""
    };
    for (const auto& c : cases)
        EXPECT_EQ(xq::profile::replace_value(c.before, c.section, c.entry, c.value), c.after) << c.before;
}

// A same-length rewrite with the old modification time is still seen (nothing
// is cached); a write to a missing file creates nothing and does not touch its
// directory, not even for a moment; a name without a directory part is a file
// in the current directory.
TEST(Profile, FilesAreReadAndWrittenAsTheyAreNow) {
    xq::test::TempDirectory dir;
    const std::string path = dir.write("x.ini", "[s]\nk=1\r\n");
    char text[8];
    const auto old_time = fs::last_write_time(path) - std::chrono::hours(1);
    fs::last_write_time(path, old_time);
    EXPECT_EQ(xq::profile::read_string("s", "k", "d", text, sizeof text, path.c_str()), 1U);
    dir.write("x.ini", "[s]\nk=2\r\n");
    fs::last_write_time(path, old_time);
    xq::profile::read_string("s", "k", "d", text, sizeof text, path.c_str());
    EXPECT_EQ(text, "2"s);
#ifndef _WIN32
    const auto value = [](const char* v) { return [v](std::string_view) { return std::optional<std::string>(v); }; };
    const std::string none = dir.file("none.ini");
    fs::last_write_time(dir.path(), old_time);
    EXPECT_FALSE(xq::profile::write_value_from("s", "k", none.c_str(), value("v")));
    EXPECT_TRUE(fs::last_write_time(dir.path()) == old_time && !fs::exists(none));
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    const bool written = xq::profile::write_value_from("s", "K", "x.ini", value("here"));
    xq::profile::read_string("s", "k", "d", text, sizeof text, "x.ini");
    fs::current_path(previous);
    EXPECT_EQ(text + std::to_string(written) + xq::test::read_bytes(path), "here1[s]\nk=here\r\n");
#endif
}

}  // namespace
