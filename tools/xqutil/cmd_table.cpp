// table and convert: logical/physical conversion tables through the
// library's conversion data block.
#include <array>
#include <iostream>
#include <vector>

#include "command.h"
#include "config_access.h"
#include "conversion_table.h"
#include "install_check.h"
#include "suggest.h"
#include "text_columns.h"

namespace xqutil {
namespace {

constexpr std::string_view kToPhy = "--to-phy";
constexpr std::string_view kToLog = "--to-log";
constexpr std::string_view kText = "--text";
constexpr std::string_view kDecimals = "--decimals";

TableSection table_argument(const Arguments& arguments) {
    return {find_file(arguments.positional.at(0)), arguments.positional.at(1)};
}

// Warns on standard error of each row fault of the table: the library reads
// such rows all the same, so its results may be wrong positions.
void warn_rows(std::string_view command, const TableSection& table) {
    for (const Problem& problem : row_problems(table)) {
        std::cerr << "xqutil " << command << ": warning: " << problem_line(problem) << '\n';
    }
}

std::string row_name(std::size_t row) { return "Pos" + std::to_string(row + 1); }

std::string range_text(int32_t low, int32_t high) { return std::to_string(low) + " ... " + std::to_string(high); }

Record column_record(const TableColumn& c, bool control) {
    Record record;
    record.text("name", "Name", c.name).text("unit", "Unit", c.unit);
    record.number("factor", "Factor", c.factor).number("divider", "Divider", c.divider);
    record.flag("control", "Control", control);
    record.number("min_logical", "Min logical", c.min_logical).number("max_logical", "Max logical", c.max_logical);
    return record;
}

Record row_record(const TableSection& table, const ConversionTable& t, std::size_t row) {
    Record record;
    const std::string name = row_name(row);
    record.text("entry", "Entry", name).text("text", "Text", named_value(table.file, table.section, name));
    std::vector<Record> cells;
    for (const TableColumn& c : t.columns) {
        cells.push_back(Record().text("column", "Column", c.name).number("value", "Value", c.positions[row]));
    }
    return record.list("cells", "Cells", std::move(cells));
}

// Both tables of the text form: the columns, then the rows.
std::string table_text(const TableSection& table, const ConversionTable& t) {
    std::vector<std::vector<std::string>> columns = {{"Column", "Unit", "Factor", "Divider", "Logical limits", ""}};
    for (std::size_t i = 0; i < t.columns.size(); ++i) {
        const TableColumn& c = t.columns[i];
        const ConversionBlock block(table, c.name);
        const int32_t decimals = decimals_for(c.factor, c.divider);
        columns.push_back({c.name, c.unit, std::to_string(c.factor), std::to_string(c.divider),
                           range_text(c.min_logical, c.max_logical),
                           value_text(block, c.min_logical, decimals) + " ... " +
                               value_text(block, c.max_logical, decimals) + (t.control == i ? "  (control)" : "")});
    }
    std::vector<std::vector<std::string>> rows(1, {"Row"});
    for (const TableColumn& c : t.columns) rows[0].push_back(c.name);
    for (std::size_t row = 0; row < static_cast<std::size_t>(t.table_length); ++row) {
        rows.push_back({row_name(row)});
        for (const TableColumn& c : t.columns) rows.back().push_back(std::to_string(c.positions[row]));
    }
    std::vector<bool> numbers(rows[0].size(), true);
    numbers[0] = false;
    return "\n" + text_columns(columns, {false, false, true, true}) + "\n\n" + text_columns(rows, numbers);
}

Exit run_table(const Arguments& arguments, Output& output) {
    const TableSection table = table_argument(arguments);
    require_table(table);
    warn_rows("table", table);
    const ConversionTable t = read_table(table);
    Record record;
    record.text("file", "File", table.file).text("section", "Section", table.section);
    record.number("table_length", "Rows", t.table_length);
    record.number("max_name_length", "Longest name", t.max_name_length).json_only();
    record.number("max_unit_length", "Longest unit", t.max_unit_length).json_only();
    record.number("block_size", "Block size", t.block_size).note("bytes");
    record.text("control_column", "Control column", t.control_name).note(t.control ? "" : "not a column");
    record.number("min_physical", "Min physical", t.min_physical).json_only();
    record.number("max_physical", "Max physical", t.max_physical).json_only();
    if (output.json()) {
        std::vector<Record> columns, rows;
        for (std::size_t i = 0; i < t.columns.size(); ++i)
            columns.push_back(column_record(t.columns[i], t.control == i));
        for (std::size_t row = 0; row < static_cast<std::size_t>(t.table_length); ++row) {
            rows.push_back(row_record(table, t, row));
        }
        record.list("columns", "Columns", std::move(columns)).list("rows", "Rows", std::move(rows));
        output.report(record);
    } else {
        record.text("physical_limits", "Physical limits", range_text(t.min_physical, t.max_physical));
        output.report(record);
        output.report(Record().text("table", "", table_text(table, t)).bare());
    }
    if (t.columns.empty()) not_found("section [" + table.section + "] of '" + table.file + "' names no columns");
    return Exit::ok;
}

constexpr std::string_view kTooShort = "the table has fewer than two rows, so the library converts every value to 0";

// Why the block cannot convert the physical value back; empty when it can.
std::string outside_table(const LcvDataHandle& h, int32_t physical) {
    const auto range = control_range(h);
    if (!range) return std::string(kTooShort);
    const int32_t position = LcvScaleInt(physical, h.ControlFactor, h.ControlDivider);
    if (position >= range->first && position <= range->second) return {};
    return "the physical value " + std::to_string(physical) + " lies outside the table (control positions " +
           range_text(range->first, range->second) + "), so the library converts it to 0";
}

Exit run_convert(const Arguments& arguments, Output& output) {
    const TableSection table = table_argument(arguments);
    const std::string& column = arguments.positional[2];
    const auto to_phy = arguments.number(kToPhy, INT32_MIN, INT32_MAX);
    const auto to_log = arguments.number(kToLog, INT32_MIN, INT32_MAX);
    if (to_phy.has_value() == to_log.has_value()) usage_error("give one of --to-phy VALUE and --to-log VALUE");
    const auto decimals = arguments.number(kDecimals, 0, 9);
    if (decimals && !arguments.has(kText)) usage_error("--decimals goes with --text");
    require_table(table);
    if (column_number(table, column) == 0) {
        not_found("'" + column + "' is not a column of section [" + table.section + "] of '" + table.file +
                  "' (letter case counts)" + suggestion(column_names(table), column));
    }
    warn_rows("convert", table);
    const ConversionBlock block(table, column);
    LcvDataHandle& h = *block.get();
    std::string failure;
    if (to_phy) {
        LcvLogToPhy(*to_phy, &h);
        if (!control_range(h)) failure = kTooShort;
    } else {
        LcvPhyToLog(*to_log, &h);
        failure = outside_table(h, *to_log);
    }
    Record record;
    record.text("column", "Column", column).note(h.DataUnit);
    if (to_phy) {
        record.number("logical", "Logical value", *to_phy);
        if (h.LogData != *to_phy) {
            record.note("held to the logical limits " + range_text(h.MinLogData, h.MaxLogData) + ": " +
                        std::to_string(h.LogData));
        }
        record.number("logical_used", "", h.LogData).json_only();
        record.number("physical", "Physical value", h.PhyData);
    } else {
        record.number("physical", "Physical value", *to_log);
        record.number("logical", "Logical value", h.LogData);
    }
    // No text for a conversion that failed: the 0 it gives is no position.
    if (arguments.has(kText) && !failure.empty()) {
        record.text("text", "Text", std::nullopt).json_only();
    } else if (arguments.has(kText)) {
        record.text("text", "Text",
                    value_text(block, h.LogData, decimals.value_or(decimals_for(h.DataFactor, h.DataDivider))));
    }
    output.report(record);
    if (!failure.empty()) not_found(failure);
    return Exit::ok;
}

constexpr std::array<OptionSpec, 4> kConvertOptions = {{
    {kToPhy, Takes::value},
    {kToLog, Takes::value},
    {kText, Takes::nothing},
    {kDecimals, Takes::value},
}};

constexpr std::string_view kTableDetails =
    R"(Shows the logical/physical conversion table in section SECTION of FILE as the
library reads it: the number of rows, the size of the conversion data block,
the control column (tied to the physical values) and the physical limits;
every column with its unit, factor, divider and logical limits (the column's
values at the physical limits, also as text in its unit); and the rows
Pos1 ... Pos<TableLength>, each cell as the library reads it. A position p of
a column stands for p * divider / factor in the column's unit. With --json the
rows come with their text as written in the file.

Exit status: 0 shown; 1 FILE cannot be opened, SECTION has no TableLength (or
one larger than its entries), the library gives no usable block size, or the
table names no columns; 2 usage error.
)";

constexpr std::string_view kConvertDetails =
    R"(Converts one value through the conversion table in section SECTION of FILE,
with COLUMN as the data column (its name as in ColumnName, letter case
included).

  --to-phy VALUE  VALUE is a logical value (a position of COLUMN): it is held
                  to the column's logical limits and converted to a physical
                  value, which is held to the physical limits
  --to-log VALUE  VALUE is a physical value: converted to a logical value;
                  outside the table the library gives 0
  --text          also show the logical value as text in COLUMN's unit
  --decimals N    with --text: N fraction digits (0 to 9; default: as many as
                  the column's factor and divider call for)

Exit status: 0 converted; 1 FILE cannot be opened, SECTION is no conversion
table, COLUMN is not one of its columns, or the physical value lies outside
the table (the result 0 is shown all the same); 2 usage error.
)";

constexpr std::array<Command, 2> kCommands = {{
    {"table",
     "FILE SECTION",
     "",
     "Show a conversion table: columns, units, factors, limits and rows.",
     kTableDetails,
     {},
     2,
     2,
     run_table},
    {"convert", "FILE SECTION COLUMN", "(--to-phy VALUE | --to-log VALUE) [--text [--decimals N]]",
     "Convert a value between logical and physical through a conversion table.", kConvertDetails, kConvertOptions, 3, 3,
     run_convert},
}};

}  // namespace

std::span<const Command> table_commands() { return kCommands; }

}  // namespace xqutil
