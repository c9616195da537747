// The reads of a conversion table section from any entry source, each one
// as the named-entry operation it stands for reads its entry.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "convert/entry_source.h"

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
