// GetNamedSubstringString and GetNamedSubstringIndex: one word of a value, and
// the number of a word.
#include "frame/guard.h"
#include "frame/text_copy.h"
#include "named/named_value.h"
#include "named/words.h"
#include "xq_utils.h"

using namespace xq::named;

extern "C" {

// A word too long for the destination is cut to capacity - 1 characters so
// that it stays terminated.
char* XQ_CALL GetNamedSubstringString(const char* section, const char* entry, int32_t index, char* destination,
                                      uint32_t capacity, const char* file) {
    return xq::guarded<char*>(nullptr, [&]() -> char* {
        if (destination == nullptr || capacity == 0) return nullptr;
        ValueBuffer200 working{};
        const NamedValue value = read_named_value(section, entry, working, file);
        if (value.status != ValueStatus::found) return nullptr;
        const auto word = word_at(value.text, index);
        if (!word) return nullptr;
        xq::copy_text(destination, capacity, word->text);
        return destination;
    });
}

int32_t XQ_CALL GetNamedSubstringIndex(const char* section, const char* entry, const char* text, const char* file) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (text == nullptr) return 0;
        ValueBuffer200 working{};
        const NamedValue value = read_named_value(section, entry, working, file);
        return value.status == ValueStatus::found ? word_index(value.text, text) : 0;
    });
}

}  // extern "C"
