// check: validates a whole installation and reports every problem.
#include <array>

#include "command.h"
#include "install_check.h"

namespace xqutil {
namespace {

constexpr std::string_view kTable = "--table";

// The tables given on the command line: --table FILE SECTION [FILE SECTION ...].
std::vector<TableSection> given_tables(const Arguments& arguments) {
    const std::vector<std::string>& words = arguments.positional;
    if (!arguments.has(kTable)) {
        if (!words.empty()) usage_error("unexpected argument '" + words.front() + "'; tables go after --table");
        return {};
    }
    if (words.empty() || words.size() % 2 != 0) usage_error("--table needs FILE SECTION (pairs of them)");
    std::vector<TableSection> tables;
    for (std::size_t i = 0; i < words.size(); i += 2) tables.push_back({words[i], words[i + 1]});
    return tables;
}

Record problem_record(const Problem& problem) {
    const auto optional = [](const std::string& text) -> std::optional<std::string> {
        if (text.empty()) return std::nullopt;
        return text;
    };
    Record record;
    record.text("file", "File", problem.file);
    record.text("section", "Section", optional(problem.section));
    record.text("entry", "Entry", optional(problem.entry));
    record.text("problem", "Problem", problem.text);
    return record;
}

Exit run_check(const Arguments& arguments, Output& output) {
    const std::vector<TableSection> extra = given_tables(arguments);
    InstallationCheck check = check_installation();
    std::vector<TableSection> tables;
    for (const std::string& file : check.data_files) {
        for (const std::string& section : table_sections(file)) tables.push_back({file, section});
    }
    tables.insert(tables.end(), extra.begin(), extra.end());
    for (const TableSection& table : tables) {
        const std::vector<Problem> found = check_table(table);
        check.problems.insert(check.problems.end(), found.begin(), found.end());
    }
    Record record;
    if (output.json()) {
        std::vector<Record> problems;
        for (const Problem& problem : check.problems) problems.push_back(problem_record(problem));
        record.list("problems", "Problems", std::move(problems));
        record.number("tables_checked", "Tables checked", static_cast<std::int64_t>(tables.size()));
    } else {
        std::string lines;
        for (const Problem& problem : check.problems) lines += (lines.empty() ? "" : "\n") + problem_line(problem);
        record.text("problems", "", check.problems.empty() ? "no problems found" : lines).bare();
    }
    output.report(record);
    const std::size_t count = check.problems.size();
    if (count > 0) not_found(std::to_string(count) + (count == 1 ? " problem" : " problems") + " found");
    return Exit::ok;
}

constexpr std::array<OptionSpec, 1> kOptions = {{{kTable, Takes::nothing}}};

constexpr std::string_view kDetails =
    R"(Validates the installation that this run's settings name and prints every
problem on a line of its own, "FILE [SECTION] ENTRY: problem" (with --json an
array "problems" of objects with file, section, entry and problem), or "no
problems found". It checks:

  - the settings: the root directory and both configuration file names set;
  - both configuration files there;
  - every fitted component of [Configuration]: its physical entry, server
    section and next layer resolve in the physical configuration file, and
    its server, interface and data files exist under the root directory;
  - stand components (word 3 "M") have a configured stand, and the stand's
    entry is in section [Stand] of the physical file;
  - [OpticalPath]: ImagePathCount is the number of image paths, and
    ImagePathDeviceCount the number of devices they name, and the two counts
    come first (the library reads image path N at index N);
  - every conversion table (a section with TableLength) in the data files the
    configuration names, and each table given with --table: TableLength
    against the rows Pos1 ... Pos<TableLength>, each row's cells against the
    columns, ControlName among the columns, names and units within MaxNameLen
    and MaxUnitLen, factors and dividers not 0, and MinPhyData and MaxPhyData
    within the control column's physical range.

  --table FILE SECTION [FILE SECTION ...]
              also check these conversion tables

Exit status: 0 no problems; 1 problems found (the count goes to standard
error); 2 usage error.
)";

constexpr std::array<Command, 1> kCommands = {{
    {"check", "", "[--table FILE SECTION [FILE SECTION ...]]",
     "Validate the whole installation and report every problem.", kDetails, kOptions, 0, 64, run_check},
}};

}  // namespace

std::span<const Command> check_commands() { return kCommands; }

}  // namespace xqutil
