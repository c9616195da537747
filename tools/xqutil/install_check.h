// Validation of an installation: every problem found, placed at the file,
// section and entry where it stands.
#pragma once

#include <string>
#include <vector>

#include "conversion_table.h"

namespace xqutil {

struct Problem {
    std::string file;
    std::string section;  // empty: the file as a whole
    std::string entry;    // empty: the section as a whole
    std::string text;
};

// "FILE [SECTION] ENTRY: problem", leaving out what is empty.
std::string problem_line(const Problem& problem);

struct InstallationCheck {
    std::vector<Problem> problems;
    // The server data, global data and operational data files that the
    // configuration names and that exist, each once, in the order found.
    std::vector<std::string> data_files;
};

// Checks the installation that this run's settings name: the settings, the
// configuration files, every fitted component's physical entry, server
// section, next layer and files, the stand and the optical path.
InstallationCheck check_installation();

// The links of one fitted component that do not resolve: the physical
// configuration file, its physical entry, server section and next layer
// (the files they name aside). Empty when all resolve.
std::vector<Problem> component_links(const std::string& component);

// Checks one conversion table: its TableLength against its rows (missing,
// unread and repeated rows), the cells of each row (count, number notation),
// the control column's order, ControlName, the lengths of names and units, factors and
// dividers, and the physical limits against the control column.
std::vector<Problem> check_table(const TableSection& table);

// The problems of check_table that stand at rows (Pos<k> entries): what
// table and convert warn about.
std::vector<Problem> row_problems(const TableSection& table);

// The sections of `file` that have a TableLength entry.
std::vector<std::string> table_sections(const std::string& file);

}  // namespace xqutil
