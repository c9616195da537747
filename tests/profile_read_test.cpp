// Reading profile text: values, defaults, name lists, cuts and encodings.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <string_view>

#include "profile/profile.h"
#include "platform/platform.h"
#include "support/buffer.h"
#include "support/profile_vectors.h"
#include "support/temp_dir.h"

namespace {

using namespace std::string_literals;
using xq::test::GuardedBuffer;
using xq::test::ProfileVector;

constexpr std::uint32_t kMax = xq::test::kProfileMax;

// Every shared vector, read from its bytes and from a file holding them.
TEST(ProfileRead, SharedVectors) {
    xq::test::TempDirectory dir;
    for (const ProfileVector& v : xq::test::profile_vectors()) {
        SCOPED_TRACE(v.label);
        if (v.file) {
            GuardedBuffer buffer(v.capacity);
            expect_vector(v, xq::profile::get_string(*v.file, v.section, v.entry, v.fallback, buffer.data(),
                                                     v.capacity), buffer);
        }
        const std::string path = v.file ? dir.write("v.ini", *v.file) : dir.file("missing.ini");
        GuardedBuffer buffer(v.capacity);
        expect_vector(v, xq::profile::read_string(v.section, v.entry, v.fallback, buffer.data(), v.capacity,
                                                  path.c_str()), buffer);
    }
}

TEST(ProfileRead, NullBufferReceivesNothing) {
    const std::string file = "[s]\r\nk=v\r\n";
    EXPECT_EQ(xq::profile::get_string(file, "s", "k", "d", nullptr, 10), 0U);
    EXPECT_EQ(xq::profile::get_string(file, "s", nullptr, "d", nullptr, 10), 0U);
    EXPECT_EQ(xq::profile::get_string(file, nullptr, nullptr, "d", nullptr, 10), 0U);
}

TEST(ProfileRead, Utf16Files) {
    using xq::test::utf16_bytes;
    const std::string file = utf16_bytes(u"[s]\r\nk=wide\r\nName=Gr\u00fc\u00dfe\r\n[T]\r\n");
    const std::string narrow_value = xq::os::wide_to_narrow(u"Gr\u00fc\u00dfe");
    const auto n = static_cast<std::uint32_t>(narrow_value.size());
    const ProfileVector cases[] = {
        {"non-ASCII value", file, "S", "name", "d", kMax, narrow_value + '\0', n},
        {"cut counts narrow bytes", file, "s", "name", "d", 4, narrow_value.substr(0, 3) + '\0', 3},
        {"entry list", file, "s", nullptr, "d", kMax, "k\0Name\0\0"s, 7},
        {"section list", file, nullptr, nullptr, "d", kMax, "s\0T\0\0"s, 4},
        {"missing entry", file, "s", "x", "d", kMax, "d\0"s, 1},
        {"mark only", "\xFF\xFE", "s", "k", "d", kMax, "d\0"s, 1},
        {"odd last byte", utf16_bytes(u"[s]\r\nk=v\r\n") + 'x', "s", "k", "d", kMax, "v\0"s, 1},
    };
    for (const ProfileVector& v : cases) {
        SCOPED_TRACE(v.label);
        GuardedBuffer buffer(v.capacity);
        expect_vector(v, xq::profile::get_string(*v.file, v.section, v.entry, v.fallback, buffer.data(),
                                                 v.capacity), buffer);
    }
}

TEST(ProfileRead, LongValuesAndLines) {
    const std::string big(100000, 'x');
    const std::string file = "[s]\r\nk=" + big + "\r\n[" + std::string(70000, 'n') + "]\r\nj=1\r\n";
    std::string buffer(big.size() + 10, '\0');
    EXPECT_EQ(xq::profile::get_string(file, "s", "k", "d", buffer.data(), static_cast<std::uint32_t>(buffer.size())),
              big.size());
    EXPECT_EQ(buffer.substr(0, big.size() + 1), big + '\0');
    const std::string long_name(70000, 'N');
    EXPECT_EQ(xq::profile::get_string(file, long_name.c_str(), "j", "d", buffer.data(), 10), 1U);
    EXPECT_EQ(buffer.substr(0, 2), "1\0"s);
}

// "[" characters inside lines open no section: neither inside values nor
// after other text on the line; blanks alone before "[" still open one.
TEST(ProfileRead, BracketsInsideLinesOpenNoSection) {
    const std::string file = "[a]\r\nk=[x] [y] \t[z]\r\nx[s]\r\nk=wrong\r\n \t [s]\r\nk=found\r\n";
    const struct {
        const char *section, *value;
    } cases[] = {{"s", "found"}, {"a", "[x] [y] \t[z]"}, {"x", "d"}, {"y", "d"}, {"z", "d"}};
    for (const auto& c : cases) {
        GuardedBuffer buffer(kMax);
        xq::profile::get_string(file, c.section, "k", "d", buffer.data(), kMax);
        EXPECT_EQ(buffer.text(), c.value) << c.section;
    }
}

// A line of many "[" costs time in proportion to its length: eight times the
// brackets take well under 24 times as long (a search that rescans the line
// at every "[" takes 64 times as long). Best of five runs, against noise.
TEST(ProfileRead, SearchTimeGrowsLinearlyWithBrackets) {
    const auto seconds = [](int brackets) {
        std::string file = "[a]\r\nk=";
        for (int i = 0; i < brackets; ++i) file += "[x] ";
        file += "\r\n[s]\r\nk=found\r\n";
        double best = 1e9;
        for (int run = 0; run < 5; ++run) {
            char value[8];
            const auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(xq::profile::get_string(file, "s", "k", "d", value, sizeof value), 5U);
            best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        return best;
    };
    const double small = seconds(4000);
    const double large = seconds(32000);
    EXPECT_LT(large, 24 * small) << small << " s for 4000 brackets, " << large << " s for 32000";
}

}  // namespace
