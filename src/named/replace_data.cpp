// RplNamedData: replaces one comma field of a value and writes the value
// back through the profile writer; every failure is reported through the
// status record.
//
// Beyond the plain missing file (18) and missing value (13): a value that
// cannot be rewritten without losing or inventing data (no such field, a
// value or result longer than the working sizes, a line break in the data)
// is refused with code 24, and a write that fails is reported with code 36.
// Null texts, which the contract rules out, report like GetNamedData's: a
// null file as missing (18), a null name as a missing value (13), null data
// with code 24; null names are reported as empty texts.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "frame/guard.h"
#include "named/comma_field.h"
#include "named/profile.h"
#include "platform/platform.h"
#include "xq_utils.h"

namespace {

constexpr int32_t kErrorClass = 3;
constexpr int32_t kEntryMissing = 13;      // "Could not find entry %s in section %s of file %s."
constexpr int32_t kFileMissing = 18;       // "File %s could not be found."
constexpr int32_t kNotReplaced = 24;       // "%s could not be replaced in entry %s of file %s."
constexpr int32_t kWriteFailed = 36;       // "Could not  write data into file %s."

// The longest value read and the longest value composed.
constexpr std::size_t kValueLimit = 260;
constexpr std::size_t kComposedLimit = 263;

// A text for a report: the empty text in place of null.
const char* reported(const char* text) { return text != nullptr ? text : ""; }

struct Report {
    int32_t origin;
    int32_t* flag;
    StatusRecord* status;

    int32_t fail(int32_t code, const char* a = nullptr, const char* b = nullptr, const char* c = nullptr) const {
        SetError(flag, origin, kErrorClass, code, a, b, c, status);
        return 0;
    }
};

// The new value, or nullopt when it cannot be made without losing or
// inventing data: the field does not exist, the result is longer than the
// working size, or `data` holds a line break (it would make new lines).
std::optional<std::string> compose(std::string_view value, int32_t index, std::string_view data) {
    if (data.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
    std::optional<std::string> composed = xq::named::replace_comma_field(value, index, data);
    if (!composed || composed->size() > kComposedLimit) return std::nullopt;
    return composed;
}

}  // namespace

extern "C" int32_t XQ_CALL RplNamedData(const char* section, const char* entry, int32_t index, const char* data,
                                        const char* file, int32_t origin, int32_t* errorFlag,
                                        StatusRecord* status) {
    const Report report{origin, errorFlag, status};
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (file == nullptr) return report.fail(kFileMissing, "");
        if (section == nullptr || entry == nullptr) {
            if (!xq::os::file_exists(file)) return report.fail(kFileMissing, file);
            return report.fail(kEntryMissing, reported(entry), reported(section), file);
        }
        if (data == nullptr) return report.fail(kNotReplaced, "", entry, file);
        // One more character than a value may have: a longer value shows
        // as filling the buffer, and is refused rather than written back cut.
        std::array<char, kValueLimit + 2> buffer{};
        bool found = false;
        const std::uint32_t n = xq::profile::read_string(section, entry, "", buffer.data(),
                                                         static_cast<std::uint32_t>(buffer.size()), file, &found);
        if (!found) return report.fail(kFileMissing, file);
        if (n == 0) return report.fail(kEntryMissing, entry, section, file);
        if (n > kValueLimit) return report.fail(kNotReplaced, data, entry, file);
        const std::optional<std::string> composed = compose({buffer.data(), n}, index, data);
        if (!composed) return report.fail(kNotReplaced, data, entry, file);
        if (!xq::profile::write_string(section, entry, composed->c_str(), file)) {
            return report.fail(kWriteFailed, file);
        }
        return 1;
    });
}
