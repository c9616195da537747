// The Linux file services: reads, in-place writes, copies and the locked
// rewrite, including failures at every step and concurrent writers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "platform/platform.h"
#include "posix/processes.h"
#include "posix/temp_dir.h"

namespace {

using xq::os::Op;
using xq::test::mode_of;
using xq::test::read_file;
using xq::test::write_file;
using Names = std::set<std::string>;

class PosixFiles : public ::testing::Test {
protected:
    void TearDown() override { xq::os::fault_disarm(); }

    static void fail(Op op) { xq::os::fault_arm({op, 1, false}); }

    static xq::os::FileEdit replace_with(std::string text) {
        return [text](std::string_view, bool) { return std::optional<std::string>(text); };
    }

    xq::test::TempDir dir;
};

TEST_F(PosixFiles, ReadAndExists) {
    using S = xq::os::ReadStatus;
    write_file(dir.file("a.ini"), std::string("x\0y\r\n", 5));
    std::filesystem::create_directory(dir.file("sub"));
    const std::string big(3 * 1024 * 1024 + 7, 'b');  // more than one read
    write_file(dir.file("sub/big"), big);
    const std::vector<std::tuple<std::string, S, std::string>> cases = {
        {dir.file("a.ini"), S::ok, std::string("x\0y\r\n", 5)},
        {dir.file("sub\\big"), S::ok, big},  // a backslash separates directories
        {dir.file("missing"), S::not_found, ""},
        {dir.file("sub"), S::not_found, ""},
    };
    for (const auto& [path, status, contents] : cases) {
        std::string out = "stale";
        EXPECT_EQ(xq::os::file_read(path.c_str(), out), status) << path;
        EXPECT_EQ(out == contents, status == S::ok) << path;
        EXPECT_EQ(xq::os::file_exists(path.c_str()), status == S::ok) << path;
    }
    std::string out;
    fail(Op::file_open);
    EXPECT_EQ(xq::os::file_read(dir.file("a.ini").c_str(), out), S::not_found);
    fail(Op::file_read);
    EXPECT_EQ(xq::os::file_read(dir.file("a.ini").c_str(), out), S::failed);
}

TEST_F(PosixFiles, WriteAtOverwritesInPlace) {
    const std::string path = dir.file("f");
    write_file(path, "0123456789");
    EXPECT_TRUE(xq::os::file_write_at(path.c_str(), 3, "abc"));
    EXPECT_TRUE(xq::os::file_write_at(path.c_str(), 8, "XYZ"));
    EXPECT_EQ(read_file(path), "012abc67XYZ");
    for (const Op op : {Op::file_open, Op::file_write}) {
        fail(op);
        EXPECT_FALSE(xq::os::file_write_at(path.c_str(), 0, "!!"));
    }
    EXPECT_FALSE(xq::os::file_write_at(dir.file("missing").c_str(), 0, "x"));
    EXPECT_EQ(read_file(path), "012abc67XYZ");
    EXPECT_EQ(dir.names(), Names{"f"}) << "nothing created";
}

TEST_F(PosixFiles, CopyIsAllOrNothing) {
    const std::string from = dir.file("from");
    write_file(from, "payload");
    ::chmod(from.c_str(), 0640);
    EXPECT_TRUE(xq::os::file_copy(from.c_str(), dir.file("to").c_str(), true));
    EXPECT_EQ(read_file(dir.file("to")), "payload");
    EXPECT_EQ(mode_of(dir.file("to")), 0640u);

    write_file(dir.file("to"), "old");
    EXPECT_FALSE(xq::os::file_copy(from.c_str(), dir.file("to").c_str(), true)) << "target exists";
    EXPECT_EQ(read_file(dir.file("to")), "old");
    for (const Op op : {Op::file_copy, Op::file_write}) {
        fail(op);
        EXPECT_FALSE(xq::os::file_copy(from.c_str(), dir.file("new").c_str(), true));
        fail(op);
        EXPECT_FALSE(xq::os::file_copy(from.c_str(), dir.file("to").c_str(), false));
    }
    EXPECT_FALSE(xq::os::file_copy(dir.file("missing").c_str(), dir.file("new").c_str(), false));
    EXPECT_EQ(read_file(dir.file("to")), "old");
    EXPECT_EQ(dir.names(), (Names{"from", "to"})) << "no partial target, no temporary file";
    EXPECT_TRUE(xq::os::file_copy(from.c_str(), dir.file("to").c_str(), false));
    EXPECT_EQ(read_file(dir.file("to")), "payload");
}

TEST_F(PosixFiles, RewriteReplacesAndKeepsPermissions) {
    const std::string path = dir.file("p.ini");
    write_file(path, "old");
    ::chmod(path.c_str(), 0604);
    EXPECT_TRUE(xq::os::file_rewrite(path.c_str(), false, [](std::string_view current, bool exists) {
        return std::optional<std::string>(std::string(current) + (exists ? "+new" : "?"));
    }));
    EXPECT_EQ(read_file(path), "old+new");
    EXPECT_EQ(mode_of(path), 0604u);
    EXPECT_TRUE(xq::os::file_rewrite(path.c_str(), false, [](std::string_view, bool) { return std::nullopt; }));
    EXPECT_EQ(read_file(path), "old+new");
    std::filesystem::create_directory(dir.file("x"));
    EXPECT_TRUE(xq::os::file_rewrite(dir.file("x\\..\\p.ini").c_str(), false, replace_with("backslash")));
    EXPECT_EQ(read_file(path), "backslash");
    std::filesystem::create_symlink(path, dir.file("link"));
    EXPECT_TRUE(xq::os::file_rewrite(dir.file("link").c_str(), false, replace_with("via link")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link"))) << "the link stays a link";
    EXPECT_EQ(read_file(path), "via link");
    EXPECT_EQ(dir.names(), (Names{"p.ini", "x", "link"}));
}

TEST_F(PosixFiles, RewriteOfMissingFile) {
    const std::string path = dir.file("new.ini");
    bool called = false;
    const auto record = [&](std::string_view current, bool exists) -> std::optional<std::string> {
        called = true;
        EXPECT_TRUE(current.empty() && !exists);
        return std::nullopt;
    };
    EXPECT_FALSE(xq::os::file_rewrite(path.c_str(), false, record));
    EXPECT_FALSE(called) << "missing and not to be created";
    EXPECT_TRUE(xq::os::file_rewrite(path.c_str(), true, record));
    EXPECT_TRUE(called);
    EXPECT_TRUE(dir.names().empty()) << "a write that writes nothing creates nothing";
    EXPECT_TRUE(xq::os::file_rewrite(path.c_str(), true, replace_with("made")));
    EXPECT_EQ(read_file(path), "made");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(mode_of(path), 0666u & ~mask) << "a new file gets the usual permissions";
    EXPECT_EQ(dir.names(), Names{"new.ini"});
}

TEST_F(PosixFiles, FailedRewriteChangesNothing) {
    const std::string path = dir.file("p.ini");
    for (const Op op : {Op::file_open, Op::file_lock, Op::file_read, Op::file_write, Op::file_rename}) {
        write_file(path, "old\r\n");
        ::chmod(path.c_str(), 0640);
        fail(op);
        EXPECT_FALSE(xq::os::file_rewrite(path.c_str(), true, replace_with("new"))) << static_cast<int>(op);
        EXPECT_EQ(read_file(path), "old\r\n");
        EXPECT_EQ(mode_of(path), 0640u);
        EXPECT_EQ(dir.names(), Names{"p.ini"}) << "no temporary file left";
        std::filesystem::remove(path);
        fail(op);
        EXPECT_FALSE(xq::os::file_rewrite(path.c_str(), true, replace_with("new"))) << static_cast<int>(op);
        EXPECT_TRUE(dir.names().empty()) << "not created by a failed rewrite";
    }
    xq::os::fault_disarm();
    const auto throwing = [](std::string_view, bool) -> std::optional<std::string> {
        throw std::runtime_error("edit failed");
    };
    EXPECT_FALSE(xq::os::file_rewrite(path.c_str(), true, throwing));
    EXPECT_TRUE(dir.names().empty());
}

// Processes that all add to one counter, starting from a missing file: with
// the lock held across read, edit and replace, no increment is lost.
TEST_F(PosixFiles, ConcurrentRewritersLoseNoUpdate) {
    constexpr int kProcesses = 4;
    constexpr int kRounds = 60;
    const std::string path = dir.file("counter");
    const auto increment = [](std::string_view current, bool) {
        return std::optional<std::string>(std::to_string(current.empty() ? 1 : std::stoi(std::string(current)) + 1));
    };
    EXPECT_TRUE(xq::test::in_processes(kProcesses, [&](int) {
        bool ok = true;
        for (int i = 0; i < kRounds; ++i) ok = xq::os::file_rewrite(path.c_str(), true, increment) && ok;
        return ok;
    }));
    EXPECT_EQ(read_file(path), std::to_string(kProcesses * kRounds));
    EXPECT_EQ(dir.names(), Names{"counter"});
}

TEST(PosixServices, PathsTextsMemoryClock) {
    EXPECT_EQ(xq::os::profile_file_path("vorta.ini"), "vorta.ini");
    EXPECT_EQ(xq::os::profile_file_path("C:\\Scope\\a.ini"), "C:\\Scope\\a.ini");
    EXPECT_EQ(xq::os::wide_to_narrow(u"gr\u00FC\u00DF \U0001D11E"), "gr\xC3\xBC\xC3\x9F \xF0\x9D\x84\x9E");
    EXPECT_EQ(xq::os::wide_to_narrow(std::u16string(1, char16_t{0xDC00})), "?");
    EXPECT_EQ(xq::os::narrow_to_wide("\xC3\xBC\xF0\x9D\x84\x9E"), u"\u00FC\U0001D11E");
    EXPECT_EQ(xq::os::narrow_to_wide("a\xFF" "b\xC0\xAF" "c\xED\xA0\x80"), u"a?b??c???") << "invalid bytes";

    xq::os::scratch_free(xq::os::scratch_alloc(0));
    xq::os::fault_arm({Op::alloc, 1, false});
    EXPECT_EQ(xq::os::scratch_alloc(16), nullptr);
    xq::os::fault_disarm();

    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::gmtime_r(&now, &parts);
    const xq::os::Date date = xq::os::utc_date();
    EXPECT_EQ(date.year, parts.tm_year + 1900);
    EXPECT_EQ(date.month, parts.tm_mon + 1);
}

}  // namespace
