// The Linux file services beyond the shared rules: permissions, links,
// concurrent writers, paths, texts and memory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/fault.h"
#include "platform/platform.h"
#include "posix/processes.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace {

using xq::os::Op;
using xq::test::read_bytes;
using xq::test::write_bytes;
using Names = std::set<std::string>;

unsigned mode_of(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777U : 0U;
}

class PosixFiles : public ::testing::Test {
protected:
    void TearDown() override { xq::os::fault_disarm(); }

    static xq::os::FileEdit replace_with(std::string text) {
        return [text](std::string_view, bool) { return std::optional<std::string>(text); };
    }

    xq::test::TempDirectory dir;
};

// Permissions and links; the rules shared with Windows are in
// file_seam_test.cpp.
TEST_F(PosixFiles, CopiesAndRewritesKeepPermissionsAndLinks) {
    const std::string path = dir.file("p.ini");
    write_bytes(path, "old");
    ::chmod(path.c_str(), 0604);
    EXPECT_TRUE(xq::os::file_copy(path.c_str(), dir.file("copy").c_str(), true));
    EXPECT_EQ(mode_of(dir.file("copy")), 0604u);
    EXPECT_TRUE(xq::os::file_rewrite(path.c_str(), false, replace_with("new")));
    EXPECT_EQ(mode_of(path), 0604u);
    std::filesystem::create_directory(dir.file("x"));
    EXPECT_TRUE(xq::os::file_rewrite(dir.file("x\\..\\p.ini").c_str(), false, replace_with("backslash")));
    EXPECT_EQ(read_bytes(path), "backslash");
    std::filesystem::create_symlink(path, dir.file("link"));
    EXPECT_TRUE(xq::os::file_rewrite(dir.file("link").c_str(), false, replace_with("via link")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link"))) << "the link stays a link";
    EXPECT_EQ(read_bytes(path), "via link");
    EXPECT_EQ(dir.names(), (Names{"p.ini", "copy", "x", "link"}));

    EXPECT_TRUE(xq::os::file_rewrite(dir.file("new.ini").c_str(), true, replace_with("made")));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(mode_of(dir.file("new.ini")), 0666u & ~mask) << "a new file gets the usual permissions";
    xq::os::fault_arm({Op::file_rename, 1, false});
    EXPECT_FALSE(xq::os::file_rewrite(path.c_str(), true, replace_with("lost")));
    EXPECT_EQ(mode_of(path), 0604u);
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
    EXPECT_EQ(read_bytes(path), std::to_string(kProcesses * kRounds));
    EXPECT_EQ(dir.names(), Names{"counter"});
}

// (The clock is checked through GetDate in date_test.cpp.)
TEST(PosixServices, PathsTextsAndMemory) {
    EXPECT_EQ(xq::os::profile_file_path("vorta.ini"), "vorta.ini");
    EXPECT_EQ(xq::os::profile_file_path("C:\\Scope\\a.ini"), "C:\\Scope\\a.ini");
    EXPECT_EQ(xq::os::wide_to_narrow(u"gr\u00FC\u00DF \U0001D11E"), "gr\xC3\xBC\xC3\x9F \xF0\x9D\x84\x9E");
    EXPECT_EQ(xq::os::wide_to_narrow(std::u16string(1, char16_t{0xDC00})), "?");
    EXPECT_EQ(xq::os::narrow_to_wide("\xC3\xBC\xF0\x9D\x84\x9E"), u"\u00FC\U0001D11E");
    EXPECT_EQ(xq::os::narrow_to_wide("a\xFF" "b\xC0\xAF" "c\xED\xA0\x80"), u"a?b??c???") << "invalid bytes";

    void* const empty = xq::os::memory_alloc(0);
    EXPECT_NE(empty, nullptr) << "a block of 0 bytes is still a block";
    xq::os::memory_free(empty);
    xq::os::fault_arm({Op::alloc, 1, false});
    EXPECT_EQ(xq::os::memory_alloc(16), nullptr);
    xq::os::fault_disarm();
}

}  // namespace
