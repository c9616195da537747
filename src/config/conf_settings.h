// The installation settings that one configuration lookup reads: the root
// setting and the two file names, each the override when set, else the
// registry value. The settings key is opened at most once per call (and not
// at all when every piece is overridden), so a lookup pays for one reading
// of the settings however many pieces it needs.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "frame/overrides.h"
#include "frame/settings_store.h"

namespace xq::config {

class PathSettings {
public:
    // The root setting: the root override, else "VortaRoot" read with a
    // capacity of 259 bytes; "None" when absent or too long.
    const std::string& root();

    // A file-name setting: the override cut to `room` characters, else the
    // registry value read with a capacity of `room` bytes, so that a value of
    // `room` characters or more reads "None" (cut to fit the room).
    std::string file_name(settings::Slot slot, const char* value_name, std::size_t room);

private:
    // A registry value of the settings key read with `capacity` bytes, or
    // "None" cut to capacity - 1 characters.
    std::string registry_value(const char* name, std::size_t capacity);

    std::optional<std::string> root_;
    std::optional<settings::KeyHandle> key_;  // opened on first use
};

}  // namespace xq::config
