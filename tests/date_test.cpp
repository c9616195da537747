// GetDate: today's date in UTC.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

#include "xq_utils.h"

namespace {

// The library's date lies between two readings of the UTC clock (the day
// may turn in between); null addresses are skipped.
void expect_utc_date() {
    using namespace std::chrono;
    const auto today = [] { return year_month_day{floor<days>(system_clock::now())}; };
    const year_month_day before = today();
    uint16_t d = 0, m = 0, y = 0;
    GetDate(&d, &m, &y);
    GetDate(nullptr, nullptr, nullptr);
    const year_month_day got{year{y}, month{m}, day{d}};
    EXPECT_TRUE(got == before || got == today()) << d << "." << m << "." << y;
}

TEST(GetDate, GivesTodayInUtc) { expect_utc_date(); }

#ifndef _WIN32
// Far east of UTC the local date runs ahead from 10:00 UTC, far west it lags
// until 12:00 UTC: at every hour one of the two differs from the UTC date.
TEST(GetDate, IgnoresTheLocalTimeZone) {
    const char* old = std::getenv("TZ");
    const std::string saved = old != nullptr ? old : "";
    for (const char* zone : {"XQT-14", "XQT+12"}) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        SCOPED_TRACE(zone);
        expect_utc_date();
    }
    old != nullptr ? ::setenv("TZ", saved.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
}
#endif

}  // namespace
