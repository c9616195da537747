// Reading a conversion table section and filling a handle from it.
#include "convert/table.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "api/text_copy.h"
#include "convert/scaling.h"
#include "named/values.h"

namespace xq::convert {
namespace {

using named::NamedValue;
using named::ValueStatus;

// The longest name argument, and the longest name once the index is added.
constexpr std::size_t kNameArgumentLimit = 30;
constexpr std::size_t kBuiltNameLimit = 31;

// A word read with the "%li" conversion; 0 when it is no number or absent.
std::int32_t cell_value(std::string_view word) { return named::scan_cell(word).value_or(0); }

// Cell `column` of a row value; 0 without one.
std::int32_t cell_of(const NamedValue& row, std::int32_t column) {
    return row.status == ValueStatus::found ? cell_value(named::WordWalk(row.text).word(column)) : 0;
}

// The entry name that `entry_name` and `index` stand for, into `out`; false
// when the argument or the result is longer than a table name may be.
bool table_entry_name(const char* entry_name, std::int32_t index, named::ArrayName& out) {
    const std::string_view argument = bounded_text(entry_name, kNameArgumentLimit + 1);
    if (argument.size() > kNameArgumentLimit || !named::array_entry_name(argument, index, out)) return false;
    return bounded_text(out.data(), out.size()).size() <= kBuiltNameLimit;
}

}  // namespace

std::int32_t read_decimal(const EntrySource& source, const char* entry, std::span<char> working) {
    const NamedValue value = source.read(entry, working);
    return value.status == ValueStatus::found ? named::scan_decimal(value.text) : 0;
}

std::int32_t read_cell(const EntrySource& source, const char* entry_name, std::int32_t index, std::int32_t column) {
    if (entry_name == nullptr) return 0;
    named::ArrayName name{};
    if (!table_entry_name(entry_name, index, name)) return 0;
    LcvValueBuffer working{};
    return cell_of(source.read(name.data(), working), column);
}

void read_row(const EntrySource& source, std::int32_t k, std::span<const std::int32_t> columns,
              std::span<std::int32_t> cells) {
    LcvValueBuffer working;  // a read writes what it delivers; only the first byte is
    working[0] = '\0';      // ever looked at before that
    const NamedValue row = source.read_row(k, working);
    const std::string_view text = row.status == ValueStatus::found ? row.text : std::string_view();
    named::WordWalk words(text);
    for (std::size_t i = 0; i < columns.size() && i < cells.size(); ++i) cells[i] = cell_value(words.word(columns[i]));
}

std::int32_t read_word_number(const EntrySource& source, const char* entry, std::string_view word) {
    named::ValueBuffer200 working{};
    const NamedValue value = source.read(entry, working);
    return value.status == ValueStatus::found ? named::word_index(value.text, word) : 0;
}

bool read_word(const EntrySource& source, const char* entry, std::int32_t index, std::span<char> out) {
    named::ValueBuffer200 working{};
    const NamedValue value = source.read(entry, working);
    const auto word = value.status == ValueStatus::found ? named::word_at(value.text, index) : std::nullopt;
    if (!word) return false;
    copy_text(out.data(), static_cast<std::uint32_t>(out.size()), word->text);
    return true;
}

}  // namespace xq::convert

