// TestNoneString: whether a text is the word "none" in any letter case.
#include <string_view>

#include "frame/guard.h"
#include "frame/text_copy.h"
#include "xq_utils.h"

namespace {

constexpr char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

extern "C" int32_t XQ_CALL TestNoneString(const char* text) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (text == nullptr) return 0;
        // Five bytes tell "none" from every longer text.
        const std::string_view head = xq::bounded_text(text, 5);
        constexpr std::string_view kNone = "none";
        if (head.size() != kNone.size()) return 0;
        for (std::size_t i = 0; i < kNone.size(); ++i)
            if (ascii_lower(head[i]) != kNone[i]) return 0;
        return 1;
    });
}
