// Tables of 32-bit cells at any byte address. The tables of a conversion
// handle start at an even offset of the block, which need not be a multiple
// of 4, so a cell is never reached through an int32_t pointer: it is read
// and written bytewise (compilers turn this into plain loads and stores).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace xq::convert {

// A read-only view of cells starting at `base`.
class Cells {
public:
    explicit Cells(const std::int32_t* base) : base_(static_cast<const char*>(static_cast<const void*>(base))) {}
    explicit Cells(const char* base) : base_(base) {}

    // Cell number k (from 0).
    std::int32_t operator[](std::size_t k) const {
        std::int32_t v;
        std::memcpy(&v, base_ + k * sizeof v, sizeof v);
        return v;
    }

private:
    const char* base_;
};

// Stores `value` as cell number k (from 0) of the table at `base`.
inline void store_cell(char* base, std::size_t k, std::int32_t value) {
    std::memcpy(base + k * sizeof value, &value, sizeof value);
}

}  // namespace xq::convert
