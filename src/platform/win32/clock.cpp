// Today's date in Coordinated Universal Time.
#include <windows.h>

#include "platform/platform.h"

namespace xq::os {

Date utc_date() {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    return Date{now.wDay, now.wMonth, now.wYear};
}

}  // namespace xq::os
