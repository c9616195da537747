// GetNamedArrayElement: one integer cell of a table row kept in an entry or
// in a member of a family of array entries.
#include "named/named_array.h"

#include <charconv>
#include <cstring>

#include "frame/guard.h"
#include "frame/text_copy.h"
#include "named/int_scan.h"
#include "named/named_value.h"
#include "named/words.h"
#include "xq_utils.h"

namespace xq::named {

bool array_entry_name(std::string_view name, std::int32_t index, ArrayName& out) {
    const std::size_t room = out.size() - 1;
    const bool member = !name.empty() && name.front() == '%';
    if (member) name.remove_prefix(1);
    if (name.size() > room) return false;
    std::memcpy(out.data(), name.data(), name.size());
    char* end = out.data() + name.size();
    if (member) {
        const auto [ptr, ec] = std::to_chars(end, out.data() + room, index);
        if (ec != std::errc{}) return false;
        end = ptr;
    }
    *end = '\0';
    return true;
}

}  // namespace xq::named

using namespace xq::named;

// An entry name too long for its 39 characters fails instead of being built.
extern "C" int32_t XQ_CALL GetNamedArrayElement(const char* section, const char* entryName, int32_t arrayIndex,
                                                int32_t column, const char* file) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (entryName == nullptr) return 0;
        ArrayName name{};
        // Anything longer than the name buffer fails, so reading one byte more suffices.
        if (!array_entry_name(xq::bounded_text(entryName, name.size()), arrayIndex, name)) return 0;
        ValueBuffer200 working{};
        const NamedValue value = read_named_value(section, name.data(), working, file);
        if (value.status != ValueStatus::found) return 0;
        const auto cell = word_at(value.text, column);
        if (!cell) return 0;
        return scan_cell(cell->text).value_or(0);
    });
}