// Choices where a table section leaves room:
// - Negative sizes count as 0, here as in the block size, so the filling
//   never writes beyond the size reported for the same file.
// - The name area always holds a terminated text: a longer column name is
//   cut to MaxNameLen characters. The same for the unit area and MaxUnitLen.
// - A data column without a unit word (or no such column) has the empty
//   unit text, so no text shown for it carries another column's unit.
// - The padding byte before the tables is zero.
namespace xq::convert {
namespace {

// The handle's address fields and the block they point into.
char* block_of(LcvDataHandle& handle) { return static_cast<char*>(static_cast<void*>(&handle)); }
std::int32_t* table_at(char* address) { return static_cast<std::int32_t*>(static_cast<void*>(address)); }
char* table_bytes(std::int32_t* table) { return static_cast<char*>(static_cast<void*>(table)); }

std::string_view text_or_empty(const char* text) { return text != nullptr ? text : ""; }

// The capacity of an area that holds up to `length` characters.
std::uint32_t area(std::int32_t length) { return static_cast<std::uint32_t>(not_negative(length)) + 1; }

// The number of `name` among the column names; 0 when no column bears it.
std::int32_t column_number(const EntrySource& source, std::string_view name) {
    return read_word_number(source, "ColumnName", name);
}

void store_name(LcvDataHandle& handle, const char* column_name) {
    copy_text(handle.DataName, area(handle.MaxNameLen), text_or_empty(column_name));
}

void store_unit(const EntrySource& source, std::int32_t column, LcvDataHandle& handle) {
    const std::span<char> unit(handle.DataUnit, area(handle.MaxUnitLen));
    if (!read_word(source, "ColumnUnit", column, unit)) copy_text(unit.data(), area(handle.MaxUnitLen), "");
}

// The column's factor and divider, into `factor` and `divider`.
void read_scale(const EntrySource& source, std::int32_t column, std::int32_t& factor, std::int32_t& divider) {
    factor = read_cell(source, "ColumnFactor", 0, column);
    divider = read_cell(source, "ColumnDivider", 0, column);
}

// A table of the handle and the column it holds.
struct ColumnTable {
    std::int32_t column;
    std::int32_t* table;
};

// Rows 1 ... TableLength of each column into its table, one read per row.
template <std::size_t N>
void read_tables(const EntrySource& source, std::int32_t length, const std::array<ColumnTable, N>& tables) {
    std::array<std::int32_t, N> columns{};
    std::array<std::int32_t, N> cells{};
    for (std::size_t i = 0; i < N; ++i) columns[i] = tables[i].column;
    for (std::int32_t k = 1; k <= length; ++k) {
        read_row(source, k, columns, cells);
        for (std::size_t i = 0; i < N; ++i)
            store_cell(table_bytes(tables[i].table), static_cast<std::size_t>(k - 1), cells[i]);
    }
}

// The logical value at physical value `phy`, 0 outside the table.
std::int32_t logical_at(const LcvDataHandle& handle, std::int32_t phy) {
    const std::int32_t control = scale_int(phy, handle.ControlFactor, handle.ControlDivider);
    return interpolate(handle.TableLength, Cells(handle.ControlPos), Cells(handle.DataPos), control).value_or(0);
}

// MinLogData and MaxLogData from the physical limits, in order.
void update_logical_limits(LcvDataHandle& handle) {
    const std::int32_t a = logical_at(handle, handle.MinPhyData);
    const std::int32_t b = logical_at(handle, handle.MaxPhyData);
    handle.MinLogData = std::min(a, b);
    handle.MaxLogData = std::max(a, b);
}

}  // namespace

HandleSizes read_sizes(const EntrySource& source) {
    named::ValueBuffer200 working{};
    return {read_decimal(source, "TableLength", working), read_decimal(source, "MaxNameLen", working),
            read_decimal(source, "MaxUnitLen", working)};
}

bool fill_handle(const EntrySource& source, const char* column_name, LcvDataHandle& handle) {
    const std::optional<HandleLayout> layout = handle_layout(read_sizes(source));
    if (!layout) return false;
    std::array<char, 30> control_name{};
    const named::NamedValue control = source.read("ControlName", control_name);
    const std::int32_t control_column =
        control.status == named::ValueStatus::found ? column_number(source, control.text) : 0;
    const std::int32_t data_column = column_number(source, text_or_empty(column_name));

    char* block = block_of(handle);
    handle.MaxUnitLen = layout->sizes.max_unit_len;
    handle.TableLength = layout->sizes.table_length;
    handle.MaxNameLen = layout->sizes.max_name_len;
    handle.DataName = block + layout->name_offset;
    store_name(handle, column_name);
    handle.DataUnit = block + layout->unit_offset;
    store_unit(source, data_column, handle);
    const std::uint32_t unit_end = layout->unit_offset + area(handle.MaxUnitLen);
    std::memset(block + unit_end, 0, layout->control_offset - unit_end);
    handle.ControlPos = table_at(block + layout->control_offset);
    handle.DataPos = table_at(block + layout->data_offset);

    LcvValueBuffer working{};
    handle.MinPhyData = read_decimal(source, "MinPhyData", working);
    handle.MaxPhyData = read_decimal(source, "MaxPhyData", working);
    read_scale(source, control_column, handle.ControlFactor, handle.ControlDivider);
    read_scale(source, data_column, handle.DataFactor, handle.DataDivider);
    read_tables<2>(source, handle.TableLength, {{{control_column, handle.ControlPos}, {data_column, handle.DataPos}}});
    update_logical_limits(handle);
    return true;
}

void switch_data_column(const EntrySource& source, const char* column_name, LcvDataHandle& handle) {
    const std::int32_t data_column = column_number(source, text_or_empty(column_name));
    store_unit(source, data_column, handle);
    read_scale(source, data_column, handle.DataFactor, handle.DataDivider);
    read_tables<1>(source, handle.TableLength, {{{data_column, handle.DataPos}}});
    update_logical_limits(handle);
    store_name(handle, column_name);
}

}  // namespace xq::convert
