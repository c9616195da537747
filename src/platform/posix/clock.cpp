// Today's date in Coordinated Universal Time.
#include <ctime>

#include "platform/platform.h"

namespace xq::os {

Date utc_date() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    if (now == static_cast<std::time_t>(-1) || ::gmtime_r(&now, &parts) == nullptr) return Date{1, 1, 1970};
    return Date{static_cast<std::uint16_t>(parts.tm_mday), static_cast<std::uint16_t>(parts.tm_mon + 1),
                static_cast<std::uint16_t>(parts.tm_year + 1900)};
}

}  // namespace xq::os
