#include "convert/table_reads.h"

#include "frame/text_copy.h"
#include "named/int_scan.h"
#include "named/named_array.h"
#include "named/words.h"

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
