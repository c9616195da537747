// GetDate: today's date in Coordinated Universal Time.
#include "frame/guard.h"
#include "platform/platform.h"
#include "xq_utils.h"

// A null address is skipped rather than written through.
extern "C" void XQ_CALL GetDate(uint16_t* day, uint16_t* month, uint16_t* year) {
    xq::guarded_void([&] {
        const xq::os::Date today = xq::os::utc_date();
        if (day != nullptr) *day = today.day;
        if (month != nullptr) *month = today.month;
        if (year != nullptr) *year = today.year;
    });
}
