// Our profile reader side by side with the system's GetPrivateProfileStringA
// (Wine's kernel32) on the reference vectors and on generated files. Where
// Wine is known to read unlike Windows, our reader gives the Windows answer
// (the vectors say which); everywhere else the two agree on the result and on
// every byte through its NUL.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <utility>

#include "profile/profile.h"
#include "support/buffer.h"
#include "support/profile_vectors.h"
#include "support/temp_dir.h"

namespace {

using namespace std::string_view_literals;
using xq::test::GuardedBuffer;
constexpr std::uint32_t kMax = xq::test::kProfileMax;

// The result and the capacity's bytes through the result's NUL.
using Outcome = std::pair<std::uint32_t, std::string>;

Outcome read(bool system, const std::string& path, const char* section, const char* entry, const char* fallback,
             std::uint32_t capacity) {
    GuardedBuffer buffer(capacity);
    const std::uint32_t result =
        system ? GetPrivateProfileStringA(section, entry, fallback, buffer.data(), capacity, path.c_str())
               : xq::profile::read_string(section, entry, fallback, buffer.data(), capacity, path.c_str());
    EXPECT_TRUE(buffer.guards_intact());
    return {result, buffer.raw().substr(0, result + 1)};
}

// The vectors' own bytes are checked on every platform; here Wine reads those
// where it is known to read as Windows does.
TEST(ProfileDifferential, WineReadsTheVectorsAlike) {
    xq::test::TempDirectory dir;
    int n = 0;
    for (const auto& v : xq::test::profile_vectors()) {
        if (v.wine != xq::test::Wine::same) continue;
        // A file of its own each: Wine keeps read files by name and write time.
        const std::string path = v.file ? dir.write("v" + std::to_string(n++) + ".ini", *v.file) : dir.file("none.ini");
        const Outcome wine = read(true, path, v.section, v.entry, v.fallback, v.capacity);
        EXPECT_EQ(wine, Outcome(v.result, v.written.substr(0, v.result + 1))) << v.label;
    }
}

constexpr std::array kNames = {"s"sv, "sec"sv, "Alpha"sv, "my key"sv, "Data1"sv, "#h"sv, "x"sv, "Key"sv};
constexpr std::array kValues = {"1"sv, "val"sv, "two words"sv, "a=b"sv, "x;y"sv, "[q]"sv, "C:\\d"sv, ""sv,
                                "\"q v\""sv, "'q'"sv, "\"q'"sv, "a\0b"sv, "end\0 x"sv};
constexpr std::array kBlanks = {""sv, " "sv, "\t"sv, "  \v"sv};
constexpr std::array kBreaks = {"\r\n"sv, "\n"sv, "\r"sv};
constexpr std::array kDefaults = {""sv, "dflt"sv, "d  "sv, "  d "sv, "x"sv, "long default"sv};

// Files of headers, entries, comments, blank and other lines, avoiding the
// constructs the vectors mark as read unlike Windows by Wine.
TEST(ProfileDifferential, WineReadsGeneratedFilesAlike) {
    xq::test::TempDirectory dir;
    std::mt19937_64 random(0x5eed0f11e5ull);  // its raw output is alike on every platform
    const auto below = [&random](std::uint64_t n) { return static_cast<std::uint32_t>(random() % n); };
    const auto pick = [&below](const auto& from) { return std::string(from[below(from.size())]); };
    int failures = 0;
    for (int file_no = 0; file_no < 240 && failures < 20; ++file_no) {
        std::string text;
        const std::uint32_t breaks = below(4);  // one kind of line break, or mixed
        for (std::uint32_t line = 0, lines = 3 + below(14), kind = 0; line < lines; ++line, kind = below(20)) {
            const std::string b = pick(kBlanks);
            if (kind < 4) text += b + "[" + pick(kBlanks) + pick(kNames) + "]" + (below(10) == 0 ? " junk" : "");
            else if (kind < 13) text += b + pick(kNames) + pick(kBlanks) + "=" + b + pick(kValues) + pick(kBlanks);
            else text += kind < 15 ? b + ";note" : kind < 17 ? b : "plain text";
            if (line + 1 < lines || below(10) < 7) text += kBreaks[breaks < 3 ? breaks : below(3)];
        }
        if (below(20) == 0 && text.find('\0') == std::string::npos) text = xq::test::utf16_bytes(text);
        const bool quoted = text.find_first_of("\"'") != std::string::npos;
        const std::string path = dir.write("g" + std::to_string(file_no) + ".ini", text);
        for (int query_no = 0; query_no < 6; ++query_no) {
            const std::uint32_t s = below(10), e = below(10);
            std::string section = s == 1 ? "nosuch" : s == 2 ? " x  " : pick(kNames);
            std::string entry = e == 2 ? ";k" : e == 3 ? " Key " : e == 4 ? "missing" : pick(kNames);
            for (char& c : below(2) ? section : entry)  // letter case flipped in one name
                c = static_cast<char>(c ^ (std::isalpha(static_cast<unsigned char>(c)) ? 0x20 : 0));
            const char *sp = s == 0 ? nullptr : section.c_str(), *ep = e < 2 ? nullptr : entry.c_str();
            const std::string_view fallback = kDefaults[below(kDefaults.size())];
            const char* fp = fallback.empty() && s % 2 == 1 ? nullptr : fallback.data();
            for (const std::uint32_t capacity : {0U, 1U, 2U, 3U, 5U, 16U, kMax}) {
                const Outcome mine = read(false, path, sp, ep, fp, capacity), wine = read(true, path, sp, ep, fp, capacity);
                // Wine cuts a quoted value before it unquotes it, gives the
                // default as a value (trailing spaces kept) for an empty or
                // missing entry list, and cuts lists shorter.
                const bool entry_list = sp != nullptr && ep == nullptr;
                const std::string dflt = capacity == 0 ? "" : std::string(fallback.substr(0, capacity - 1)) + '\0';
                if (mine != wine && ((quoted && ep != nullptr && capacity < kMax) || (entry_list && capacity == 2) ||
                                     (entry_list && wine.second == dflt) ||
                                     (sp == nullptr && capacity >= 2 && wine.first == capacity - 2)))
                    continue;
                EXPECT_EQ(mine, wine) << testing::PrintToString(text) << " section " << (sp ? section : "NULL") << " entry "
                                      << (ep ? entry : "NULL") << " default " << (fp ? fp : "NULL") << " capacity " << capacity;
                failures += mine == wine ? 0 : 1;
            }
        }
    }
}

}  // namespace
