// A logical/physical conversion table as the library reads it: the data
// block it fills for one data column, and the whole table column by column.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xq_utils.h"

namespace xqutil {

// A table section of a named-entry file.
struct TableSection {
    std::string file;
    std::string section;
};

// Fails (exit 1) unless `file` can be opened and `section` is a conversion
// table (has a TableLength entry whose value does not exceed the entries of
// the section, so that no block is made for rows that cannot be there).
void require_table(const TableSection& table);

// A conversion data block of the size the library asks for, filled by the
// library for one data column. The block refers to itself; it stays where it
// was allocated when this object moves.
class ConversionBlock {
public:
    // Fails (exit 1) when the library gives no usable size or refuses to fill.
    ConversionBlock(const TableSection& table, const std::string& column);

    LcvDataHandle* get() const { return reinterpret_cast<LcvDataHandle*>(storage_.get()); }
    LcvDataHandle* operator->() const { return get(); }
    std::uint32_t size() const { return size_; }

private:
    std::unique_ptr<std::max_align_t[]> storage_;
    std::uint32_t size_ = 0;
};

// The words of a value, split as the library's word lookups split them (at
// blanks, tabs, CR and LF).
std::vector<std::string> words_of(std::string_view value);

// The column names of the table (LcvGetLogDataNames), in column order.
std::vector<std::string> column_names(const TableSection& table);

// The control column's name as the library reads it (at most 29 characters).
std::string control_name(const TableSection& table);

// The number of `name` among the columns (from 1), 0 when it is none.
int32_t column_number(const TableSection& table, const std::string& name);

struct TableColumn {
    std::string name;
    std::string unit;  // as the library keeps it (cut to MaxUnitLen)
    int32_t factor = 0;
    int32_t divider = 0;
    int32_t min_logical = 0;
    int32_t max_logical = 0;
    std::vector<int32_t> positions;  // the column's cell of each row
};

// The whole table: the library's block filled for each column in turn.
struct ConversionTable {
    int32_t table_length = 0;
    int32_t max_name_length = 0;
    int32_t max_unit_length = 0;
    std::uint32_t block_size = 0;
    std::string control_name;
    std::optional<std::size_t> control;  // index into columns; nullopt when ControlName is no column
    int32_t min_physical = 0;
    int32_t max_physical = 0;
    std::vector<TableColumn> columns;
};

// Reads the table through the library (after require_table).
ConversionTable read_table(const TableSection& table);

// The smallest and largest control position of a filled block; nullopt for
// a table of fewer than two rows, which converts nothing.
std::optional<std::pair<int32_t, int32_t>> control_range(const LcvDataHandle& handle);

// Fraction digits that show a column's positions in its unit exactly: the
// fewest d with divider * 10^d >= factor (at most 9).
int32_t decimals_for(int32_t factor, int32_t divider);

// LcvToAsc of `value` with `decimals` fraction digits and the block's unit;
// "?" when the text does not fit.
std::string value_text(const ConversionBlock& block, int32_t value, int32_t decimals);

}  // namespace xqutil
