// Named-entry lookups: GetNamedString and GetNamedInt, words, array
// elements, indirect references, data fields, TestNoneString and ExistFile.

#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "api/guard.h"
#include "api/text_copy.h"
#include "named/values.h"
#include "platform/platform.h"
#include "profile/profile.h"
#include "xq_utils.h"

// GetNamedString and GetNamedInt: a value with the value conventions, and the
// value read as a decimal integer.
using namespace xq::named;

extern "C" {

char* XQ_CALL GetNamedString(const char* section, const char* entry, char* buffer, uint32_t capacity,
                             const char* file) {
    return xq::guarded<char*>(nullptr, [&]() -> char* {
        if (buffer == nullptr || capacity == 0) return nullptr;
        const NamedValue value = read_named_value(section, entry, {buffer, capacity}, file);
        return value.status == ValueStatus::found ? buffer : nullptr;
    });
}

int32_t XQ_CALL GetNamedInt(const char* section, const char* entry, const char* file) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        ValueBuffer200 working{};
        const NamedValue value = read_named_value(section, entry, working, file);
        return value.status == ValueStatus::found ? scan_decimal(value.text) : 0;
    });
}

}  // extern "C"

// GetNamedSubstringString and GetNamedSubstringIndex: one word of a value, and
// the number of a word.
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

// GetNamedData: one comma-separated field of a raw value (no value
// conventions), with failures reported through the status record.
//
// Where callers pass what the contract rules out: a null destination or a
// capacity of 0 fails at once without a report (there is nowhere to deliver
// to); a null section or entry reads as a missing value (code 13) and a null
// file as a missing file (code 18), the null names reported as empty texts.
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

// TestNoneString: whether a text is the word "none" in any letter case.
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

// ExistFile: whether a file can be opened for reading.
extern "C" int32_t XQ_CALL ExistFile(const char* path) {
    return xq::guarded<int32_t>(0, [&] { return xq::os::file_exists(path) ? 1 : 0; });
}

// GetNamedArrayElement: one integer cell of a table row kept in an entry or
// in a member of a family of array entries.
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

// GetNamedStringIndirect: follows a reference of a section name and an entry
// name, optionally into a second file.
namespace {

// Copies `word` and a terminator to `out` (the caller made sure it fits).
void put_word(char* out, std::string_view word) {
    std::memcpy(out, word.data(), word.size());
    out[word.size()] = '\0';
}

// `piece`, a piece of the text held in `buffer`, as a terminated text: the
// byte after it (a separator or the text's own terminator) becomes a terminator.
const char* terminate_in_place(std::span<char> buffer, std::string_view piece) {
    const auto start = static_cast<std::size_t>(piece.data() - buffer.data());
    buffer[start + piece.size()] = '\0';
    return buffer.data() + start;
}

}  // namespace

extern "C" int32_t XQ_CALL GetNamedStringIndirect(const char* section, const char* entry, const char* file,
                                                  const char* secondFile, char* sectionBuffer,
                                                  uint32_t sectionCapacity, char* entryBuffer,
                                                  uint32_t entryCapacity) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (sectionBuffer == nullptr || entryBuffer == nullptr) return 0;
        ValueBuffer256 first{};
        const NamedValue reference = read_named_value(section, entry, first, file);
        if (reference.status != ValueStatus::found) return 0;
        const auto words = parse_reference(reference.text, sectionCapacity, entryCapacity);
        if (!words) return 0;
        put_word(sectionBuffer, words->section);
        put_word(entryBuffer, words->entry);
        if (secondFile == nullptr) return 1;

        // The two words become the names of the second lookup, terminated
        // inside the working buffer (so overlapping caller buffers are harmless).
        const char* second_section = terminate_in_place(first, words->section);
        const char* second_entry = terminate_in_place(first, words->entry);
        ValueBuffer256 second{};
        const NamedValue target = read_named_value(second_section, second_entry, second, secondFile);
        if (target.status != ValueStatus::found) return 0;
        const auto word = word_at(target.text, 1);
        if (!word || !fits_reference_buffer(word->text, entryCapacity)) return 0;
        put_word(entryBuffer, word->text);
        return 1;
    });
}
