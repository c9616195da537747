#include "named/in_place.h"

#include "named/value_rewrite.h"
#include "platform/platform.h"

namespace xq::named {

bool rewrite_in_place(const char* section, const char* entry, const char* file, const ValueFromContents& value_for) {
    const auto status = os::file_update(file, [&](std::string_view contents) -> std::optional<os::Patch> {
        const std::optional<std::string> value = value_for(contents);
        if (!value) return std::nullopt;
        std::optional<FieldWrite> write = rewrite_entry_value(contents, section, entry, *value);
        if (!write) return std::nullopt;
        return os::Patch{write->offset, std::move(write->bytes)};
    });
    return status == os::UpdateStatus::written;
}

}  // namespace xq::named
