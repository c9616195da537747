// Token streams (CreateStrTokEx, GetStrTokEx, CloseStrTokEx) and GetDate.

#include <cstring>
#include <new>

#include "api/guard.h"
#include "platform/platform.h"
#include "xq_utils.h"

// Token streams: a re-entrant tokenizer over a private copy of the caller's
// text. Delimiter texts are borrowed, not copied; tokens point into the copy.
struct TokenStream {
    char* TextCopy;          // owned copy of the text, terminator included
    const char* Delimiters;  // the caller's delimiter text
    char* Cursor;            // where the search for the next token starts
};

namespace {

// A delimiter is any character of `delimiters` before its terminator; the
// terminator itself never is one.
bool is_delimiter(char c, const char* delimiters) {
    return c != '\0' && std::strchr(delimiters, c) != nullptr;
}

// Overwrites the run of delimiters at `at` with terminators; returns the
// first character after it.
char* clear_delimiters(char* at, const char* delimiters) {
    while (is_delimiter(*at, delimiters)) *at++ = '\0';
    return at;
}

// A new block of `size` bytes from the platform, or null when memory runs out.
char* allocate_text(std::size_t size) { return static_cast<char*>(xq::os::memory_alloc(size)); }

TokenStream* allocate_stream() {
    void* block = xq::os::memory_alloc(sizeof(TokenStream));
    return block != nullptr ? new (block) TokenStream{} : nullptr;
}

}  // namespace

extern "C" {

TokenStream* XQ_CALL CreateStrTokEx(const char* text, const char* delimiters) {
    return xq::guarded<TokenStream*>(nullptr, [&]() -> TokenStream* {
        if (text == nullptr || delimiters == nullptr) return nullptr;
        TokenStream* stream = allocate_stream();
        if (stream == nullptr) return nullptr;
        const std::size_t size = std::strlen(text) + 1;
        char* copy = allocate_text(size);
        if (copy == nullptr) {
            xq::os::memory_free(stream);
            return nullptr;
        }
        std::memcpy(copy, text, size);
        *stream = TokenStream{copy, delimiters, copy};
        return stream;
    });
}

char* XQ_CALL GetStrTokEx(TokenStream* stream, const char* delimiters) {
    return xq::guarded<char*>(nullptr, [&]() -> char* {
        if (stream == nullptr) return nullptr;
        if (delimiters != nullptr) stream->Delimiters = delimiters;
        char* start = clear_delimiters(stream->Cursor, stream->Delimiters);
        // At the end the cursor stays put; the run before it is already cleared.
        if (*start == '\0') return nullptr;
        char* end = start;
        while (*end != '\0' && !is_delimiter(*end, stream->Delimiters)) ++end;
        stream->Cursor = clear_delimiters(end, stream->Delimiters);
        return start;
    });
}

int32_t XQ_CALL CloseStrTokEx(TokenStream* stream) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (stream == nullptr) return 0;
        xq::os::memory_free(stream->TextCopy);
        xq::os::memory_free(stream);
        return 1;
    });
}

}  // extern "C"

// GetDate: today's date in Coordinated Universal Time.
// A null address is skipped rather than written through.
extern "C" void XQ_CALL GetDate(uint16_t* day, uint16_t* month, uint16_t* year) {
    xq::guarded_void([&] {
        const xq::os::Date today = xq::os::utc_date();
        if (day != nullptr) *day = today.day;
        if (month != nullptr) *month = today.month;
        if (year != nullptr) *year = today.year;
    });
}
