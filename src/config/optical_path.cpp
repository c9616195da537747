// GetQelImagePathCount, GetQelImagePathDeviceCount and GetQelOpticalPath:
// section "OpticalPath" of the logical file, by entry name and by position.
#include <cstring>
#include <span>

#include "config/config_lookups.h"
#include "config/conf_value.h"
#include "frame/text_copy.h"
#include "named/int_scan.h"
#include "named/profile.h"
#include "platform/platform.h"
#include "xq_utils.h"

namespace xq::config {
namespace {

constexpr const char* kSection = "OpticalPath";
// The entry-name list is read into a block of 1000 bytes with 999 bytes of
// capacity; a chosen value is read with 79 (at most 78 characters).
constexpr std::size_t kListBlock = 1000;
constexpr std::uint32_t kListCapacity = 999;
constexpr std::uint32_t kValueCapacity = 79;

// A zero-filled scratch block from the platform, released with the object.
class ScratchBlock {
public:
    explicit ScratchBlock(std::size_t size) : data_(static_cast<char*>(os::memory_alloc(size))), size_(size) {
        if (data_ != nullptr) std::memset(data_, 0, size_);
    }
    ~ScratchBlock() {
        if (data_ != nullptr) os::memory_free(data_);
    }
    ScratchBlock(const ScratchBlock&) = delete;
    ScratchBlock& operator=(const ScratchBlock&) = delete;

    explicit operator bool() const { return data_ != nullptr; }
    std::span<char> bytes() const { return {data_, size_}; }

private:
    char* data_;
    std::size_t size_;
};

// The name at `position` (from 1) of a name list (names ended by a NUL, the
// list by an empty name); empty when the list is shorter.
std::string_view name_at(std::span<const char> list, std::int64_t position) {
    std::size_t at = 0;
    for (std::int64_t counter = 1; at < list.size(); ++counter) {
        const std::string_view name = bounded_text(list.data() + at, list.size() - at);
        if (name.empty()) break;
        if (counter == position) return name;
        at += name.size() + 1;
    }
    return {};
}

}  // namespace

std::int32_t optical_count(Sources& sources, const char* entry) {
    ConfValue value;
    return named::scan_decimal(read_entry(sources.logical(), kSection, entry, value));
}

std::int32_t optical_path(Sources& sources, std::int32_t index, char* buffer, std::uint32_t capacity) {
    const ScratchBlock block(kListBlock);
    if (!block) return 0;
    const std::span<char> list = block.bytes();
    profile::get_string(sources.logical(), kSection, nullptr, "", list.data(), kListCapacity);
    // Index n chooses the entry at position n + 2, so -1 chooses the first.
    const std::string name(name_at(list, std::int64_t{index} + 2));
    std::array<char, kValueCapacity + 1> value{};
    std::uint32_t length = 0;
    if (!name.empty())
        length = profile::get_string(sources.logical(), kSection, name.c_str(), "", value.data(), kValueCapacity);
    hand_over(buffer, capacity, length > 0 ? std::string_view(value.data(), length) : kNone);
    return 1;
}

}  // namespace xq::config

using namespace xq::config;

extern "C" {

int32_t XQ_CALL GetQelImagePathCount(void) {
    return installed(0, [](Sources& s) { return optical_count(s, "ImagePathCount"); });
}

int32_t XQ_CALL GetQelImagePathDeviceCount(void) {
    return installed(0, [](Sources& s) { return optical_count(s, "ImagePathDeviceCount"); });
}

int32_t XQ_CALL GetQelOpticalPath(int32_t index, char* buffer, uint32_t capacity) {
    return installed(0, [&](Sources& s) { return optical_path(s, index, buffer, capacity); });
}

}  // extern "C"
