// The small services of the seam on POSIX: the date, memory blocks and the
// 8-bit character set (UTF-8).

#include <cstdlib>
#include <ctime>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/regfile/regfile.h"

// Today's date in Coordinated Universal Time.
namespace xq::os {

Date utc_date() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    if (now == static_cast<std::time_t>(-1) || ::gmtime_r(&now, &parts) == nullptr) return Date{1, 1, 1970};
    return Date{static_cast<std::uint16_t>(parts.tm_mday), static_cast<std::uint16_t>(parts.tm_mon + 1),
                static_cast<std::uint16_t>(parts.tm_year + 1900)};
}

// Memory blocks from the C heap.

void* memory_alloc(std::size_t size) {
    if (fault_point(Op::alloc)) return nullptr;
    return std::malloc(size > 0 ? size : 1);
}

void memory_free(void* block) { std::free(block); }

// On Linux the 8-bit character set is UTF-8.

std::string wide_to_narrow(std::u16string_view text) { return regfile::utf16_to_utf8(text); }

std::u16string narrow_to_wide(std::string_view text) { return regfile::utf8_to_utf16(text); }

}  // namespace xq::os
