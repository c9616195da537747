// The profile reader and writer: reads of the shared vectors, in-place edits
// byte for byte, and files on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <stdexcept>

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
using xq::test::read_bytes;
using xq::test::utf16_bytes;

// Every vector, read from its bytes, from a file holding them and (ASCII text)
// as UTF-16 through the 16-bit scanner; UTF-16 rows with non-ASCII text, whose
// narrow form depends on the platform; long values and names read whole.
TEST(Profile, ReadsGiveExactBytesAndResults) {
    xq::test::TempDirectory dir;
    const std::string wide = utf16_bytes(u"[s]\r\nName=Gr\u00fc\u00dfe\u20ac");  // last unit's high byte counts
    const std::string narrow = xq::os::wide_to_narrow(u"Gr\u00fc\u00dfe\u20ac"), big(100000, 'x'), name(70000, 'n');
    const std::string long_file = "[s]\r\nk=" + big + "\r\n[" + name + "]\r\nj=1\r\n";
    std::vector<xq::test::ProfileVector> vectors = xq::test::profile_vectors();
    vectors.insert(vectors.end(), {
        {"non-ASCII value", wide, "S", "name", "d", 99, narrow + '\0', static_cast<std::uint32_t>(narrow.size())},
        {"cut counts narrow bytes", wide, "s", "name", "d", 4, narrow.substr(0, 3) + '\0', 3},
        {"long value", long_file, "s", "k", "d", 100001, big + '\0', 100000},
        {"long section name", long_file, name.c_str(), "j", "d", 3, "1\0"s, 1}});
    for (const auto& v : vectors) {
        SCOPED_TRACE(v.label);
        const std::string path = v.file ? dir.write("v.ini", *v.file) : dir.file("missing.ini");
        const bool ascii = v.file && !v.file->starts_with("\xFF\xFE") && v.capacity < 1000 &&
                           std::all_of(v.file->begin(), v.file->end(), [](char c) { return c > 0; });
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

// Eight times the "[" on one line take well under 24 times as long (a search
// that rescans the line at every "[" takes 64 times as long); best of twenty.
TEST(Profile, SearchTimeGrowsLinearlyWithBrackets) {
    std::vector<double> best;
    for (const std::size_t brackets : {32000U, 256000U}) {
        const std::string file = "[a]\r\nk=" + std::string(brackets, '[') + "\r\n[s]\r\nk=found\r\n";
        best.push_back(1e9);
        for (int run = 0; run < 20; ++run) {
            char value[8];
            const auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(xq::profile::get_string(file, "s", "k", "d", value, sizeof value), 5U);
            best.back() = std::min(best.back(), std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
    }
    EXPECT_LT(best[1], 24 * best[0]) << best[0] << " s for 32000 brackets, " << best[1] << " s for 256000";
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
        {"[s]\nk=1\nj=2\n", "s", "k", "5", "[s]\nk=5\nj=2\n"}, {"[s]\rk=1\rj=2\r", "s", "j", "5", "[s]\rk=1\rj=5\r"},
        // A CR before another character or a second LF is a line break of its own.
        {"[s]\r\r\nk=1\n\nj=2\r\r\n", "s", "k", "5", "[s]\r\r\nk=5\n\nj=2\r\r\n"},
        {"[s]\r\nk=1\r\nk=2\r\n", "s", "k", "", "[s]\r\nk=\r\nk=2\r\n"},  // the first of two; an empty value
        {"[s]\r\nx=\0\0\r\nk=1\r\n"s, "s", "k", "2", "[s]\r\nx=\0\0\r\nk=2\r\n"s},
        {utf16_bytes(u";\u03a9\r\n[s]\r\nk=1\r\n"), "s", "k", "22", utf16_bytes(u";\u03a9\r\n[s]\r\nk=22\r\n")},
        {utf16_bytes(u"[s]\r\nk=1\r\n"), "s", "k", non_ascii.c_str(), utf16_bytes(u"[s]\r\nk=\u00fc\u20ac\r\n")},
        // Refused ({}): a second section of the name, no such entry or section, a comment, no names.
        {"[s]\r\na=1\r\n[s]\r\nb=1\r\n", "s", "b", "2", {}}, {"[S]\r\n;k=v\r\n", "S", ";k", "w", {}},
        {"[s]\r\nk=1\r\n", "s", "n", "v", {}}, {"[s]\r\nk=1\r\n", "t", "k", "v", {}},
        {"[]\r\nk=1\r\n", nullptr, "k", "v", {}}, {"[s]\r\n=1\r\n", "s", nullptr, "v", {}},  // no name is not ""
    };
    for (const auto& c : cases)
        EXPECT_EQ(xq::profile::replace_value(c.before, c.section, c.entry, c.value), c.after) << c.before;
}

class ProfileFile : public ::testing::Test {
protected:
    xq::test::TempDirectory dir;
    const std::string path = dir.write("x.ini", "[s]\nk=1\r\n"), directory = dir.path().string();
    char text[8];
};

xq::profile::ValueFor value(const char* text) {
    return [text](std::string_view) { return text ? std::optional<std::string>(text) : std::nullopt; };
}

// A directory and no name read as a missing file; a same-length rewrite with
// the old modification time is still seen (nothing is cached).
TEST_F(ProfileFile, ReadsTheFileAsItIsNow) {
    for (const std::string& file : {directory, ""s}) {
        bool found = true;
        const char* name = file.empty() ? nullptr : file.c_str();
        EXPECT_EQ(xq::profile::read_string("s", "k", "dflt", text, sizeof text, name, &found), 4U);
        EXPECT_EQ(text + "/"s + (found ? "found" : "missing"), "dflt/missing");
    }
    const auto old_time = fs::last_write_time(path) - std::chrono::hours(1);
    fs::last_write_time(path, old_time);
    EXPECT_EQ(xq::profile::read_string("s", "k", "d", text, sizeof text, path.c_str()), 1U);
    dir.write("x.ini", "[s]\nk=2\r\n");
    fs::last_write_time(path, old_time);
    EXPECT_EQ(xq::profile::read_string("s", "k", "d", text, sizeof text, path.c_str()), 1U);
    EXPECT_EQ(text, "2"s);
}

// Writes replace the value keeping the line ends; refused writes, missing
// files, entries or directories create or change nothing (a missing file's
// directory is not touched, not even for a moment). Which names and values
// the edit refuses: see replace_value's table.
TEST_F(ProfileFile, WritesChangeOnlyTheValueOrNothing) {
    const std::string none = dir.file("none.ini");
#ifndef _WIN32
    const auto old_time = fs::last_write_time(dir.path()) - std::chrono::hours(1);
    fs::last_write_time(dir.path(), old_time);
    EXPECT_FALSE(xq::profile::write_value_from("s", "k", none.c_str(), value("v")));
    EXPECT_EQ(fs::last_write_time(dir.path()), old_time);
#endif
    const auto throws = [](std::string_view) -> std::optional<std::string> { throw std::runtime_error("no value"); };
    const struct { const char* file; xq::profile::ValueFor value; bool written; } cases[] = {
        {path.c_str(), value("new"), true}, {path.c_str(), value(nullptr), false}, {path.c_str(), throws, false},
        {none.c_str(), value("v"), false}, {dir.file("sub/deeper/file.ini").c_str(), value("v"), false},
        {directory.c_str(), value("v"), false}, {nullptr, value("v"), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(xq::profile::write_value_from("s", "K", c.file, c.value), c.written) << (c.file ? c.file : "null");
        EXPECT_EQ(read_bytes(path), "[s]\nk=new\r\n");
    }
    EXPECT_FALSE(fs::exists(none));
}

#ifndef _WIN32
// A name without a directory part is a file in the current directory.
TEST_F(ProfileFile, BareNameIsInTheCurrentDirectory) {
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    const bool written = xq::profile::write_value_from("s", "k", "x.ini", value("here"));
    xq::profile::read_string("s", "k", "d", text, sizeof text, "x.ini");
    fs::current_path(previous);
    EXPECT_EQ(text + std::to_string(written) + read_bytes(path), "here1[s]\nk=here\r\n");
}
#endif

}  // namespace
