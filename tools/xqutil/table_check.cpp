// The checks of one conversion table (see install_check.h).
#include <algorithm>
#include <cctype>

#include "command.h"
#include "config_access.h"
#include "ini_names.h"
#include "install_check.h"
#include "named/values.h"

namespace xqutil {
namespace {

// The longest ControlName the library reads.
constexpr std::size_t kControlNameLimit = 29;

// The row number of an entry name "Pos<k>" (letter case aside), or nullopt
// for other names.
std::optional<long long> row_number(std::string_view name) {
    if (name.size() < 4 || name.size() > 15) return std::nullopt;
    const std::string stem(name.substr(0, 3));
    if (!has_name({"Pos"}, stem)) return std::nullopt;
    const std::string_view digits = name.substr(3);
    if (!std::all_of(digits.begin(), digits.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        return std::nullopt;
    }
    return std::stoll(std::string(digits));
}

// True when the library's cell reader takes all of `cell`. The reader stops
// at the first character that does not belong to the number, so a digit
// appended changes the value only when the reader got to the end (two
// digits: one alone could wrap round to the same 32-bit value). A trailing
// "0x" is no number, though "0x1" would be.
bool whole_number(const std::string& cell) {
    const std::optional<int32_t> value = xq::named::scan_cell(cell);
    if (!value || cell.back() == 'x' || cell.back() == 'X') return false;
    return xq::named::scan_cell(cell + "1") != value || xq::named::scan_cell(cell + "2") != value;
}

std::string count_text(std::size_t n, const char* one) { return std::to_string(n) + " " + one + (n == 1 ? "" : "s"); }

class TableChecker {
public:
    explicit TableChecker(const TableSection& table) : table_(table) {}
    std::vector<Problem> run();

private:
    void add(std::string_view entry, std::string text) {
        problems_.push_back({table_.file, table_.section, std::string(entry), std::move(text)});
    }
    int32_t number(const char* entry) const {
        return LcvGetNamedInt(table_.section.c_str(), entry, table_.file.c_str());
    }
    // False when the rows cannot be looked at further.
    bool check_length(const std::vector<std::string>& entries);
    void check_rows(const std::vector<std::string>& entries, const std::vector<std::string>& columns);
    void check_cells(const std::string& row, const std::vector<std::string>& columns);
    void check_order(const std::string& row, int32_t control_value);
    void check_repeats();
    void check_control(const std::vector<std::string>& columns);
    void check_lengths(const std::vector<std::string>& columns);
    void check_scales(const std::vector<std::string>& columns);
    void check_limits();

    TableSection table_;
    int32_t length_ = 0;
    std::optional<std::size_t> control_;
    std::optional<std::pair<std::string, int32_t>> previous_;  // the last row read and its control value
    int direction_ = 0;                                        // +1 rising, -1 falling, 0 not known yet
    std::vector<Problem> problems_;
};

std::vector<Problem> TableChecker::run() {
    if (ExistFile(table_.file.c_str()) == 0) {
        problems_.push_back({table_.file, "", "", "cannot be opened"});
        return problems_;
    }
    const std::vector<std::string> entries =
        entry_names(table_.file, table_.section).value_or(std::vector<std::string>{});
    if (!has_name(entries, "TableLength")) {
        add("", "is no conversion table: it has no TableLength entry");
        return problems_;
    }
    const std::vector<std::string> columns = column_names(table_);
    if (columns.empty()) add("ColumnName", "missing: the table names no columns");
    const bool rows_fit = check_length(entries);
    check_control(columns);
    if (rows_fit) check_rows(entries, columns);
    check_repeats();
    check_lengths(columns);
    check_scales(columns);
    if (rows_fit && control_ && length_ >= 2) {
        try {
            check_limits();
        } catch (const ToolError& error) {
            add("", error.what());
        }
    }
    return problems_;
}

bool TableChecker::check_length(const std::vector<std::string>& entries) {
    length_ = number("TableLength");
    if (length_ < 2) {
        add("TableLength", "is " + std::to_string(length_) + ": a table needs at least two rows to convert anything");
    }
    if (length_ > static_cast<int32_t>(entries.size())) {
        add("TableLength", "is " + std::to_string(length_) + ", more than the section's " +
                               std::to_string(entries.size()) + " entries");
        return false;
    }
    return true;
}

void TableChecker::check_rows(const std::vector<std::string>& entries, const std::vector<std::string>& columns) {
    for (int32_t k = 1; k <= length_; ++k) {
        const std::string row = "Pos" + std::to_string(k);
        if (!has_name(entries, row)) {
            add(row, "missing: TableLength is " + std::to_string(length_));
            continue;
        }
        check_cells(row, columns);
    }
    for (const std::string& entry : entries) {
        const std::optional<long long> k = row_number(entry);
        if (k && (*k < 1 || *k > length_ || entry.substr(3) != std::to_string(*k))) {
            add(entry, "is not read: the rows are Pos1 ... Pos" + std::to_string(std::max(length_, 0)) +
                           " (TableLength " + std::to_string(length_) + ")");
        }
    }
}

void TableChecker::check_cells(const std::string& row, const std::vector<std::string>& columns) {
    const std::vector<std::string> cells = words_of(named_value(table_.file, table_.section, row).value_or(""));
    if (cells.size() < columns.size()) {
        add(row, "has " + count_text(cells.size(), "cell") + ", the table has " + count_text(columns.size(), "column") +
                     ": column " + columns[cells.size()] + " reads as 0");
    } else if (cells.size() > columns.size()) {
        add(row, "has " + count_text(cells.size(), "cell") + ", the table has " + count_text(columns.size(), "column") +
                     ": '" + cells[columns.size()] + "' and what follows are not read");
    }
    for (std::size_t j = 0; j < cells.size() && j < columns.size(); ++j) {
        if (whole_number(cells[j])) continue;
        add(row, "the cell '" + cells[j] + "' of column " + columns[j] +
                     " is not a number (decimal, 0x hexadecimal or 0 octal): the library reads it as " +
                     std::to_string(xq::named::scan_cell(cells[j]).value_or(0)));
    }
    if (control_ && *control_ < cells.size()) check_order(row, xq::named::scan_cell(cells[*control_]).value_or(0));
}

void TableChecker::check_order(const std::string& row, int32_t value) {
    if (previous_) {
        const auto& [before, last] = *previous_;
        const int step = value > last ? 1 : value < last ? -1 : 0;
        if (direction_ == 0) direction_ = step;
        if (step == 0 || step != direction_) {
            add(row, "the control column " + control_name(table_) + " goes from " + std::to_string(last) + " (" +
                         before + ") to " + std::to_string(value) + ": it must " + (direction_ < 0 ? "fall" : "rise") +
                         " strictly from row to row");
        }
    }
    previous_ = {row, value};
}

void TableChecker::check_repeats() {
    const std::vector<std::string> lines =
        entry_lines(table_.file, table_.section).value_or(std::vector<std::string>{});
    for (auto at = lines.begin(); at != lines.end(); ++at) {
        if (!row_number(*at)) continue;
        const auto same = [&](const std::string& name) { return has_name({name}, *at); };
        if (std::find_if(lines.begin(), at, same) != at) continue;
        const auto count = std::count_if(at, lines.end(), same);
        if (count > 1) add(*at, "is written " + std::to_string(count) + " times: the library reads the first only");
    }
}

void TableChecker::check_control(const std::vector<std::string>& columns) {
    const std::string control = control_name(table_);
    const std::string written = named_value(table_.file, table_.section, "ControlName").value_or("");
    if (written.empty()) {
        add("ControlName", "missing: the table has no control column");
        return;
    }
    const auto found = std::find(columns.begin(), columns.end(), control);
    if (found != columns.end()) {
        control_ = static_cast<std::size_t>(found - columns.begin());
        return;
    }
    std::string names;
    for (const std::string& column : columns) names += (names.empty() ? "" : " ") + column;
    add("ControlName",
        "'" + written + "' is not one of the columns (" + names + "; letter case counts)" +
            (written.size() > kControlNameLimit ? "; the library reads only its first 29 characters" : ""));
}

void TableChecker::check_lengths(const std::vector<std::string>& columns) {
    const int32_t max_name = number("MaxNameLen");
    const int32_t max_unit = number("MaxUnitLen");
    for (const std::string& column : columns) {
        if (static_cast<long long>(column.size()) > max_name) {
            add("ColumnName", "the name '" + column + "' has " + std::to_string(column.size()) +
                                  " characters, more than MaxNameLen " + std::to_string(max_name));
        }
    }
    const std::vector<std::string> units =
        words_of(named_value(table_.file, table_.section, "ColumnUnit").value_or(""));
    for (std::size_t k = 0; k < units.size() && k < columns.size(); ++k) {
        if (static_cast<long long>(units[k].size()) > max_unit) {
            add("ColumnUnit", "the unit '" + units[k] + "' of column " + columns[k] + " has " +
                                  std::to_string(units[k].size()) + " characters, more than MaxUnitLen " +
                                  std::to_string(max_unit));
        }
    }
}

void TableChecker::check_scales(const std::vector<std::string>& columns) {
    const struct {
        const char* entry;
        const char* what;
    } scales[] = {{"ColumnFactor", "factor"}, {"ColumnDivider", "divider"}};
    for (const auto& scale : scales) {
        for (std::size_t k = 0; k < columns.size(); ++k) {
            const int32_t value = LcvGetNamedArrayElement(table_.section.c_str(), scale.entry, 0,
                                                          static_cast<int32_t>(k + 1), table_.file.c_str());
            if (value == 0) {
                add(scale.entry, std::string("the ") + scale.what + " of column " + columns[k] +
                                     " is 0 (missing or not a number): every conversion through it gives 0");
            }
        }
    }
}

void TableChecker::check_limits() {
    const std::string control = control_name(table_);
    const ConversionBlock block(table_, control);
    const LcvDataHandle& h = *block.get();
    const auto range = control_range(h);
    if (!range) return;
    const int32_t low = LcvScaleInt(range->first, h.ControlDivider, h.ControlFactor);
    const int32_t high = LcvScaleInt(range->second, h.ControlDivider, h.ControlFactor);
    const struct {
        const char* entry;
        int32_t value;
    } limits[] = {{"MinPhyData", h.MinPhyData}, {"MaxPhyData", h.MaxPhyData}};
    for (const auto& limit : limits) {
        const int32_t position = LcvScaleInt(limit.value, h.ControlFactor, h.ControlDivider);
        if (position < range->first || position > range->second) {
            add(limit.entry, std::to_string(limit.value) + " lies outside the physical range " + std::to_string(low) +
                                 " ... " + std::to_string(high) + " of the control column " + control +
                                 ": its logical limit becomes 0");
        }
    }
}

}  // namespace

std::vector<Problem> check_table(const TableSection& table) { return TableChecker(table).run(); }

std::vector<Problem> row_problems(const TableSection& table) {
    std::vector<Problem> rows = check_table(table);
    std::erase_if(rows, [](const Problem& problem) { return !row_number(problem.entry); });
    return rows;
}

std::vector<std::string> table_sections(const std::string& file) {
    std::vector<std::string> tables;
    for (const std::string& section : section_names(file).value_or(std::vector<std::string>{})) {
        if (has_name(entry_names(file, section).value_or(std::vector<std::string>{}), "TableLength")) {
            tables.push_back(section);
        }
    }
    return tables;
}

}  // namespace xqutil
