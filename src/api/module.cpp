// The library as a module: its start-up, the three in-process component
// entry points, and the layouts of the records it shares with callers.
#include <cstddef>

#include "xq_utils.h"

// Module start-up and the component entry points. The library registers no
// component classes, so there is nothing to set up at load and every class
// request fails.
#ifdef _WIN32
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

STDAPI DllCanUnloadNow(void) { return S_OK; }

STDAPI DllGetClassObject(REFCLSID, REFIID, LPVOID* object) {
    if (object != nullptr) *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllRegisterServer(void) { return S_OK; }

#else

namespace {
constexpr HRESULT kClassNotAvailable = static_cast<HRESULT>(0x80040111u);
}

extern "C" {

HRESULT XQ_CALL DllCanUnloadNow(void) { return 0; }

HRESULT XQ_CALL DllGetClassObject(const GUID*, const GUID*, void** object) {
    if (object != nullptr) *object = nullptr;
    return kClassNotAvailable;
}

HRESULT XQ_CALL DllRegisterServer(void) { return 0; }

}  // extern "C"
#endif

// The caller-owned records are shared with programs built by other compilers:
// their layout is fixed and checked here for every target at build time.
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
