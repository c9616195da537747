// SetError: the status record that failures are reported through.
#include <array>
#include <cstring>

#include "frame/guard.h"
#include "frame/message_format.h"
#include "frame/message_text.h"
#include "frame/text_copy.h"
#include "xq_utils.h"

namespace xq::status {
namespace {

using Text = std::array<char, sizeof(StatusRecord::Text)>;

// Longest insert that can matter: no more than the text can hold.
constexpr std::size_t kInsertLimit = sizeof(StatusRecord::Text) - 1;

// The record's text: with no insert the template as it stands, else the
// template formatted with the inserts up to the last non-null one (a null
// one reads as empty).
void fill_text(StatusRecord& record, std::string_view pattern, const std::array<const char*, 3>& inserts) {
    std::size_t count = inserts.size();
    while (count > 0 && inserts[count - 1] == nullptr) --count;
    if (count == 0) {
        copy_text(record.Text, sizeof record.Text, pattern);
        return;
    }
    std::array<std::string_view, 3> texts{};
    for (std::size_t i = 0; i < count; ++i) {
        if (inserts[i] != nullptr) texts[i] = bounded_text(inserts[i], kInsertLimit);
    }
    format_message(pattern, std::span(texts.data(), count), record.Text);
}

}  // namespace
}  // namespace xq::status

extern "C" int32_t XQ_CALL SetError(int32_t* errorFlag, int32_t origin, int32_t errorClass, int32_t errorCode,
                                    const char* insert1, const char* insert2, const char* insert3,
                                    StatusRecord* status) {
    return xq::guarded<int32_t>(1, [&] {
        if (errorFlag != nullptr) *errorFlag = 1;
        if (status == nullptr) return 1;
        status->Origin = origin;
        status->ErrorClass = errorClass;
        status->ErrorCode = errorCode;
        std::memset(status->Text, 0, sizeof status->Text);
        xq::status::Text pattern{};
        const std::size_t length = xq::status::load_message_text(errorClass, errorCode, pattern);
        xq::status::fill_text(*status, std::string_view(pattern.data(), length), {insert1, insert2, insert3});
        return 1;
    });
}
