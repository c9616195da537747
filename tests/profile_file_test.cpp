// Profile files on disk: opening, freshness, rewriting, locking and failures.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "profile/profile.h"
#include "platform/fault.h"
#include "support/buffer.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using xq::test::GuardedBuffer;
using xq::test::read_bytes;

struct Answer {
    std::string text;
    std::uint32_t result;
    bool found;
};

Answer read(const std::string& path, const char* section, const char* entry, const char* fallback = "dflt") {
    GuardedBuffer buffer(64);
    bool found = false;
    const std::uint32_t n =
        xq::profile::read_string(section, entry, fallback, buffer.data(), buffer.capacity(), path.c_str(), &found);
    EXPECT_TRUE(buffer.guards_intact());
    return {buffer.text(), n, found};
}

class ProfileFile : public ::testing::Test {
protected:
    void TearDown() override { xq::os::fault_disarm(); }
    xq::test::TempDirectory dir;
};

// Whether the file was there decides `found`; an entry missing from an
// existing file still counts as found.
TEST_F(ProfileFile, MissingFileDirectoryOrFailedOpenGivesDefault) {
    const std::string path = dir.write("x.cfg", "[s]\r\nk=v\r\n");
    const std::string missing = dir.file("missing.ini");
    const struct {
        std::string path;
        const char* entry;
        bool fail_open;
        const char* text;
        bool found;
    } cases[] = {
        {path, "k", false, "v", true},          {path, "nothing", false, "dflt", true},
        {path, "k", true, "dflt", false},       {missing, "k", false, "dflt", false},
        {dir.path().string(), "k", false, "dflt", false},
    };
    for (const auto& c : cases) {
        if (c.fail_open) xq::os::fault_arm({xq::os::Op::file_open, 1, true});
        const Answer a = read(c.path, "s", c.entry);
        xq::os::fault_disarm();
        EXPECT_EQ(a.text, c.text) << c.path << " " << c.entry;
        EXPECT_EQ(a.result, std::string(c.text).size());
        EXPECT_EQ(a.found, c.found) << c.path << " " << c.entry;
    }
    GuardedBuffer list(10);
    EXPECT_EQ(xq::profile::read_string(nullptr, nullptr, "d", list.data(), 10, missing.c_str()), 0U);
    EXPECT_EQ(list.raw().substr(0, 2), "\0"s + GuardedBuffer::kFill);
    EXPECT_FALSE(fs::exists(missing));
}

// A rewrite of the same length that restores the old modification time is
// still seen: nothing is cached.
TEST_F(ProfileFile, SameLengthRewriteWithOldTimeIsSeen) {
    const std::string path = dir.file("same.ini");
    dir.write("same.ini", "[s]\r\nk=1\r\n");
    const auto old_time = fs::last_write_time(path) - std::chrono::hours(1);
    fs::last_write_time(path, old_time);
    EXPECT_EQ(read(path, "s", "k").text, "1");
    dir.write("same.ini", "[s]\r\nk=2\r\n");
    fs::last_write_time(path, old_time);
    EXPECT_EQ(read(path, "s", "k").text, "2");
}

xq::profile::ValueFor value(const char* text) {
    return [text](std::string_view) { return std::optional<std::string>(text); };
}

TEST_F(ProfileFile, WriteReplacesValueKeepingLineEnds) {
    const std::string path = dir.write("lf.ini", "[App1]\nkey1=string1\nkey2=string2\n");
    EXPECT_TRUE(xq::profile::write_value_from("app1", "KEY2", path.c_str(), value("new")));
    EXPECT_EQ(read_bytes(path), "[App1]\nkey1=string1\nkey2=new\n");
    EXPECT_TRUE(xq::profile::write_value_from("App1", "key2", path.c_str(), value("new")));
    EXPECT_EQ(read(path, "App1", "key2").text, "new");
}

// Refused writes, missing files, entries or directories: nothing is created
// or changed.
TEST_F(ProfileFile, WritesThatChangeNothing) {
    const std::string path = dir.file("none.ini");
    const std::string kept = dir.write("kept.ini", "[s]\r\nk=1\r\n");
    const auto declined = [](std::string_view) { return std::optional<std::string>(); };
    EXPECT_FALSE(xq::profile::write_value_from(nullptr, "key", path.c_str(), value("v")));
    EXPECT_FALSE(xq::profile::write_value_from("s", nullptr, path.c_str(), value("v")));
    EXPECT_FALSE(xq::profile::write_value_from("s", "k", nullptr, value("v")));
    EXPECT_FALSE(xq::profile::write_value_from("s", "k", path.c_str(), value("v")));
    EXPECT_FALSE(xq::profile::write_value_from("S", "K", dir.file("sub/deeper/file.ini").c_str(), value("v")));
    EXPECT_FALSE(xq::profile::write_value_from("s", "k", dir.path().string().c_str(), value("v")));
    EXPECT_FALSE(xq::profile::write_value_from("s", "n", kept.c_str(), value("v")));
    EXPECT_FALSE(xq::profile::write_value_from("t", "k", kept.c_str(), value("v")));
    EXPECT_FALSE(xq::profile::write_value_from("s", "k", kept.c_str(), declined));
    EXPECT_EQ(read_bytes(kept), "[s]\r\nk=1\r\n");
    EXPECT_FALSE(fs::exists(path));
}

#ifndef _WIN32
// A name without a directory part is a file in the current directory.
TEST_F(ProfileFile, BareNameResolvesToCurrentDirectory) {
    dir.write("bare.ini", "[s]\r\nk=there\r\n");
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    const bool written = xq::profile::write_value_from("s", "k", "bare.ini", value("here"));
    const Answer a = read("bare.ini", "s", "k");
    fs::current_path(previous);
    EXPECT_TRUE(written);
    EXPECT_EQ(a.text, "here");
    EXPECT_EQ(read_bytes(dir.file("bare.ini")), "[s]\r\nk=here\r\n");
}
#endif

}  // namespace
