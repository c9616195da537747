// Registry keys below HKEY_LOCAL_MACHINE through the system's registry API.
#include <windows.h>

#include <limits>
#include <new>
#include <string>

#include "platform/fault.h"
#include "platform/platform.h"

namespace xq::os {

struct RegKey {
    HKEY handle;
};

namespace {

// The system's access mask for the seam's rights.
REGSAM access_mask(std::uint32_t rights) {
    REGSAM sam = 0;
    if ((rights & kKeyQueryValue) != 0) sam |= KEY_QUERY_VALUE;
    if ((rights & kKeySetValue) != 0) sam |= KEY_SET_VALUE;
    return sam;
}

// The part of a DWORD-sized buffer that `out` can offer.
DWORD capped_size(std::size_t size) {
    constexpr std::size_t kMax = std::numeric_limits<DWORD>::max();
    return static_cast<DWORD>(size < kMax ? size : kMax);
}

}  // namespace

RegKey* reg_open(RegKey* parent, const char* subkey, std::uint32_t rights) {
    if (fault_point(Op::reg_open)) return nullptr;
    if ((rights & kKeySetValue) != 0 && fault_point(Op::reg_open_set)) return nullptr;
    if (subkey == nullptr) return nullptr;
    HKEY base = parent != nullptr ? parent->handle : HKEY_LOCAL_MACHINE;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(base, subkey, 0, access_mask(rights), &opened) != ERROR_SUCCESS) return nullptr;
    auto* key = new (std::nothrow) RegKey{opened};
    if (key == nullptr) RegCloseKey(opened);
    return key;
}

bool reg_query_string(RegKey* key, const char* name, std::span<char> out) {
    if (fault_point(Op::reg_query)) return false;
    if (key == nullptr || out.empty()) return false;
    DWORD size = capped_size(out.size());
    auto* bytes = reinterpret_cast<BYTE*>(out.data());
    if (RegQueryValueExA(key->handle, name, nullptr, nullptr, bytes, &size) != ERROR_SUCCESS) return false;
    // A string stored with its terminator is complete as it stands; one
    // stored without gets a terminator when there is room for it.
    if (size > 0 && out[size - 1] == '\0') return true;
    if (size >= out.size()) return false;
    out[size] = '\0';
    return true;
}

bool reg_set_string(RegKey* key, const char* name, std::string_view text) {
    if (fault_point(Op::reg_set)) return false;
    if (key == nullptr || text.size() >= std::numeric_limits<DWORD>::max()) return false;
    try {
        const std::string stored(text);  // the API needs the terminator in the buffer
        const auto* bytes = reinterpret_cast<const BYTE*>(stored.c_str());
        const auto size = static_cast<DWORD>(stored.size() + 1);
        return RegSetValueExA(key->handle, name, 0, REG_SZ, bytes, size) == ERROR_SUCCESS;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void reg_close(RegKey* key) {
    if (key == nullptr) return;
    RegCloseKey(key->handle);
    delete key;
}

}  // namespace xq::os
