// GetNamedStringPos, RplNamedString and RplNamedInt: finding an entry's line
// and rewriting its value in place. The rewrite scans and writes under one
// open and one lock of the file (os::file_update), so no other writer of
// this library can move the line in between; no temporary file, no copy.
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "frame/guard.h"
#include "named/line_scanner.h"
#include "named/value_rewrite.h"
#include "platform/platform.h"
#include "xq_utils.h"

namespace {

// Writes `value` into the entry's value field; true when written.
bool rewrite_in_place(const char* section, const char* entry, std::string_view value, const char* file) {
    const auto status = xq::os::file_update(file, [&](std::string_view contents) -> std::optional<xq::os::Patch> {
        std::optional<xq::named::FieldWrite> write = xq::named::rewrite_entry_value(contents, section, entry, value);
        if (!write) return std::nullopt;
        return xq::os::Patch{write->offset, std::move(write->bytes)};
    });
    return status == xq::os::UpdateStatus::written;
}

}  // namespace

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
        return rewrite_in_place(section, entry, value, file) ? 1 : 0;
    });
}

int32_t XQ_CALL RplNamedInt(const char* section, const char* entry, int32_t number, const char* file) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (section == nullptr || entry == nullptr || file == nullptr) return 0;
        return rewrite_in_place(section, entry, std::to_string(number), file) ? 1 : 0;
    });
}

}  // extern "C"
