// What a configuration lookup reads: the root setting and the contents of the
// logical and the physical configuration file. Each is fetched when first
// asked for and then kept for the rest of the call, so one call reads each
// file at most once however many entries it takes from it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/conf_settings.h"
#include "config/conf_value.h"
#include "frame/guard.h"
#include "platform/platform.h"

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
std::string rooted(Sources& sources, std::string_view value);

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
