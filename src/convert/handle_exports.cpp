// LcvGetDataHandleSize, LcvInitDataHandle, LcvNewLogDataUnit and
// LcvGetLogDataNames: each reads the table's file once.
#include "convert/handle_fill.h"
#include "convert/section_snapshot.h"
#include "frame/guard.h"
#include "xq_utils.h"

using xq::convert::SectionSnapshot;

extern "C" {

uint32_t XQ_CALL LcvGetDataHandleSize(const char* section, const char* file) {
    return xq::guarded<uint32_t>(0, [&]() -> uint32_t {
        const auto layout = xq::convert::handle_layout(xq::convert::read_sizes(SectionSnapshot(section, file)));
        return layout ? layout->size : 0;
    });
}

int32_t XQ_CALL LcvInitDataHandle(const char* section, const char* file, const char* columnName,
                                  LcvDataHandle* handle) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (handle == nullptr) return 0;
        return xq::convert::fill_handle(SectionSnapshot(section, file), columnName, *handle) ? 1 : 0;
    });
}

int32_t XQ_CALL LcvNewLogDataUnit(const char* section, const char* file, const char* columnName,
                                  LcvDataHandle* handle) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (handle == nullptr) return 0;
        xq::convert::switch_data_column(SectionSnapshot(section, file), columnName, *handle);
        return 1;
    });
}

char* XQ_CALL LcvGetLogDataNames(const char* section, const char* file, char* buffer, uint32_t bufferSize,
                                 int32_t /*unused*/) {
    return GetNamedString(section, "ColumnName", buffer, bufferSize, file);
}

}  // extern "C"
