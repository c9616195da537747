// The file services of the platform seam, alike on every platform: whole
// reads, in-place writes, copies and the locked rewrite, each failure leaving
// the files as they were and nothing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "platform/fault.h"
#include "platform/platform.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace xq::os {
namespace {

using test::read_bytes;
using Names = std::set<std::string>;

// An edit that appends `text` to whatever is there.
FileEdit append(std::string text) {
    return [text](std::string_view current, bool) { return std::optional<std::string>(std::string(current) + text); };
}

class FileSeam : public ::testing::Test {
protected:
    void TearDown() override { fault_disarm(); }
    static void fail(Op op) { fault_arm({op, 1, false}); }
    test::TempDirectory dir;
};

TEST_F(FileSeam, ReadsEveryByteAndTellsMissingFromFailed) {
    std::string large(3 * 1024 * 1024 + 7, 'x');  // more than one read
    for (std::size_t i = 0; i < large.size(); i += 997) large[i] = static_cast<char>(i % 251);
    std::filesystem::create_directory(dir.file("sub"));
    const std::string path = dir.file("sub\\f.ini");  // a backslash separates directories
    // Below, at and above the size of the buffer each thread keeps, in an
    // order that hands kept buffers from larger files to smaller ones.
    const std::string kept(kKeptBufferLimit - 1, 'k');
    for (const std::string& bytes : {std::string("a\0b\r\nc\x1a\xff", 8), std::string(), large, kept,
                                     std::string("short"), large, std::string("x")}) {
        dir.write("sub/f.ini", bytes);
        std::string out = "stale";
        EXPECT_EQ(file_read(path.c_str(), out), ReadStatus::ok);
        EXPECT_EQ(out, bytes);
        FileBytes whole;
        EXPECT_EQ(file_read(path.c_str(), whole), ReadStatus::ok);
        EXPECT_EQ(whole.view(), bytes);
        EXPECT_TRUE(file_exists(path.c_str()));
    }
    for (const std::string& missing : {dir.file("none.ini"), dir.file("no\\dir.ini"), dir.file("sub")}) {
        std::string out;
        EXPECT_FALSE(file_exists(missing.c_str())) << missing;
        EXPECT_EQ(file_read(missing.c_str(), out), ReadStatus::not_found) << missing;
    }
    std::string out;
    fail(Op::file_open);
    EXPECT_EQ(file_read(path.c_str(), out), ReadStatus::not_found);
    fail(Op::file_open);
    EXPECT_FALSE(file_exists(path.c_str()));
    fail(Op::file_read);
    EXPECT_EQ(file_read(path.c_str(), out), ReadStatus::failed);
}

TEST_F(FileSeam, CopyIsAllOrNothing) {
    const std::string from = dir.write("from", "payload");
    const std::string to = dir.file("to");
    EXPECT_TRUE(file_copy(from.c_str(), to.c_str(), true));
    EXPECT_EQ(read_bytes(to), "payload");
    dir.write("to", "old");
    EXPECT_FALSE(file_copy(from.c_str(), to.c_str(), true)) << "target exists";
    for (const Op op : {Op::file_copy, Op::file_write}) {
        fail(op);
        EXPECT_FALSE(file_copy(from.c_str(), dir.file("new").c_str(), true));
        fail(op);
        EXPECT_FALSE(file_copy(from.c_str(), to.c_str(), false));
    }
    fail(Op::file_rename);
    EXPECT_FALSE(file_copy(from.c_str(), to.c_str(), false)) << "a replacing copy whose rename fails";
    EXPECT_FALSE(file_copy(dir.file("missing").c_str(), dir.file("new").c_str(), false));
    // A rename that fails for real: a directory stands at the target.
    std::filesystem::create_directory(dir.file("sub"));
    EXPECT_FALSE(file_copy(from.c_str(), dir.file("sub").c_str(), false));
    EXPECT_EQ(read_bytes(to), "old");
    EXPECT_EQ(dir.names(), (Names{"from", "sub", "to"})) << "no partial target, no temporary file";
    EXPECT_TRUE(file_copy(from.c_str(), to.c_str(), false));
    EXPECT_EQ(read_bytes(to), "payload");
}

TEST_F(FileSeam, RewriteCreatesOnlyWhenAskedAndOnlyWithContent) {
    const std::string path = dir.file("new.ini");
    bool called = false;
    const FileEdit watch = [&](std::string_view current, bool exists) -> std::optional<std::string> {
        called = true;
        EXPECT_TRUE(current.empty() && !exists);
        return std::nullopt;
    };
    EXPECT_FALSE(file_rewrite(path.c_str(), false, watch));
    EXPECT_FALSE(called) << "missing and not to be created";
    EXPECT_TRUE(file_rewrite(path.c_str(), true, watch));
    EXPECT_TRUE(called);
    EXPECT_TRUE(dir.names().empty()) << "a write that writes nothing creates nothing";
    EXPECT_TRUE(file_rewrite(path.c_str(), true, append("[s]\r\n")));
    EXPECT_EQ(read_bytes(path), "[s]\r\n");

    EXPECT_TRUE(file_rewrite(path.c_str(), false, [](std::string_view current, bool exists) {
        EXPECT_TRUE(exists);
        EXPECT_EQ(current, "[s]\r\n");
        return std::optional<std::string>(std::string("x\0y", 3));
    }));
    EXPECT_EQ(read_bytes(path), std::string("x\0y", 3));
    EXPECT_TRUE(file_rewrite(path.c_str(), false, [](std::string_view current, bool) {
        EXPECT_EQ(current, std::string_view("x\0y", 3));
        return std::optional<std::string>();
    }));
    EXPECT_EQ(read_bytes(path), std::string("x\0y", 3)) << "no new contents: the file stays";
    EXPECT_EQ(dir.names(), Names{"new.ini"});
}

TEST_F(FileSeam, FailedRewriteChangesNothing) {
    const std::string path = dir.file("p.ini");
    for (const Op op : {Op::file_open, Op::file_lock, Op::file_read, Op::file_write, Op::file_rename}) {
        SCOPED_TRACE(static_cast<int>(op));
        dir.write("p.ini", "old\r\n");
        fail(op);
        EXPECT_FALSE(file_rewrite(path.c_str(), true, append("new")));
        EXPECT_EQ(read_bytes(path), "old\r\n");
        EXPECT_EQ(dir.names(), Names{"p.ini"}) << "no temporary file left";
        std::filesystem::remove(path);
#ifdef _WIN32
        if (op == Op::file_read) continue;  // a missing file is created without reading it
#endif
        fail(op);
        EXPECT_FALSE(file_rewrite(path.c_str(), true, append("new")));
        EXPECT_TRUE(dir.names().empty()) << "not created by a failed rewrite";
    }
    fault_disarm();
    const auto throwing = [](std::string_view, bool) -> std::optional<std::string> {
        throw std::runtime_error("edit failed");
    };
    EXPECT_FALSE(file_rewrite(path.c_str(), true, throwing));
    dir.write("p.ini", "old");
    EXPECT_FALSE(file_rewrite(path.c_str(), true, throwing));
    EXPECT_EQ(read_bytes(path), "old");
    EXPECT_FALSE(file_rewrite(dir.file("no\\such.ini").c_str(), true, append("x")));
    EXPECT_EQ(dir.names(), Names{"p.ini"});
}

}  // namespace
}  // namespace xq::os
