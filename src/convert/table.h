// Conversion tables: where a table section's entries come from, how each is
// read, and the handle block they fill.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "named/values.h"
#include "platform/platform.h"
#include "xq_utils.h"

// Where the entries of one section of a named-entry file are read from: the
// file itself, opened afresh for every entry, or one reading of it
// (SectionSnapshot below). Both deliver exactly what read_named_value delivers.
namespace xq::convert {

// The array entry of table rows: row k is the entry "Pos" followed by k.
inline constexpr std::string_view kRowEntry = "%Pos";
inline constexpr std::string_view kRowStem = kRowEntry.substr(1);

class EntrySource {
public:
    virtual ~EntrySource() = default;
    // The entry's value cut to buffer.size() - 1 characters, with the value
    // conventions, as read_named_value delivers it for the section and file.
    // The text lies in the buffer or in the source itself, and stays valid
    // while both do.
    virtual named::NamedValue read(const char* entry, std::span<char> buffer) const = 0;
    // The same for table row k (k >= 1).
    virtual named::NamedValue read_row(std::int32_t k, std::span<char> buffer) const {
        named::ArrayName name{};
        named::array_entry_name(kRowEntry, k, name);  // "Pos" and at most 11 characters fit
        return read(name.data(), buffer);
    }
};

// Reads every entry from the file, afresh.
class FileEntries final : public EntrySource {
public:
    FileEntries(const char* section, const char* file) : section_(section), file_(file) {}
    named::NamedValue read(const char* entry, std::span<char> buffer) const override {
        return named::read_named_value(section_, entry, buffer, file_);
    }

private:
    const char* section_;
    const char* file_;
};

}  // namespace xq::convert

// One reading of a named-entry file that answers for the entries of one
// section as reading each of them from the file would, so a conversion table
// of n rows costs one read and one pass over the section instead of n reads.
namespace xq::convert {

class SectionSnapshot final : public EntrySource {
public:
    // Reads `file` once (a file that cannot be opened reads as such for
    // every entry). `section` must outlive the snapshot.
    SectionSnapshot(const char* section, const char* file);
    // Over file contents already in memory, for tests and fuzzing.
    SectionSnapshot(const char* section, std::string_view contents);
    SectionSnapshot(const SectionSnapshot&) = delete;
    SectionSnapshot& operator=(const SectionSnapshot&) = delete;

    named::NamedValue read(const char* entry, std::span<char> buffer) const override;
    named::NamedValue read_row(std::int32_t k, std::span<char> buffer) const override;

private:
    struct Entry {
        std::string_view name;
        std::string_view value;  // trimmed, quotes kept, as the line holds it
    };
    struct Row {
        std::int32_t number;
        std::string_view value;
    };

    void index();
    std::optional<std::string_view> find(std::string_view name) const;
    std::optional<std::string_view> find_row(std::int32_t number) const;

    const char* section_;
    os::FileBytes bytes_;
    std::string_view contents_;
    bool opened_ = false;
    bool wide_ = false;         // UTF-16 file: each read goes through the reader
    std::vector<Entry> others_; // entries that are no row, in file order
    std::vector<Row> rows_;     // by number when rows_dense_, else sorted, first of each number
    bool rows_dense_ = true;    // rows_[k - 1] is row k
};

}  // namespace xq::convert

// The reads of a conversion table section from any entry source, each one
// as the named-entry operation it stands for reads its entry.
namespace xq::convert {

// The value capacity of the Lcv reads (LcvGetNamedInt, LcvGetNamedArrayElement).
using LcvValueBuffer = std::array<char, 261>;

// The value as a decimal integer (GetNamedInt with a 200-character working
// buffer, LcvGetNamedInt with LcvValueBuffer); 0 when there is none.
std::int32_t read_decimal(const EntrySource& source, const char* entry, std::span<char> working);

// Cell `column` (from 1) of a table row, like LcvGetNamedArrayElement: entry
// `entry_name`, or for "%Name" the entry Name followed by `index`. A name
// argument of more than 30 characters, or a built name of more than 31,
// reads nothing. 0 when there is no such cell.
std::int32_t read_cell(const EntrySource& source, const char* entry_name, std::int32_t index, std::int32_t column);

// Cells columns[i] of table row k (the "%Pos" member k) into cells[i], each
// as read_cell reads it, from one read of the row.
void read_row(const EntrySource& source, std::int32_t k, std::span<const std::int32_t> columns,
              std::span<std::int32_t> cells);

// The number (from 1) of `word` among the words of the entry, like
// GetNamedSubstringIndex; 0 when absent.
std::int32_t read_word_number(const EntrySource& source, const char* entry, std::string_view word);

// Word `index` of the entry into `out` with the library's text copy, like
// GetNamedSubstringString; false (out untouched) when there is no such word.
bool read_word(const EntrySource& source, const char* entry, std::int32_t index, std::span<char> out);

}  // namespace xq::convert

