// GetNamedStringPos, RplNamedString and RplNamedInt: finding an entry's line
// and rewriting its value in place. The rewrite scans and writes under one
// open and one lock of the file (in_place.h).
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "frame/guard.h"
#include "named/in_place.h"
#include "named/line_scanner.h"
#include "platform/platform.h"
#include "xq_utils.h"

extern "C" {

uint32_t XQ_CALL GetNamedStringPos(const char* section, const char* entry, const char* file) {
    return xq::guarded<uint32_t>(0, [&]() -> uint32_t {
        if (section == nullptr || entry == nullptr || file == nullptr) return 0;
        xq::os::FileBytes contents;
        if (xq::os::file_read(file, contents) != xq::os::ReadStatus::ok) return 0;
        const std::optional<std::size_t> line = xq::named::find_entry_line(contents.view(), section, entry);
        // A line beyond the 32-bit range cannot be told; it counts as not found.
        if (!line || *line > std::numeric_limits<uint32_t>::max()) return 0;
        return static_cast<uint32_t>(*line);
    });
}

int32_t XQ_CALL RplNamedString(const char* section, const char* entry, const char* value, const char* file) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (section == nullptr || entry == nullptr || value == nullptr || file == nullptr) return 0;
        return xq::named::rewrite_in_place(section, entry, file, [&](std::string_view) { return std::string(value); }) ? 1 : 0;
    });
}

int32_t XQ_CALL RplNamedInt(const char* section, const char* entry, int32_t number, const char* file) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (section == nullptr || entry == nullptr || file == nullptr) return 0;
        const std::string value = std::to_string(number);
        return xq::named::rewrite_in_place(section, entry, file, [&](std::string_view) { return value; }) ? 1 : 0;
    });
}

}  // extern "C"
