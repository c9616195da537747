// GetNamedString and GetNamedInt: a value with the value conventions, and the
// value read as a decimal integer.
#include "frame/guard.h"
#include "named/int_scan.h"
#include "named/named_value.h"
#include "xq_utils.h"

using namespace xq::named;

extern "C" {

char* XQ_CALL GetNamedString(const char* section, const char* entry, char* buffer, uint32_t capacity,
                             const char* file) {
    return xq::guarded<char*>(nullptr, [&]() -> char* {
        if (buffer == nullptr || capacity == 0) return nullptr;
        const NamedValue value = read_named_value(section, entry, {buffer, capacity}, file);
        return value.status == ValueStatus::found ? buffer : nullptr;
    });
}

int32_t XQ_CALL GetNamedInt(const char* section, const char* entry, const char* file) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        ValueBuffer200 working{};
        const NamedValue value = read_named_value(section, entry, working, file);
        return value.status == ValueStatus::found ? scan_decimal(value.text) : 0;
    });
}

}  // extern "C"
