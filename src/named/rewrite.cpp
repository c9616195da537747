// Named-entry rewrites: GetNamedStringPos, RplNamedString and RplNamedInt,
// RplNamedSubstringString, RplNamedData and DoubleFile.

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "api/guard.h"
#include "named/in_place.h"
#include "named/values.h"
#include "platform/platform.h"
#include "profile/profile.h"
#include "xq_utils.h"

// GetNamedStringPos, RplNamedString and RplNamedInt: finding an entry's line
// and rewriting its value in place. The rewrite scans and writes under one
// open and one lock of the file (in_place.h).
extern "C" {

uint32_t XQ_CALL GetNamedStringPos(const char* section, const char* entry, const char* file) {
    return xq::guarded<uint32_t>(0, [&]() -> uint32_t {
        if (section == nullptr || entry == nullptr || file == nullptr) return 0;
        xq::os::FileBytes contents;
        if (xq::os::file_read(file, contents) != xq::os::ReadStatus::ok) return 0;
        const std::optional<std::size_t> line = xq::named::find_entry_line(contents.view(), section, entry);
        // A line beyond the 32-bit range cannot be told; it counts as not found.
        if (!line || *line > std::numeric_limits<uint32_t>::max()) return 0;
        return static_cast<uint32_t>(*line);
    });
}

int32_t XQ_CALL RplNamedString(const char* section, const char* entry, const char* value, const char* file) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (section == nullptr || entry == nullptr || value == nullptr || file == nullptr) return 0;
        return xq::named::rewrite_in_place(section, entry, file, [&](std::string_view) { return std::string(value); }) ? 1 : 0;
    });
}

int32_t XQ_CALL RplNamedInt(const char* section, const char* entry, int32_t number, const char* file) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (section == nullptr || entry == nullptr || file == nullptr) return 0;
        const std::string value = std::to_string(number);
        return xq::named::rewrite_in_place(section, entry, file, [&](std::string_view) { return value; }) ? 1 : 0;
    });
}

}  // extern "C"

// RplNamedSubstringString: replaces one word of a value, keeping every
// separator, and writes the value back in place like RplNamedString, under
// one open and one lock of the file.
namespace {

// The longest value that is written back: the rewrite's working size.
constexpr std::size_t kValueLimit = 260;
// The value is read with far more room than that, so that a longer value is
// seen to be longer (and refused) instead of being written back cut.
constexpr std::uint32_t kReadCapacity = 4096;

// The value with word `index` replaced by `text`, right-aligned in the
// word's field; nullopt when there is no such word or the text does not fit.
std::optional<std::string> with_word_replaced(std::string_view value, int index, std::string_view text) {
    const std::optional<xq::named::Piece> field = xq::named::word_field(value, index);
    if (!field || text.size() > field->text.size()) return std::nullopt;
    std::string copy(value);
    std::string room(field->text.size() - text.size(), ' ');
    room += text;
    copy.replace(field->offset, room.size(), room);
    return copy;
}

// The value with the word replaced, as above, for a value that the rewrite
// can write back whole; nullopt otherwise.
std::optional<std::string> rewritten_value(std::string_view value, int index, std::string_view text) {
    if (value.size() > kValueLimit) return std::nullopt;
    return with_word_replaced(value, index, text);
}

// The value as GetNamedString reads it, from the contents of the file under
// the rewrite's lock; where the reader looks in another file (a bare name on
// Windows, which it resolves to the Windows directory), from that file.
std::optional<std::string> value_now(std::string_view contents, const char* section, const char* entry,
                                     const char* file) {
    std::string buffer(kReadCapacity, '\0');
    const std::uint32_t n = xq::os::profile_file_path(file) == file
                                ? xq::profile::get_string(contents, section, entry, "", buffer.data(), kReadCapacity)
                                : xq::profile::read_string(section, entry, "", buffer.data(), kReadCapacity, file);
    if (n == 0) return std::nullopt;
    return std::string(xq::named::value_conventions({buffer.data(), n}));
}

}  // namespace

extern "C" int32_t XQ_CALL RplNamedSubstringString(const char* section, const char* entry, int32_t index,
                                                   const char* text, const char* file) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (section == nullptr || entry == nullptr || text == nullptr || file == nullptr) return 0;
        // The word is replaced in the value as the file holds it under the
        // rewrite's lock, so that another word of the same value written
        // meanwhile is kept rather than overwritten.
        return xq::named::rewrite_in_place(section, entry, file, [&](std::string_view contents) -> std::optional<std::string> {
            const std::optional<std::string> value = value_now(contents, section, entry, file);
            return value ? rewritten_value(*value, index, text) : std::nullopt;
        }) ? 1 : 0;
    });
}

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
namespace {

constexpr int32_t kErrorClass = 3;
constexpr int32_t kEntryMissing = 13;      // "Could not find entry %s in section %s of file %s."
constexpr int32_t kFileMissing = 18;       // "File %s could not be found."
constexpr int32_t kNotReplaced = 24;       // "%s could not be replaced in entry %s of file %s."
constexpr int32_t kWriteFailed = 36;       // "Could not  write data into file %s."

// The longest value composed (the longest value read is kValueLimit).
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

// The new value made of the `delivered` characters that the reader gave for
// the entry, or the code of the failure (0 when composed).
struct Composed {
    int32_t failure = 0;
    std::string value;
};

Composed compose_delivered(std::string_view delivered, int32_t index, std::string_view data) {
    if (delivered.empty()) return {kEntryMissing, {}};
    // One more character than a value may have shows as a longer value,
    // which is refused rather than written back cut.
    if (delivered.size() > kValueLimit) return {kNotReplaced, {}};
    std::optional<std::string> composed = compose(delivered, index, data);
    if (!composed) return {kNotReplaced, {}};
    return {0, std::move(*composed)};
}

// The reader's working buffer: one more character than a value may have.
using ValueBuffer = std::array<char, kValueLimit + 2>;

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
        ValueBuffer buffer{};
        bool found = false;
        const std::uint32_t n = xq::profile::read_string(section, entry, "", buffer.data(),
                                                         static_cast<std::uint32_t>(buffer.size()), file, &found);
        if (!found) return report.fail(kFileMissing, file);
        Composed composed = compose_delivered({buffer.data(), n}, index, data);
        // The field is replaced again in the value as the file holds it
        // under the writer's lock, so that another field of the same value
        // written meanwhile is kept rather than overwritten.
        const bool written = composed.failure == 0 &&
            xq::profile::write_value_from(section, entry, file, [&](std::string_view current) {
                ValueBuffer now{};
                const std::uint32_t m = xq::profile::get_string(current, section, entry, "", now.data(),
                                                                static_cast<std::uint32_t>(now.size()));
                composed = compose_delivered({now.data(), m}, index, data);
                return composed.failure == 0 ? std::optional<std::string>(composed.value) : std::nullopt;
            });
        if (composed.failure == kEntryMissing) return report.fail(kEntryMissing, entry, section, file);
        if (composed.failure == kNotReplaced) return report.fail(kNotReplaced, data, entry, file);
        if (!written) return report.fail(kWriteFailed, file);
        return 1;
    });
}

// DoubleFile: copies a whole file. The target comes first.
extern "C" int32_t XQ_CALL DoubleFile(const char* newFile, const char* existingFile, int32_t failIfExists) {
    return xq::guarded<int32_t>(0, [&] { return xq::os::file_copy(existingFile, newFile, failIfExists != 0) ? 1 : 0; });
}
