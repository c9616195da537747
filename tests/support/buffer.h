// A caller's buffer with guard bytes on both sides, to prove that nothing is
// written outside the capacity handed to the library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xq::test {

class GuardedBuffer {
public:
    static constexpr std::size_t kGuard = 16;
    static constexpr char kFill = '\x5A';

    explicit GuardedBuffer(std::uint32_t capacity) : bytes_(capacity + 2 * kGuard, kFill), capacity_(capacity) {}

    char* data() { return bytes_.data() + kGuard; }
    std::uint32_t capacity() const { return capacity_; }
    // The text up to the first terminator within the capacity; an
    // unterminated capacity reads as "<unterminated>".
    std::string text() const {
        const std::string all = raw();
        const auto end = all.find('\0');
        return end == std::string::npos ? "<unterminated>" : all.substr(0, end);
    }
    // The capacity's bytes, all of them.
    std::string raw() const { return std::string(bytes_.data() + kGuard, capacity_); }
    bool guards_intact() const {
        const std::string guard(kGuard, kFill);
        return guard == std::string(bytes_.data(), kGuard) && guard == std::string(bytes_.data() + kGuard + capacity_, kGuard);
    }

private:
    std::vector<char> bytes_;
    std::uint32_t capacity_;
};

}  // namespace xq::test
