// LcvGetNamedInt, LcvGetNamedArrayElement and LcvRplNamedInt: single reads
// and rewrites of a table section's entries.
#include "convert/table_reads.h"
#include "frame/guard.h"
#include "xq_utils.h"

using xq::convert::FileEntries;

extern "C" {

int32_t XQ_CALL LcvGetNamedInt(const char* section, const char* entry, const char* file) {
    return xq::guarded<int32_t>(0, [&] {
        xq::convert::LcvValueBuffer working{};
        return xq::convert::read_decimal(FileEntries(section, file), entry, working);
    });
}

int32_t XQ_CALL LcvGetNamedArrayElement(const char* section, const char* entryName, int32_t arrayIndex,
                                        int32_t column, const char* file) {
    return xq::guarded<int32_t>(0, [&] {
        return xq::convert::read_cell(FileEntries(section, file), entryName, arrayIndex, column);
    });
}

int32_t XQ_CALL LcvRplNamedInt(const char* section, const char* entry, int32_t value, const char* file) {
    return RplNamedInt(section, entry, value, file);
}

}  // extern "C"
