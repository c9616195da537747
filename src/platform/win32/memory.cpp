// Memory blocks in movable global memory, locked for the time they are used.
#include <windows.h>

#include "platform/fault.h"
#include "platform/platform.h"

namespace xq::os {

void* memory_alloc(std::size_t size) {
    if (fault_point(Op::alloc)) return nullptr;
    // A zero-byte movable block cannot be locked; give it one byte.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size > 0 ? size : 1);
    if (block == nullptr) return nullptr;
    void* data = GlobalLock(block);
    if (data == nullptr) GlobalFree(block);
    return data;
}

void memory_free(void* data) {
    if (data == nullptr) return;
    HGLOBAL block = GlobalHandle(data);
    if (block == nullptr) return;
    GlobalUnlock(block);
    GlobalFree(block);
}

}  // namespace xq::os
