// Module start-up and the three in-process component entry points. The
// library registers no component classes, so there is nothing to set up at
// load and every class request fails.
#include "xq_utils.h"

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
