// Configuration lookups: the stand, the component settings and the optical
// path (GetQelStand ... GetQelOpticalPath).

#include <cstring>
#include <span>
#include <string>

#include "api/text_copy.h"
#include "config/lookups.h"
#include "config/sources.h"
#include "named/values.h"
#include "platform/platform.h"
#include "profile/profile.h"
#include "xq_utils.h"

// GetQelStand, GetQelStandPort and GetQelStandComp: which stand is fitted,
// where it is connected, and whether a component belongs to it.
namespace xq::config {
namespace {

// The value of "Stand" in section "MicStand" of the logical file.
std::string_view stand_value(Sources& sources, ConfValue& out) {
    return read_entry(sources.logical(), "MicStand", "Stand", out);
}

}  // namespace

std::int32_t stand(Sources& sources, char* buffer, std::uint32_t capacity) {
    ConfValue logical;
    const std::string entry(word(stand_value(sources, logical), 1));
    if (!configured(entry)) return 0;
    ConfValue physical;
    const std::string_view name = word(read_entry(sources.physical(), "Stand", entry.c_str(), physical), 1);
    hand_over(buffer, capacity, configured(name) ? name : kNone);
    return 1;
}

std::int32_t stand_port(Sources& sources, char* buffer, std::uint32_t capacity) {
    ConfValue logical;
    const std::string_view value = stand_value(sources, logical);
    if (!configured(word(value, 1))) return 0;
    const std::string_view port_word = word(value, 2);
    hand_over(buffer, capacity, configured(port_word) ? port_word : kNone);
    return 1;
}

std::int32_t stand_component(Sources& sources, const char* component) {
    const std::string name = physical_entry_name(sources, component);
    if (!configured(name)) return 0;
    ConfValue physical;
    return word(physical_entry(sources, component, name, physical), 3) == "M" ? 1 : 0;
}

}  // namespace xq::config

using namespace xq::config;

extern "C" {

int32_t XQ_CALL GetQelStand(char* buffer, uint32_t capacity) {
    return installed(0, [&](Sources& s) { return stand(s, buffer, capacity); });
}

int32_t XQ_CALL GetQelStandPort(char* buffer, uint32_t capacity) {
    return installed(0, [&](Sources& s) { return stand_port(s, buffer, capacity); });
}

int32_t XQ_CALL GetQelStandComp(const char* component) {
    return installed(0, [&](Sources& s) { return stand_component(s, component); });
}

}  // extern "C"

// GetQelServerEnabled, GetQelServer, GetQelServerApi, GetQelMode, GetQelPort
// and GetQelMultiInstances: the components' settings in the logical file.
namespace xq::config {

std::int32_t server_enabled(Sources& sources, const char* component) {
    ConfValue value;
    return configured(word(configuration_entry(sources, component, value), 1)) ? 1 : 0;
}

std::int32_t component_server(Sources& sources, const char* component, const char* entry, char* buffer,
                              std::uint32_t capacity) {
    ConfValue value;
    const std::string_view text = read_entry(sources.logical(), component, entry, value);
    const auto first = named::space_word_at(text, 1);
    if (!first || first->text == kNone) {
        hand_over(buffer, capacity, kNone);
        return 1;
    }
    // Up to the end of the first word: blanks the reader left before it stay.
    hand_over(buffer, capacity, rooted(sources, text.substr(0, first->offset + first->text.size())));
    return 1;
}

std::int32_t mode(Sources& sources, const char* component) {
    ConfValue value;
    const std::string_view text = configuration_entry(sources, component, value);
    return configured(word(text, 1)) ? named::scan_decimal(word(text, 3)) : -1;
}

std::int32_t port(Sources& sources, const char* component, char* buffer, std::uint32_t capacity) {
    ConfValue value;
    const std::string_view text = configuration_entry(sources, component, value);
    hand_over(buffer, capacity, configured(word(text, 1)) ? word(text, 2) : kNone);
    return 1;
}

std::int32_t multiple_instances(Sources& sources) {
    ConfValue value;
    return configured(word(read_entry(sources.logical(), "GeneralSettings", "MultipleInstances", value), 1)) ? 1 : 0;
}

}  // namespace xq::config

using namespace xq::config;

extern "C" {

int32_t XQ_CALL GetQelServerEnabled(const char* component) {
    return installed(0, [&](Sources& s) { return server_enabled(s, component); });
}

int32_t XQ_CALL GetQelServer(const char* component, char* buffer, uint32_t capacity) {
    return installed_text(buffer, capacity,
                          [&](Sources& s) { return component_server(s, component, "Server", buffer, capacity); });
}

int32_t XQ_CALL GetQelServerApi(const char* component, char* buffer, uint32_t capacity) {
    return installed_text(buffer, capacity,
                          [&](Sources& s) { return component_server(s, component, "ServerApi", buffer, capacity); });
}

int32_t XQ_CALL GetQelMode(const char* component) {
    return installed(-1, [&](Sources& s) { return mode(s, component); });
}

int32_t XQ_CALL GetQelPort(const char* component, char* buffer, uint32_t capacity) {
    return installed_text(buffer, capacity, [&](Sources& s) { return port(s, component, buffer, capacity); });
}

int32_t XQ_CALL GetQelMultiInstances(void) {
    return installed(0, [](Sources& s) { return multiple_instances(s); });
}

}  // extern "C"

// GetQelImagePathCount, GetQelImagePathDeviceCount and GetQelOpticalPath:
// section "OpticalPath" of the logical file, by entry name and by position.
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
