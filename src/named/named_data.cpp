// GetNamedData: one comma-separated field of a raw value (no value
// conventions), with failures reported through the status record.
//
// Where callers pass what the contract rules out: a null destination or a
// capacity of 0 fails at once without a report (there is nowhere to deliver
// to); a null section or entry reads as a missing value (code 13) and a null
// file as a missing file (code 18), the null names reported as empty texts.
#include <array>
#include <cstdint>

#include "frame/guard.h"
#include "frame/text_copy.h"
#include "named/profile.h"
#include "named/words.h"
#include "platform/platform.h"
#include "xq_utils.h"

namespace {

constexpr int32_t kErrorClass = 3;
constexpr int32_t kCodeEntryMissing = 13;
constexpr int32_t kCodeFileMissing = 18;

// The working capacity of a data value.
using DataBuffer = std::array<char, 261>;

// A name for a report: the empty text in place of null.
const char* reported(const char* name) { return name != nullptr ? name : ""; }

struct Report {
    int32_t origin;
    int32_t* error_flag;
    StatusRecord* status;

    int32_t file_missing(const char* file) const {
        SetError(error_flag, origin, kErrorClass, kCodeFileMissing, reported(file), nullptr, nullptr, status);
        return 0;
    }
    int32_t entry_missing(const char* section, const char* entry, const char* file) const {
        SetError(error_flag, origin, kErrorClass, kCodeEntryMissing, reported(entry), reported(section),
                 reported(file), status);
        return 0;
    }
};

// Field `index` (1 or less: field 1) of the raw value, delivered cut to the
// capacity and terminated, the rest of the capacity zero-filled.
int32_t get_data(const char* section, const char* entry, int32_t index, char* destination, uint32_t capacity,
                 const char* file, const Report& report) {
    if (destination == nullptr || capacity == 0) return 0;
    destination[0] = '\0';
    if (file == nullptr) return report.file_missing(file);
    if (section == nullptr || entry == nullptr) {
        // The reader would list names for a null name; only the file is tested.
        return xq::os::file_exists(file) ? report.entry_missing(section, entry, file) : report.file_missing(file);
    }
    DataBuffer working{};
    bool found = false;
    const uint32_t n = xq::profile::read_string(section, entry, "", working.data(),
                                                     static_cast<uint32_t>(working.size()), file, &found);
    if (!found) return report.file_missing(file);
    const auto field = xq::named::field_at(xq::bounded_text(working.data(), n), index < 1 ? 1 : index);
    if (!field) return report.entry_missing(section, entry, file);
    xq::copy_text(destination, capacity, field->text);
    return 1;
}

}  // namespace

// A field too long for the destination is cut to capacity - 1 characters so
// that it stays terminated.
extern "C" int32_t XQ_CALL GetNamedData(const char* section, const char* entry, int32_t index, char* destination,
                                        uint32_t capacity, const char* file, int32_t origin, int32_t* errorFlag,
                                        StatusRecord* status) {
    return xq::guarded<int32_t>(0, [&] {
        return get_data(section, entry, index, destination, capacity, file, Report{origin, errorFlag, status});
    });
}