// Where the parts of a conversion handle's block lie: the header
// (LcvDataHandle), the name area, the unit area, padding to an even offset,
// the control table and the data table.
namespace xq::convert {

// The sizes a table section asks for; a negative one counts as 0.
struct HandleSizes {
    std::int32_t table_length;
    std::int32_t max_name_len;
    std::int32_t max_unit_len;
};

struct HandleLayout {
    HandleSizes sizes;  // as used: none negative
    std::uint32_t name_offset;
    std::uint32_t unit_offset;
    std::uint32_t control_offset;
    std::uint32_t data_offset;
    std::uint32_t size;  // of the whole block, even
};

// Blocks beyond this size are refused rather than wrapped.
inline constexpr std::uint64_t kLargestBlock = std::numeric_limits<std::int32_t>::max();

constexpr std::int32_t not_negative(std::int32_t v) { return v < 0 ? 0 : v; }

// The layout for `sizes` behind a header of `header` bytes; nullopt when the
// block would be larger than kLargestBlock.
constexpr std::optional<HandleLayout> handle_layout(HandleSizes sizes,
                                                    std::uint64_t header = sizeof(LcvDataHandle)) {
    const HandleSizes used{not_negative(sizes.table_length), not_negative(sizes.max_name_len),
                           not_negative(sizes.max_unit_len)};
    const std::uint64_t unit = header + static_cast<std::uint64_t>(used.max_name_len) + 1;
    const std::uint64_t control = (unit + static_cast<std::uint64_t>(used.max_unit_len) + 1 + 1) / 2 * 2;
    const std::uint64_t data = control + 4 * static_cast<std::uint64_t>(used.table_length);
    const std::uint64_t size = data + 4 * static_cast<std::uint64_t>(used.table_length);
    if (size > kLargestBlock) return std::nullopt;
    return HandleLayout{used,
                        static_cast<std::uint32_t>(header),
                        static_cast<std::uint32_t>(unit),
                        static_cast<std::uint32_t>(control),
                        static_cast<std::uint32_t>(data),
                        static_cast<std::uint32_t>(size)};
}

// The layout for both pointer sizes, checked at build time.
constexpr std::uint32_t layout_at(std::uint32_t offset32, std::uint32_t offset64) {
    return sizeof(void*) == 4 ? offset32 : offset64;
}
// The block behind the header: name area, unit area, a padding byte when the
// tables would start at an odd offset, control table, data table.
static_assert(handle_layout({0, 0, 0})->size == layout_at(70, 98));  // a missing table
static_assert(handle_layout({3, 10, 5})->control_offset == layout_at(86, 114));  // padded, 2 mod 4
static_assert(handle_layout({3, 10, 5})->data_offset == layout_at(98, 126));
static_assert(handle_layout({3, 10, 5})->size == layout_at(110, 138));
static_assert(handle_layout({3, 10, 4})->size == layout_at(108, 136));  // no padding
static_assert(handle_layout({-3, -10, -4})->size == handle_layout({0, 0, 0})->size);
static_assert(!handle_layout({0x7FFFFFFF, 0, 0}) && !handle_layout({0, 0x7FFFFFFF, 0}));

}  // namespace xq::convert

// Filling a conversion handle from a table section, and switching it to
// another data column of the same section.
namespace xq::convert {

// "TableLength", "MaxNameLen" and "MaxUnitLen", read as GetNamedInt reads them.
HandleSizes read_sizes(const EntrySource& source);

// Fills the block at `handle` (as large as handle_layout gives for the same
// section) for the data column `column_name`. Writes nothing and returns
// false when the section's sizes are refused.
bool fill_handle(const EntrySource& source, const char* column_name, LcvDataHandle& handle);

// Makes `column_name` the data column of a filled handle: its name, unit,
// factor, divider and table, and the logical limits that follow from them.
void switch_data_column(const EntrySource& source, const char* column_name, LcvDataHandle& handle);

}  // namespace xq::convert
