// The caller-owned records are shared with programs built by other compilers:
// their layout is fixed and checked here for every target at build time.
#include <cstddef>

#include "xq_utils.h"

namespace {

// Status record: three 32-bit fields, then 261 bytes of text, padded to 4.
static_assert(offsetof(StatusRecord, Origin) == 0);
static_assert(offsetof(StatusRecord, ErrorClass) == 4);
static_assert(offsetof(StatusRecord, ErrorCode) == 8);
static_assert(offsetof(StatusRecord, Text) == 12);
static_assert(sizeof(StatusRecord::Text) == 261);
static_assert(sizeof(StatusRecord) == 276);

// Conversion table header: eleven 32-bit fields, then name, unit and the two
// tables, each pointer aligned to its own size.
constexpr bool kPointers32 = sizeof(void*) == 4;
constexpr std::size_t at(std::size_t offset32, std::size_t offset64) { return kPointers32 ? offset32 : offset64; }

static_assert(sizeof(void*) == 4 || sizeof(void*) == 8);
static_assert(offsetof(LcvDataHandle, MinPhyData) == 0);
static_assert(offsetof(LcvDataHandle, MinLogData) == 4);
static_assert(offsetof(LcvDataHandle, MaxPhyData) == 8);
static_assert(offsetof(LcvDataHandle, MaxLogData) == 12);
static_assert(offsetof(LcvDataHandle, ControlFactor) == 16);
static_assert(offsetof(LcvDataHandle, DataFactor) == 20);
static_assert(offsetof(LcvDataHandle, ControlDivider) == 24);
static_assert(offsetof(LcvDataHandle, DataDivider) == 28);
static_assert(offsetof(LcvDataHandle, PhyData) == 32);
static_assert(offsetof(LcvDataHandle, LogData) == 36);
static_assert(offsetof(LcvDataHandle, MaxNameLen) == 40);
static_assert(offsetof(LcvDataHandle, DataName) == at(44, 48));
static_assert(offsetof(LcvDataHandle, MaxUnitLen) == at(48, 56));
static_assert(offsetof(LcvDataHandle, DataUnit) == at(52, 64));
static_assert(offsetof(LcvDataHandle, TableLength) == at(56, 72));
static_assert(offsetof(LcvDataHandle, ControlPos) == at(60, 80));
static_assert(offsetof(LcvDataHandle, DataPos) == at(64, 88));
static_assert(sizeof(LcvDataHandle) == at(68, 96));

}  // namespace
