// The profile reader and writer: reads of the shared vectors, in-place edits
// byte for byte, and files on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/fault.h"
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
using xq::test::ProfileVector;
using xq::test::read_bytes;
using xq::test::utf16_bytes;

// Every vector, read from its bytes and from a file holding them; UTF-16
// rows with non-ASCII text, whose narrow form depends on the platform.
TEST(Profile, ReadsGiveExactBytesAndResults) {
    xq::test::TempDirectory dir;
    const std::string wide = utf16_bytes(u"[s]\r\nName=Gr\u00fc\u00dfe\u20ac");  // last unit's high byte counts
    const std::string narrow = xq::os::wide_to_narrow(u"Gr\u00fc\u00dfe\u20ac");
    const auto n = static_cast<std::uint32_t>(narrow.size());
    std::vector<ProfileVector> vectors = xq::test::profile_vectors();
    vectors.push_back({"non-ASCII value", wide, "S", "name", "d", xq::test::kProfileMax, narrow + '\0', n});
    vectors.push_back({"cut counts narrow bytes", wide, "s", "name", "d", 4, narrow.substr(0, 3) + '\0', 3});
    // Long values and names read whole.
    const std::string big(100000, 'x'), name(70000, 'n');
    const std::string long_file = "[s]\r\nk=" + big + "\r\n[" + name + "]\r\nj=1\r\n";
    vectors.push_back({"long value", long_file, "s", "k", "d", 100001, big + '\0', 100000});
    vectors.push_back({"long section name", long_file, name.c_str(), "j", "d", 3, "1\0"s, 1});
    for (const ProfileVector& v : vectors) {
        SCOPED_TRACE(v.label);
        // The result, the bytes written, the byte after them untouched and nothing outside the capacity.
        const auto expect = [&v](std::uint32_t result, const GuardedBuffer& buffer) {
            EXPECT_EQ(result, v.result);
            const std::string expected = (v.written + GuardedBuffer::kFill).substr(0, v.capacity);
            EXPECT_EQ(buffer.raw().substr(0, expected.size()), expected);
            EXPECT_TRUE(buffer.guards_intact());
        };
        GuardedBuffer from_bytes(v.capacity), from_file(v.capacity);
        if (v.file)
            expect(xq::profile::get_string(*v.file, v.section, v.entry, v.fallback, from_bytes.data(), v.capacity),
                   from_bytes);
        const std::string path = v.file ? dir.write("v.ini", *v.file) : dir.file("missing.ini");
        bool found = !v.file;
        expect(xq::profile::read_string(v.section, v.entry, v.fallback, from_file.data(), v.capacity, path.c_str(),
                                        &found), from_file);
        EXPECT_EQ(found, v.file.has_value());
        EXPECT_EQ(xq::profile::get_string(v.file.value_or(""), v.section, v.entry, v.fallback, nullptr, 10), 0U);
        // An ASCII file reads the same as UTF-16, through the 16-bit scanner.
        const auto ascii = [](std::string_view t) { return std::all_of(t.begin(), t.end(), [](char c) { return c > 0; }); };
        if (!v.file || v.file->starts_with("\xFF\xFE") || !ascii(*v.file) || v.capacity > 1000) continue;
        GuardedBuffer from_wide(v.capacity);
        expect(xq::profile::get_string(utf16_bytes(*v.file), v.section, v.entry, v.fallback, from_wide.data(), v.capacity),
               from_wide);
    }
}

// Eight times the "[" on one line take well under 24 times as long (a search
// that rescans the line at every "[" takes 64 times as long); best of twenty.
TEST(Profile, SearchTimeGrowsLinearlyWithBrackets) {
    const auto seconds = [](std::size_t brackets) {
        const std::string file = "[a]\r\nk=" + std::string(brackets, '[') + "\r\n[s]\r\nk=found\r\n";
        auto best = std::chrono::steady_clock::duration::max();
        for (int run = 0; run < 20; ++run) {
            char value[8];
            const auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(xq::profile::get_string(file, "s", "k", "d", value, sizeof value), 5U);
            best = std::min(best, std::chrono::steady_clock::now() - start);
        }
        return std::chrono::duration<double>(best).count();
    };
    const double small = seconds(32000), large = seconds(256000);
    EXPECT_LT(large, 24 * small) << small << " s for 32000 brackets, " << large << " s for 256000";
}

