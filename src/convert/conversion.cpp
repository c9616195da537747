// The conversion block: LcvInitDataHandle and its kin, conversions through a
// handle, and the table file reads of the Lcv family.

#include "api/guard.h"
#include "api/text_copy.h"
#include "convert/scaling.h"
#include "convert/table.h"
#include "xq_utils.h"

// LcvGetDataHandleSize, LcvInitDataHandle, LcvNewLogDataUnit and
// LcvGetLogDataNames: each reads the table's file once.
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

// The conversions on a filled handle: logical to physical and back, the
// number text of a logical value, and the logical limits.
namespace {

using xq::convert::Cells;

// `v` held to [low, high] as the conversions clamp: below low gives low,
// otherwise above high gives high (so low wins when the limits cross).
int32_t clamp_to(int32_t v, int32_t low, int32_t high) {
    if (v < low) return low;
    return v > high ? high : v;
}

}  // namespace

extern "C" {

int32_t XQ_CALL LcvLogToPhy(int32_t value, LcvDataHandle* handle) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (handle == nullptr) return 0;
        LcvDataHandle& h = *handle;
        h.LogData = clamp_to(value, h.MinLogData, h.MaxLogData);
        const int32_t control =
            xq::convert::interpolate(h.TableLength, Cells(h.DataPos), Cells(h.ControlPos), h.LogData).value_or(0);
        h.PhyData = clamp_to(xq::convert::scale_int(control, h.ControlDivider, h.ControlFactor), h.MinPhyData,
                             h.MaxPhyData);
        return h.PhyData;
    });
}

int32_t XQ_CALL LcvPhyToLog(int32_t value, LcvDataHandle* handle) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (handle == nullptr) return 0;
        LcvDataHandle& h = *handle;
        h.PhyData = value;
        const int32_t control = xq::convert::scale_int(value, h.ControlFactor, h.ControlDivider);
        h.LogData =
            xq::convert::interpolate(h.TableLength, Cells(h.ControlPos), Cells(h.DataPos), control).value_or(0);
        return h.LogData;
    });
}

char* XQ_CALL LcvToAsc(char* buffer, uint32_t bufferSize, int32_t value, int32_t decimals, const char* unit,
                       const LcvDataHandle* handle) {
    return xq::guarded<char*>(nullptr, [&]() -> char* {
        if (handle == nullptr) return nullptr;
        if (unit == nullptr) unit = handle->DataUnit != nullptr ? handle->DataUnit : "";
        return LcvBinToAsc(buffer, bufferSize, handle->DataDivider, handle->DataFactor, value, unit, decimals);
    });
}

int32_t XQ_CALL LcvGetMinLogDataValue(const LcvDataHandle* handle) {
    return handle != nullptr ? handle->MinLogData : 0;
}

int32_t XQ_CALL LcvGetMaxLogDataValue(const LcvDataHandle* handle) {
    return handle != nullptr ? handle->MaxLogData : 0;
}

void XQ_CALL LcvSetMinLogDataValue(int32_t value, LcvDataHandle* handle) {
    if (handle != nullptr) handle->MinLogData = value;
}

void XQ_CALL LcvSetMaxLogDataValue(int32_t value, LcvDataHandle* handle) {
    if (handle != nullptr) handle->MaxLogData = value;
}

}  // extern "C"

// LcvGetNamedInt, LcvGetNamedArrayElement and LcvRplNamedInt: single reads
// and rewrites of a table section's entries.
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
