// Where the Windows seam puts profile file names (the file rules shared with
// Linux are in file_seam_test.cpp).
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/platform.h"

namespace xq::os {
namespace {

TEST(ProfilePaths, BareNamesLiveInTheWindowsDirectory) {
    char windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    EXPECT_EQ(profile_file_path("qel.ini"), std::string(windows) + "\\qel.ini");
    for (const char* kept : {".\\qel.ini", "sub\\qel.ini", "C:\\dir\\qel.ini", "sub/qel.ini", "/abs/qel.ini"}) {
        EXPECT_EQ(profile_file_path(kept), kept);
    }
}

}  // namespace
}  // namespace xq::os
