// Memory blocks from the C heap.
#include <cstdlib>

#include "platform/fault.h"
#include "platform/platform.h"

namespace xq::os {

void* memory_alloc(std::size_t size) {
    if (fault_point(Op::alloc)) return nullptr;
    return std::malloc(size > 0 ? size : 1);
}

void memory_free(void* block) { std::free(block); }

}  // namespace xq::os
