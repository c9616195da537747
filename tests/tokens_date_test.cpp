// Token streams (splitting, delimiter changes, the end state) and GetDate.
// Failing allocations: see the fault sweep.
#include <gtest/gtest.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "xq_utils.h"

namespace {

// Tokens are split at runs of the current delimiters; a non-null set passed
// to GetStrTokEx replaces it from then on, an empty set gives the whole rest,
// and the end is final. Each step: the set passed (nullptr keeps the current
// one), then the token expected ("<end>": null).
TEST(TokenStream, SplitsAtRunsOfTheCurrentDelimiters) {
    using Steps = std::vector<std::pair<const char*, std::string>>;
    const struct { std::string text; const char* delimiters; Steps steps; } cases[] = {
        {",,a,b,,c,,", ",", {{nullptr, "a"}, {nullptr, "b"}, {nullptr, "c"}, {nullptr, "<end>"}, {";", "<end>"}}},
        {"", ",", {{nullptr, "<end>"}, {"", "<end>"}}}, {";;,;", ",;", {{nullptr, "<end>"}, {"x", "<end>"}}},
        {"a, b", "", {{nullptr, "a, b"}, {nullptr, "<end>"}}},
        {"a b;c;d", " ", {{nullptr, "a"}, {";", "b"}, {nullptr, "c"}, {nullptr, "d"}}},
        {"a\xB7" "b", "\xB7", {{nullptr, "a"}, {nullptr, "b"}, {nullptr, "<end>"}}},
        {"a,b,c", ",", {{nullptr, "a"}, {"", "b,c"}, {",", "<end>"}, {"", "<end>"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TokenStream* stream = CreateStrTokEx(c.text.c_str(), c.delimiters);
        ASSERT_NE(stream, nullptr);
        std::vector<std::pair<const char*, std::string>> tokens;  // each token kept until the stream is closed
        for (const auto& [delimiters, expected] : c.steps) {
            const char* token = GetStrTokEx(stream, delimiters);
            tokens.emplace_back(token, token ? token : "<end>");
            EXPECT_EQ(tokens.back().second, expected);
        }
        for (const auto& [token, text] : tokens) EXPECT_EQ(token ? token : "<end>", text) << "changed before closing";
        EXPECT_EQ(CloseStrTokEx(stream), 1);
    }
    EXPECT_TRUE(!CreateStrTokEx(nullptr, ",") && !CreateStrTokEx("a", nullptr) && !GetStrTokEx(nullptr, ",") &&
                CloseStrTokEx(nullptr) == 0);
#ifdef __GLIBC__
    // Closing gives back all a stream took: a thousand streams leave the heap as they found it (a leak
    // of the text's copy would hold 200 KiB).
    const std::string text(200, 'x');
    CloseStrTokEx(CreateStrTokEx(text.c_str(), ","));  // the heap's first-use blocks settle first
    const std::size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 1000; ++i) CloseStrTokEx(CreateStrTokEx(text.c_str(), ","));
    EXPECT_LE(mallinfo2().uordblks, before + 4096);
#endif
}

// The library's date lies between two readings of the UTC clock (the day
// may turn in between). Far east of UTC the local date runs ahead from 10:00
// UTC, far west it lags until 12:00 UTC: at every hour one of the two zones
// differs from the UTC date, so a local date cannot pass. TZ is left set:
// under ctest each test runs in its own process, and nothing else reads TZ.
TEST(GetDate, GivesTodayInUtcInAnyTimeZone) {
    using namespace std::chrono;
    for (const char* zone : {"XQT-14", "XQT+12"}) {
#ifndef _WIN32  // the Windows build reads the system's UTC clock, not TZ
        ::setenv("TZ", zone, 1);
        ::tzset();
#endif
        const auto today = [] { return year_month_day{floor<days>(system_clock::now())}; };
        const year_month_day before = today();
        uint16_t d = 0, m = 0, y = 0;
        GetDate(&d, &m, &y);
        GetDate(nullptr, nullptr, nullptr);
        const year_month_day got{year{y}, month{m}, day{d}};
        EXPECT_TRUE(got == before || got == today()) << d << "." << m << "." << y << " in " << zone;
    }
}

}  // namespace
