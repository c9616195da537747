// The plain-file seam on the real file system: whole reads, in-place writes,
// copies, where bare profile names go, and the fault points.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/fault.h"
#include "platform/platform.h"
#include "win32/scratch_dir.h"

namespace xq::os {
namespace {

using test::read_file;
using test::ScratchDir;

class FileSeam : public ::testing::Test {
protected:
    void TearDown() override { fault_disarm(); }
    ScratchDir dir;
};

TEST_F(FileSeam, ReadsEveryByteOfSmallEmptyAndLargeFiles) {
    std::string large(200'000, 'x');
    for (std::size_t i = 0; i < large.size(); i += 997) large[i] = static_cast<char>(i % 251);
    const std::string samples[] = {std::string("a\0b\r\nc\x1a\xff", 8), "", large};
    for (const std::string& bytes : samples) {
        const std::string path = dir.write("f.ini", bytes);
        std::string out = "stale";
        EXPECT_EQ(file_read(path.c_str(), out), ReadStatus::ok);
        EXPECT_EQ(out, bytes);
        EXPECT_TRUE(file_exists(path.c_str()));
    }
}

TEST_F(FileSeam, MissingFilesAndDirectoriesAreNotFound) {
    std::string out;
    for (const std::string& path : {dir.file("none.ini"), dir.file("no\\dir.ini"), dir.path()}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(file_exists(path.c_str()));
        EXPECT_EQ(file_read(path.c_str(), out), ReadStatus::not_found);
    }
}

TEST_F(FileSeam, ReadFaultsTellOpeningFromReading) {
    const std::string path = dir.write("f.ini", "abc");
    std::string out;
    fault_arm({.kind = Op::file_open, .fail_at = 1});
    EXPECT_EQ(file_read(path.c_str(), out), ReadStatus::not_found);
    fault_arm({.kind = Op::file_open, .fail_at = 1});
    EXPECT_FALSE(file_exists(path.c_str()));
    fault_arm({.kind = Op::file_read, .fail_at = 1});
    EXPECT_EQ(file_read(path.c_str(), out), ReadStatus::failed);
}

TEST_F(FileSeam, WriteAtOverwritesInPlaceWithoutTruncating) {
    const std::string path = dir.write("f.ini", "[s]\r\nk=old\r\nj=1\r\n");
    EXPECT_TRUE(file_write_at(path.c_str(), 7, "new"));
    EXPECT_EQ(read_file(path), "[s]\r\nk=new\r\nj=1\r\n");
    EXPECT_TRUE(file_write_at(path.c_str(), 0, ""));
    EXPECT_EQ(read_file(path), "[s]\r\nk=new\r\nj=1\r\n");

    EXPECT_FALSE(file_write_at(dir.file("missing.ini").c_str(), 0, "x"));
    EXPECT_EQ(read_file(dir.file("missing.ini")), "<missing>");
    for (const Op op : {Op::file_open, Op::file_write}) {
        fault_arm({.kind = op, .fail_at = 1});
        EXPECT_FALSE(file_write_at(path.c_str(), 7, "bad"));
        EXPECT_EQ(read_file(path), "[s]\r\nk=new\r\nj=1\r\n");
    }
}

TEST_F(FileSeam, CopyHonoursFailIfExists) {
    const std::string from = dir.write("a.ini", "one");
    const std::string to = dir.write("b.ini", "two");
    EXPECT_FALSE(file_copy(from.c_str(), to.c_str(), true));
    EXPECT_EQ(read_file(to), "two");
    EXPECT_TRUE(file_copy(from.c_str(), to.c_str(), false));
    EXPECT_EQ(read_file(to), "one");
    EXPECT_FALSE(file_copy(dir.file("none").c_str(), to.c_str(), false));
    for (const Op op : {Op::file_copy, Op::file_write}) {
        fault_arm({.kind = op, .fail_at = 1});
        EXPECT_FALSE(file_copy(from.c_str(), dir.file("c.ini").c_str(), false));
        EXPECT_EQ(read_file(dir.file("c.ini")), "<missing>");
    }
}

TEST_F(FileSeam, BareProfileNamesLiveInTheWindowsDirectory) {
    char windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    EXPECT_EQ(profile_file_path("qel.ini"), std::string(windows) + "\\qel.ini");
    for (const char* kept : {".\\qel.ini", "sub\\qel.ini", "C:\\dir\\qel.ini", "sub/qel.ini", "/abs/qel.ini"}) {
        EXPECT_EQ(profile_file_path(kept), kept);
    }
}

}  // namespace
}  // namespace xq::os
