#include "conversion_table.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "command.h"
#include "config_access.h"
#include "entry_access.h"
#include "ini_names.h"
#include "named/values.h"
#include "suggest.h"

namespace xqutil {
namespace {

// The library reads ControlName into 30 bytes.
constexpr uint32_t kControlNameCapacity = 30;

std::string in_table(const TableSection& table) { return "section [" + table.section + "] of '" + table.file + "'"; }

// The `count` entries of one of the block's tables. The block's layout puts
// the tables at an even offset only, so they are read byte by byte.
std::vector<int32_t> table_entries(const int32_t* table, int32_t count) {
    std::vector<int32_t> entries(static_cast<std::size_t>(std::max(count, 0)));
    if (!entries.empty()) std::memcpy(entries.data(), table, entries.size() * sizeof(int32_t));
    return entries;
}

}  // namespace

void require_table(const TableSection& table) {
    require_file(table.file);
    const std::optional<std::vector<std::string>> entries = entry_names(table.file, table.section);
    if (!entries || !has_name(*entries, "TableLength")) {
        not_found(in_table(table) + " is no conversion table: it has no TableLength entry" +
                  entry_suggestion(table.file, table.section, "TableLength"));
    }
    const int32_t length = LcvGetNamedInt(table.section.c_str(), "TableLength", table.file.c_str());
    if (length < 0 || static_cast<std::size_t>(length) > entries->size()) {
        not_found("TableLength " + std::to_string(length) + " of " + in_table(table) + " does not fit the section's " +
                  std::to_string(entries->size()) + " entries");
    }
}

ConversionBlock::ConversionBlock(const TableSection& table, const std::string& column)
    : size_(LcvGetDataHandleSize(table.section.c_str(), table.file.c_str())) {
    if (size_ < sizeof(LcvDataHandle) || size_ > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) {
        not_found("the library gives no usable block size (" + std::to_string(size_) + " bytes) for " +
                  in_table(table));
    }
    storage_ = std::make_unique<std::max_align_t[]>((size_ + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t));
    if (LcvInitDataHandle(table.section.c_str(), table.file.c_str(), column.c_str(), get()) == 0) {
        not_found("the library refused to fill a block for " + in_table(table));
    }
}

std::vector<std::string> words_of(std::string_view value) {
    std::vector<std::string> words;
    for (auto word = xq::named::next_word(value, 0); word; word = xq::named::next_word(value, word->offset + word->text.size()))
        words.emplace_back(word->text);
    return words;
}

std::vector<std::string> column_names(const TableSection& table) {
    std::vector<char> buffer(kTextCapacity, '\0');
    if (LcvGetLogDataNames(table.section.c_str(), table.file.c_str(), buffer.data(), kTextCapacity, 0) == nullptr) {
        return {};
    }
    return words_of(buffer.data());
}

std::string control_name(const TableSection& table) {
    std::array<char, kControlNameCapacity> buffer{};
    GetNamedString(table.section.c_str(), "ControlName", buffer.data(), kControlNameCapacity, table.file.c_str());
    return std::string(buffer.data(), std::find(buffer.begin(), buffer.end(), '\0'));
}

int32_t column_number(const TableSection& table, const std::string& name) {
    return GetNamedSubstringIndex(table.section.c_str(), "ColumnName", name.c_str(), table.file.c_str());
}

ConversionTable read_table(const TableSection& table) {
    ConversionTable t;
    t.control_name = control_name(table);
    {
        const ConversionBlock block(table, t.control_name);
        const LcvDataHandle& h = *block.get();
        t.table_length = h.TableLength;
        t.max_name_length = h.MaxNameLen;
        t.max_unit_length = h.MaxUnitLen;
        t.block_size = block.size();
        t.min_physical = h.MinPhyData;
        t.max_physical = h.MaxPhyData;
    }
    for (const std::string& name : column_names(table)) {
        const ConversionBlock block(table, name);
        const LcvDataHandle& h = *block.get();
        TableColumn column{name, h.DataUnit, h.DataFactor, h.DataDivider, h.MinLogData, h.MaxLogData, {}};
        column.positions = table_entries(h.DataPos, h.TableLength);
        if (!t.control && name == t.control_name) t.control = t.columns.size();
        t.columns.push_back(std::move(column));
    }
    return t;
}

std::optional<std::pair<int32_t, int32_t>> control_range(const LcvDataHandle& handle) {
    if (handle.TableLength < 2) return std::nullopt;
    const std::vector<int32_t> positions = table_entries(handle.ControlPos, handle.TableLength);
    const auto [low, high] = std::minmax_element(positions.begin(), positions.end());
    return std::pair{*low, *high};
}

int32_t decimals_for(int32_t factor, int32_t divider) {
    int32_t decimals = 0;
    if (divider == 0) return decimals;
    for (int64_t scaled = std::abs(int64_t{divider}); decimals < 9 && scaled < std::abs(int64_t{factor}); ++decimals) {
        scaled *= 10;
    }
    return decimals;
}

std::string value_text(const ConversionBlock& block, int32_t value, int32_t decimals) {
    std::array<char, 128> buffer{};
    if (LcvToAsc(buffer.data(), static_cast<uint32_t>(buffer.size()), value, decimals, nullptr, block.get()) ==
        nullptr) {
        return "?";
    }
    return buffer.data();
}

}  // namespace xqutil
