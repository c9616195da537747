// Message modules on Windows: DLLs with string tables, loaded by file name
// along the system's search order. A module already loaded in the process
// (xq_utils.dll itself, when called through it) is the one found. Modules are
// mapped as data only: loading a language module never runs code from it.
#include <windows.h>

#include <algorithm>
#include <climits>

#include "platform/fault.h"
#include "platform/platform.h"

namespace xq::os {
namespace {

constexpr unsigned kMaxStringId = 0xFFFF;

HMODULE handle_of(Module* module) { return reinterpret_cast<HMODULE>(module); }

}  // namespace

Module* module_load(const char* name) {
    if (fault_point(Op::module_load)) return nullptr;
    if (name == nullptr) return nullptr;
    return reinterpret_cast<Module*>(LoadLibraryExA(name, nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

std::size_t module_string(Module* module, unsigned id, std::span<char> out) {
    const bool fail = fault_point(Op::module_string);
    // A capacity of 0 would ask LoadStringA for the resource's address instead.
    if (out.empty()) return 0;
    out[0] = '\0';
    // LoadStringA reads only the low 16 bits of the number; larger ones have no string.
    if (fail || id > kMaxStringId) return 0;
    const int capacity = static_cast<int>(std::min<std::size_t>(out.size(), INT_MAX));
    const int length = LoadStringA(handle_of(module), id, out.data(), capacity);
    return length > 0 ? static_cast<std::size_t>(length) : 0;
}

void module_free(Module* module) {
    if (module != nullptr) FreeLibrary(handle_of(module));
}

}  // namespace xq::os
