// The configuration lookups over arbitrary root and configuration file
// contents: every text handed over stays inside its capacity, is terminated
// and zero-filled; results are among the documented ones; a lookup that
// answers 0 leaves the buffer alone; joined texts are never longer than root,
// backslash and a value of 258 characters, and the server-interface lookups
// hand over at most 259 characters.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "config/lookups.h"
#include "config/sources.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

constexpr char kFill = '\x5A';
constexpr std::size_t kGuard = 16;

// A caller's buffer with guard bytes on both sides.
class Buffer {
public:
    explicit Buffer(std::uint32_t capacity) : bytes_(capacity + 2 * kGuard, kFill), capacity_(capacity) {}
    char* data() { return bytes_.data() + kGuard; }

    // Nothing outside the capacity was written; returns the text, checking
    // that it is terminated and followed by zeros to the end.
    std::string_view delivered() const {
        check_guards();
        const char* out = bytes_.data() + kGuard;
        const void* end = std::memchr(out, 0, capacity_);
        check(end != nullptr);
        const auto n = static_cast<std::size_t>(static_cast<const char*>(end) - out);
        for (std::size_t i = n; i < capacity_; ++i) check(out[i] == '\0');
        return {out, n};
    }
    // Nothing was written at all.
    void untouched() const {
        check_guards();
        for (std::size_t i = 0; i < capacity_; ++i) check(bytes_[kGuard + i] == kFill);
    }

private:
    void check_guards() const {
        for (std::size_t i = 0; i < kGuard; ++i) check(bytes_[i] == kFill && bytes_[kGuard + capacity_ + i] == kFill);
    }
    std::vector<char> bytes_;
    std::uint32_t capacity_;
};

// A name argument: a C string, so nothing after a NUL.
std::string name_from(FuzzedDataProvider& in, std::size_t max) {
    std::string text = in.ConsumeRandomLengthString(max);
    return text.substr(0, text.find('\0'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace xq::config;
    FuzzedDataProvider in(data, size);
    const auto capacity = in.ConsumeIntegralInRange<std::uint32_t>(1, 600);
    const auto index = in.ConsumeIntegral<std::int32_t>();
    const std::string root = name_from(in, 300);
    const std::string component = name_from(in, 64);
    const std::string layer = name_from(in, 64);
    const std::string logical = in.ConsumeRandomLengthString(8192);
    const std::string physical = in.ConsumeRemainingBytesAsString();
    Sources sources(root, logical, physical);
    const char* c = component.c_str();
    const std::size_t longest = root.size() + 1 + 258;  // root, backslash and a value

    const auto stand_like = [&](auto lookup) {
        Buffer b(capacity);
        const std::int32_t result = lookup(sources, b.data(), capacity);
        check(result == 0 || result == 1);
        if (result == 0) return b.untouched();
        check(b.delivered().size() <= 258);
    };
    stand_like(stand);
    stand_like(stand_port);
    check((stand_component(sources, c) & ~1) == 0);
    const std::int32_t enabled = server_enabled(sources, c);
    check((enabled & ~1) == 0);
    if (enabled == 0) check(mode(sources, c) == -1);
    check((multiple_instances(sources) & ~1) == 0);
    optical_count(sources, "ImagePathCount");
    {
        Buffer b(capacity);
        check(component_server(sources, c, "Server", b.data(), capacity) == 1);
        const std::string_view text = b.delivered();
        const std::string_view none = std::string_view("None").substr(0, capacity - 1);
        check(text == none || (root + "\\").substr(0, text.size()) == text.substr(0, root.size() + 1));
        check(text.size() <= longest);
    }
    {
        Buffer b(capacity);
        check(port(sources, c, b.data(), capacity) == 1);
        check(b.delivered().size() <= 258);
    }
    {
        Buffer b(capacity);
        check(optical_path(sources, index, b.data(), capacity) == 1);
        check(b.delivered().size() <= 78);
    }

    const std::string entry = xq::psi::component_entry(sources, c, "Server", true);
    const std::string bare = xq::psi::component_entry(sources, c, "NextLayer", false);
    const std::string section = xq::psi::component_section(sources, c, xq::psi::DataSection::operational);
    const std::string next = xq::psi::next_layer_entry(sources, layer.c_str(), "ServerApi", true);
    check(entry.size() <= longest && next.size() <= longest && bare.size() <= 258 && section.size() <= 258);
    for (const std::string* text : {&entry, &bare, &section, &next}) {
        Buffer b(capacity);
        check(xq::psi::hand_over_result(b.data(), capacity, *text) == 1);
        const std::string_view out = b.delivered();
        check(out.size() <= 259 && std::string_view(*text).substr(0, out.size()) == out);
    }
    return 0;
}
