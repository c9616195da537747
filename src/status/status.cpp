// SetError: the status record and its text from the catalogue.

#include <algorithm>
#include <array>
#include <cstring>

#include "api/guard.h"
#include "api/text_copy.h"
#include "status/catalogue.h"
#include "xq_utils.h"

// SetError: the status record that failures are reported through.
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

namespace xq::status {
namespace {

// Appends to a fixed buffer, keeping the last byte for the terminator and
// dropping whatever does not fit.
class BoundedWriter {
public:
    explicit BoundedWriter(std::span<char> out) : out_(out) {}

    void append(std::string_view text) {
        const std::size_t room = out_.size() - 1 - length_;
        const std::size_t n = std::min(text.size(), room);
        if (n == 0) return;  // an empty view may have no data at all
        std::memcpy(out_.data() + length_, text.data(), n);
        length_ += n;
    }

    // Terminates and zero-fills the rest; the text's length.
    std::size_t finish() {
        std::memset(out_.data() + length_, 0, out_.size() - length_);
        return length_;
    }

private:
    std::span<char> out_;
    std::size_t length_ = 0;
};

}  // namespace

std::size_t format_message(std::string_view pattern, std::span<const std::string_view> inserts,
                           std::span<char> out) {
    if (out.empty()) return 0;
    BoundedWriter writer(out);
    std::size_t next_insert = 0;
    while (!pattern.empty()) {
        const std::size_t percent = pattern.find('%');
        writer.append(pattern.substr(0, percent));
        if (percent == std::string_view::npos) break;
        const char directive = percent + 1 < pattern.size() ? pattern[percent + 1] : '\0';
        if (directive == 's') {
            if (next_insert < inserts.size()) writer.append(inserts[next_insert]);
            ++next_insert;
            pattern.remove_prefix(percent + 2);
        } else if (directive == '%') {
            writer.append("%");
            pattern.remove_prefix(percent + 2);
        } else {
            writer.append("%");
            pattern.remove_prefix(percent + 1);
        }
    }
    return writer.finish();
}

}  // namespace xq::status