// A text ends where its view ends, whatever follows it in memory: "[s" at the
// end names section s ("[s x" would not), blanks are not read on, and nothing
// is written past the encoded text.
TEST(Profile, TextEndsWhereItsViewEnds) {
    const std::string memory = "[a]\nk=1\n[s x";
    char names[8];
    // Its entries are listed (none); a section not found gives the default.
    EXPECT_EQ(xq::profile::get_string(std::string_view(memory).substr(0, 10), "s", nullptr, "dflt", names, 8), 0U);
    // A value of blanks at the end is empty, though a blank follows in memory.
    const std::string blanks = "[s]\nk=  \t";
    EXPECT_EQ(xq::profile::get_string(std::string_view(blanks).substr(0, 8), "s", "k", "d", names, 8), 0U);
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
    const struct { std::string before; const char *section, *entry, *value; std::optional<std::string> after; }
        cases[] = {
        {"[Sec]\r\nKey=v", "SEC", "KEY", "v2", "[Sec]\r\nKey=v2"},
        {"[s]\r\nk=1\r\n", " s ", " k ", " v ", "[s]\r\nk= v \r\n"},
        {"[s]\r\nk=x\r\n", "s", "k", "", "[s]\r\nk=\r\n"},
        {"[s]\r\n  K = \"old\"  \r\n;c\r\n", "s", "k", "'n v'", "[s]\r\n  K='n v'\r\n;c\r\n"},
        {"; t\r\n\r\n[s]\r\nk=1\r\n\r\n[t]\r\nx = y\r\n", "s", "k", "2", "; t\r\n\r\n[s]\r\nk=2\r\n\r\n[t]\r\nx = y\r\n"},
        {"[s]\nk=1\nj=2\n", "s", "k", "5", "[s]\nk=5\nj=2\n"},
        {"[s]\rk=1\rj=2\r", "s", "j", "5", "[s]\rk=1\rj=5\r"},
        // A CR before another character or a second LF is a line break of its own.
        {"[s]\r\r\nk=1\n\nj=2\r\r\n", "s", "k", "5", "[s]\r\r\nk=5\n\nj=2\r\r\n"},
        {"[s]\r\nk=1\r\nk=2\r\n", "s", "k", "3", "[s]\r\nk=3\r\nk=2\r\n"},
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
    void TearDown() override { xq::os::fault_disarm(); }
    xq::test::TempDirectory dir;
};

xq::profile::ValueFor value(const char* text) {
    return [text](std::string_view) { return text ? std::optional<std::string>(text) : std::nullopt; };
}

// A failed open, a directory and no name read as a missing file; a
// same-length rewrite with the old modification time is still seen (nothing
// is cached).
TEST_F(ProfileFile, ReadsTheFileAsItIsNow) {
    const std::string path = dir.write("x.ini", "[s]\r\nk=1\r\n"), directory = dir.path().string();
    const auto old_time = fs::last_write_time(path) - std::chrono::hours(1);
    char text[8];
    for (const char* file : {path.c_str(), directory.c_str(), static_cast<const char*>(nullptr)}) {
        bool found = true;
        xq::os::fault_arm({xq::os::Op::file_open, file == path.c_str() ? 1 : 0, true});
        EXPECT_EQ(xq::profile::read_string("s", "k", "dflt", text, sizeof text, file, &found), 4U);
        EXPECT_EQ(text + "/"s + (found ? "found" : "missing"), "dflt/missing");
        xq::os::fault_disarm();
    }
    fs::last_write_time(path, old_time);
    EXPECT_EQ(xq::profile::read_string("s", "k", "d", text, sizeof text, path.c_str()), 1U);
    dir.write("x.ini", "[s]\r\nk=2\r\n");
    fs::last_write_time(path, old_time);
    EXPECT_EQ(xq::profile::read_string("s", "k", "d", text, sizeof text, path.c_str()), 1U);
    EXPECT_EQ(text, "2"s);
}

// Writes replace the value keeping the line ends; refused writes, missing
// files, entries or directories create or change nothing (a missing file's
// directory is not touched, not even for a moment).
TEST_F(ProfileFile, WritesChangeOnlyTheValueOrNothing) {
    const std::string none = dir.file("none.ini");
#ifndef _WIN32
    const auto old_time = fs::last_write_time(dir.path()) - std::chrono::hours(1);
    fs::last_write_time(dir.path(), old_time);
    EXPECT_FALSE(xq::profile::write_value_from("s", "k", none.c_str(), value("v")));
    EXPECT_EQ(fs::last_write_time(dir.path()), old_time);
#endif
    const std::string path = dir.write("lf.ini", "[App1]\nkey1=string1\nkey2=string2\n");
    // Which names and values the edit refuses: see replace_value's table.
    const struct { std::string file; const char* value; bool written; } cases[] = {
        {path, "new", true}, {path, nullptr, false}, {none, "v", false}, {dir.file("sub/deeper/file.ini"), "v", false},
        {dir.path().string(), "v", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(xq::profile::write_value_from("app1", "KEY2", c.file.c_str(), value(c.value)), c.written) << c.file;
        EXPECT_EQ(read_bytes(path), "[App1]\nkey1=string1\nkey2=new\n");
    }
    EXPECT_FALSE(xq::profile::write_value_from("App1", "key1", nullptr, value("v")));
    const auto throws = [](std::string_view) -> std::optional<std::string> { throw std::runtime_error("no value"); };
    EXPECT_FALSE(xq::profile::write_value_from("App1", "key1", path.c_str(), throws));
    EXPECT_EQ(read_bytes(path), "[App1]\nkey1=string1\nkey2=new\n");
    EXPECT_FALSE(fs::exists(none));
}

#ifndef _WIN32
// A name without a directory part is a file in the current directory.
TEST_F(ProfileFile, BareNameIsInTheCurrentDirectory) {
    dir.write("bare.ini", "[s]\r\nk=there\r\n");
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    const bool written = xq::profile::write_value_from("s", "k", "bare.ini", value("here"));
    char text[8];
    xq::profile::read_string("s", "k", "d", text, sizeof text, "bare.ini");
    fs::current_path(previous);
    EXPECT_TRUE(written);
    EXPECT_EQ(text, "here"s);
    EXPECT_EQ(read_bytes(dir.file("bare.ini")), "[s]\r\nk=here\r\n");
}
#endif

}  // namespace
