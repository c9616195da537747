// Filling a conversion handle from a table section, and switching it to
// another data column of the same section.
#pragma once

#include "convert/entry_source.h"
#include "convert/handle_layout.h"
#include "xq_utils.h"

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
