// Profile files on disk: opening, freshness, creation, locking and failures.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "named/profile.h"
#include "platform/fault.h"
#include "support/buffer.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using xq::test::GuardedBuffer;

// A fresh directory under the system's temporary directory, removed again.
class TempDir {
public:
    TempDir() {
        std::random_device random;
        path_ = fs::temp_directory_path() / ("xq_profile_" + std::to_string(random()) + std::to_string(random()));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(fs::file_size(path)), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

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
    TempDir dir;
};

TEST_F(ProfileFile, MissingFileGivesDefault) {
    const std::string path = dir.file("missing.ini");
    const Answer a = read(path, "s", "k");
    EXPECT_EQ(a.text, "dflt");
    EXPECT_EQ(a.result, 4U);
    EXPECT_FALSE(a.found);

    GuardedBuffer list(10);
    EXPECT_EQ(xq::profile::read_string(nullptr, nullptr, "d", list.data(), 10, path.c_str()), 0U);
    EXPECT_EQ(list.raw().substr(0, 2), "\0"s + GuardedBuffer::kFill);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(ProfileFile, ExistingFileIsRead) {
    const std::string path = dir.file("x.cfg");
    write_file(path, "[s]\r\nk=v\r\n");
    const Answer a = read(path, "s", "k");
    EXPECT_EQ(a.text, "v");
    EXPECT_TRUE(a.found);
    const Answer missing = read(path, "s", "nothing");
    EXPECT_EQ(missing.text, "dflt");
    EXPECT_TRUE(missing.found);
}

TEST_F(ProfileFile, DirectoryReadsAsMissing) {
    EXPECT_EQ(read(dir.path().string(), "s", "k").text, "dflt");
    EXPECT_FALSE(xq::profile::write_string("s", "k", "v", dir.path().string().c_str()));
}

// A rewrite of the same length that restores the old modification time is
// still seen: nothing is cached.
TEST_F(ProfileFile, SameLengthRewriteWithOldTimeIsSeen) {
    const std::string path = dir.file("same.ini");
    write_file(path, "[s]\r\nk=1\r\n");
    const auto old_time = fs::last_write_time(path) - std::chrono::hours(1);
    fs::last_write_time(path, old_time);
    EXPECT_EQ(read(path, "s", "k").text, "1");
    write_file(path, "[s]\r\nk=2\r\n");
    fs::last_write_time(path, old_time);
    EXPECT_EQ(read(path, "s", "k").text, "2");
}

TEST_F(ProfileFile, WritesCreateAndEditTheFile) {
    const std::string path = dir.file("new.ini");
    EXPECT_TRUE(xq::profile::write_string("App1", "key1", "string1", path.c_str()));
    EXPECT_TRUE(xq::profile::write_string("App1", "key2", "string2", path.c_str()));
    EXPECT_TRUE(xq::profile::write_string("App2", "key3", "string3", path.c_str()));
    EXPECT_EQ(file_bytes(path), "[App1]\r\nkey1=string1\r\nkey2=string2\r\n[App2]\r\nkey3=string3\r\n");
    EXPECT_EQ(read(path, "app1", "KEY2").text, "string2");
    EXPECT_TRUE(xq::profile::write_string("App1", nullptr, nullptr, path.c_str()));
    EXPECT_EQ(file_bytes(path), "[App2]\r\nkey3=string3\r\n");
}

TEST_F(ProfileFile, RefusedWritesTouchNothing) {
    const std::string path = dir.file("refused.ini");
    EXPECT_FALSE(xq::profile::write_string(nullptr, "key", "string", path.c_str()));
    EXPECT_FALSE(xq::profile::write_string(nullptr, nullptr, nullptr, path.c_str()));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(xq::profile::write_string("s", "k", "v", nullptr));
}

TEST_F(ProfileFile, MissingDirectoryIsNotCreated) {
    const std::string path = dir.file("sub/deeper/file.ini");
    EXPECT_FALSE(xq::profile::write_string("S", "K", "V", path.c_str()));
    EXPECT_FALSE(fs::exists(dir.path() / "sub"));
}

TEST_F(ProfileFile, DeletingInMissingFileCreatesNothing) {
    const std::string path = dir.file("none.ini");
    EXPECT_TRUE(xq::profile::write_string("S", "K", nullptr, path.c_str()));
    EXPECT_TRUE(xq::profile::write_string("S", nullptr, nullptr, path.c_str()));
    EXPECT_FALSE(fs::exists(path));
}

#ifndef _WIN32
// A name without a directory part is a file in the current directory.
TEST_F(ProfileFile, BareNameResolvesToCurrentDirectory) {
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    const bool written = xq::profile::write_string("s", "k", "here", "bare.ini");
    const Answer a = read("bare.ini", "s", "k");
    fs::current_path(previous);
    EXPECT_TRUE(written);
    EXPECT_EQ(a.text, "here");
    EXPECT_EQ(file_bytes(dir.file("bare.ini")), "[s]\r\nk=here\r\n");
}
#endif

TEST_F(ProfileFile, FailedOpenGivesDefault) {
    const std::string path = dir.file("fault.ini");
    write_file(path, "[s]\r\nk=v\r\n");
    xq::os::fault_arm({xq::os::Op::file_open, 1, true});
    const Answer a = read(path, "s", "k");
    xq::os::fault_disarm();
    EXPECT_EQ(a.text, "dflt");
    EXPECT_FALSE(a.found);
}

// A write that fails at any step reports false and leaves the old file.
TEST_F(ProfileFile, FailedWriteLeavesFileAlone) {
    const std::string path = dir.file("keep.ini");
    const std::string before = "; keep me\r\n[s]\r\nk=1\r\n";
    for (const xq::os::Op op : {xq::os::Op::file_write, xq::os::Op::file_rename, xq::os::Op::file_lock}) {
        SCOPED_TRACE(static_cast<int>(op));
        write_file(path, before);
        xq::os::fault_arm({op, 1, true});
        EXPECT_FALSE(xq::profile::write_string("s", "k", "2", path.c_str()));
        xq::os::fault_disarm();
        EXPECT_EQ(file_bytes(path), before);
    }
}

}  // namespace
