// What a configuration lookup reads: the settings, the two configuration
// files, their entries and a component's entries, each read once per call.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "api/guard.h"
#include "platform/platform.h"
#include "settings/settings.h"

// The installation settings that one configuration lookup reads: the root
// setting and the two file names, each the override when set, else the
// registry value. The settings key is opened at most once per call (and not
// at all when every piece is overridden), so a lookup pays for one reading
// of the settings however many pieces it needs.
namespace xq::config {

// A text the lookups build on every call, held in place rather than on the
// heap: a setting (at most 259 characters) or a path of root, one backslash
// and name (at most 519). A longer text is cut to 519 characters.
class PathText {
public:
    explicit PathText(std::string_view text) { append(text); }
    PathText(std::string_view root, std::string_view name) {
        append(root);
        append("\\");
        append(name);
    }

    std::string_view view() const { return {bytes_.data(), size_}; }
    operator std::string_view() const { return view(); }
    const char* c_str() const { return bytes_.data(); }

private:
    void append(std::string_view text) {
        const std::size_t n = std::min(text.size(), bytes_.size() - 1 - size_);
        std::memcpy(bytes_.data() + size_, text.data(), n);
        size_ += n;
        bytes_[size_] = '\0';
    }

    std::array<char, 520> bytes_;  // not cleared: only the text and its NUL are ever read
    std::size_t size_ = 0;
};

class PathSettings {
public:
    // The root setting: the root override, else "VortaRoot" read with a
    // capacity of 259 bytes; "None" when absent or too long.
    std::string_view root();

    // A file-name setting: the override cut to `room` characters, else the
    // registry value read with a capacity of `room` bytes, so that a value of
    // `room` characters or more reads "None" (cut to fit the room).
    PathText file_name(settings::Slot slot, const char* value_name, std::size_t room);

private:
    // A registry value of the settings key read with `capacity` bytes, or
    // "None" cut to capacity - 1 characters.
    PathText registry_value(const char* name, std::size_t capacity);

    // The root once read (`root_read_`). Its room is left uncleared: a
    // lookup's sources are made on every call.
    union RootRoom {
        RootRoom() {}
        PathText text;
    } root_;
    bool root_read_ = false;
    std::optional<settings::KeyHandle> key_;  // opened on first use
};

}  // namespace xq::config

// Where the two microscope configuration files are: root directory, one
// backslash, file name, from the installation settings and their overrides.
namespace xq::config {

// The logical configuration file's path, whole, or "0" when the root or the
// file name is not configured.
PathText log_conf_file_path(PathSettings& settings);

// The physical configuration file's path, whole: root, backslash and name,
// never "0" (an absent piece reads "None").
PathText phy_conf_file_path(PathSettings& settings);

// The same from the current settings into a buffer (text copy: cut to
// capacity - 1 characters, the whole buffer filled).
void GetLogConfFilePath(char* path, std::uint32_t capacity);
void GetPhyConfFilePath(char* path, std::uint32_t capacity);

}  // namespace xq::config

// Reading entries of the configuration files: straight from the profile
// reader with the default "None" and a capacity of 259 bytes (so a value has
// at most 258 characters), values split into words at the space character
// only. None of the value conventions of named-entry lookups apply.
namespace xq::config {

// Room for one value as the lookups read it.
using ConfValue = std::array<char, 260>;

inline constexpr std::string_view kNone = "None";

// Entry `entry` of section `section` in a configuration file's contents, read
// into `out`; "None" when the section or entry is missing. A null name
// matches nothing.
std::string_view read_entry(std::string_view contents, const char* section, const char* entry, ConfValue& out);

// Word `index` (from 1) of `value`, words separated by runs of spaces (tabs
// belong to words); empty when the value has fewer words.
std::string_view word(std::string_view value, int index);

// A word or value is configured unless it is empty or exactly "None".
constexpr bool configured(std::string_view text) { return !text.empty() && text != kNone; }

// Hands a result text over into a caller's buffer by the text copy; nothing
// is written to a null buffer.
void hand_over(char* buffer, std::uint32_t capacity, std::string_view text);

}  // namespace xq::config

// What a configuration lookup reads: the root setting and the contents of the
// logical and the physical configuration file. Each is fetched when first
// asked for and then kept for the rest of the call, so one call reads each
// file at most once however many entries it takes from it.
namespace xq::config {

class Sources {
public:
    // The installation's: settings, overrides and the files they name.
    Sources() = default;
    // Given texts in place of the installation, for tests and fuzzing.
    Sources(std::string_view root, std::string_view logical, std::string_view physical)
        : root_(root), logical_(logical), physical_(physical) {}

    Sources(const Sources&) = delete;
    Sources& operator=(const Sources&) = delete;

    // The root setting (the root prefix is this and one backslash).
    std::string_view root();
    // The files' contents; empty when a file cannot be read, which reads
    // like a file without sections.
    std::string_view logical();
    std::string_view physical();

private:
    PathSettings settings_;
    std::optional<std::string_view> root_, logical_, physical_;
    os::FileBytes logical_bytes_, physical_bytes_;
};

// The root prefix and `value` joined: root, one backslash, value.
PathText rooted(Sources& sources, std::string_view value);

// An export's body over the installation's sources, behind the exception
// barrier: `on_failure` when anything inside fails.
template <class Lookup>
std::int32_t installed(std::int32_t on_failure, Lookup&& lookup) noexcept {
    return guarded<std::int32_t>(on_failure, [&] {
        Sources sources;
        return lookup(sources);
    });
}

// The same for exports that always answer 1 with a text: when anything
// inside fails (out of memory), the buffer gets "None".
template <class Lookup>
std::int32_t installed_text(char* buffer, std::uint32_t capacity, Lookup&& lookup) noexcept {
    if (installed(0, lookup) != 1) hand_over(buffer, capacity, kNone);
    return 1;
}

}  // namespace xq::config

// A component's two entries: its entry in section "Configuration" of the
// logical file (physical entry name, port, mode) and its physical entry,
// named by the first word of that, in the physical file's section that bears
// the component's name (words 3 to 6: stand mark, server section, global and
// operational data sections).
namespace xq::config {

// The component's entry in section "Configuration", read into `out`.
std::string_view configuration_entry(Sources& sources, const char* component, ConfValue& out);

// Word 1 of that entry: the component's physical entry name.
std::string physical_entry_name(Sources& sources, const char* component);

// The physical entry `name` of the component, read into `out`.
std::string_view physical_entry(Sources& sources, const char* component, const std::string& name, ConfValue& out);

}  // namespace xq::config
