// Shared by the fuzz targets: properties, C-string arguments, guarded
// buffers and scratch files. A broken property stops the run as a crash.
// FuzzedDataProvider.h brings <algorithm>, <array>, <cstring>, <string> and
// <vector>; support/file_bytes.h brings <sstream>.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <optional>

#include "support/buffer.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "xq_utils.h"

namespace xq::fuzz {

inline void check(bool ok) {
    if (!ok) __builtin_trap();
}

// The text up to its first NUL, as an export sees a C string.
inline std::string c_text(std::string_view bytes) { return std::string(bytes.substr(0, bytes.find('\0'))); }

// A caller's buffer between guard bytes.
struct Guarded : xq::test::GuardedBuffer {
    using GuardedBuffer::GuardedBuffer;
    // Nothing written outside the capacity; returns what is inside it.
    std::string inside() const { return check(guards_intact()), raw(); }
    void untouched() const { check(inside() == std::string(capacity(), kFill)); }
    // A delivered text: terminated inside the capacity.
    std::string text() const { return check(inside().find('\0') != std::string::npos), c_text(raw()); }
};

// The full name of a file in a scratch directory removed at exit, holding `bytes`.
inline std::string scratch_file(std::string_view name, std::string_view bytes) {
    static const xq::test::TempDirectory dir;
    return dir.write(name, bytes);
}

// How many bytes of `before` lie outside the common start and end it shares with `after`.
inline std::size_t changed(std::string_view before, std::string_view after) {
    const std::size_t most = std::min(before.size(), after.size());
    std::size_t prefix = 0, suffix = 0;
    while (prefix < most && before[prefix] == after[prefix]) ++prefix;
    while (suffix < most - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) ++suffix;
    return before.size() - prefix - suffix;
}

// Runs the part the first byte picks on the rest of the input.
template <std::size_t N>
int run_part(const std::uint8_t* data, std::size_t size, void (*const (&parts)[N])(FuzzedDataProvider&)) {
    if (size == 0) return 0;
    FuzzedDataProvider in(data + 1, size - 1);
    return parts[data[0] % N](in), 0;
}

}  // namespace xq::fuzz
