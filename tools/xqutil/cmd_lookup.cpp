// get and pos: reading named-entry files.
#include <array>
#include <cctype>
#include <cstdint>
#include <iostream>
#include <vector>

#include "command.h"
#include "suggest.h"
#include "entry_access.h"
#include "xq_utils.h"

namespace xqutil {
namespace {

constexpr std::string_view kWord = "--word";
constexpr std::string_view kField = "--field";
constexpr std::string_view kArray = "--array";
constexpr std::string_view kColumn = "--column";
constexpr std::string_view kInt = "--int";
constexpr std::string_view kIndirect = "--indirect";

// The longest entry name the library builds for a row of a family.
constexpr std::size_t kRowNameLimit = 39;

// True when `text` begins with an optional sign and a digit, after blanks:
// what the library can read a number from.
bool begins_with_number(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])) != 0) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    return i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0;
}

void warn_if_truncated(const Delivered& text) {
    if (text.truncated) {
        std::cerr << "xqutil get: the text fills the " << kTextCapacity - 1
                  << " characters the tool reads and may be longer\n";
    }
}

// The value, or one of its words or fields, as the last field of `record`.
void add_text(Record& record, const Delivered& text) {
    warn_if_truncated(text);
    record.text("value", "Value", text.text);
    record.flag("truncated", "Truncated", text.truncated).json_only();
}

Record get_value(const Entry& e) {
    Record record = entry_record(e);
    add_text(record, require_value(e));
    return record.bare();
}

Record get_word(const Entry& e, std::int32_t index) {
    require_words(e);
    std::vector<char> buffer(kTextCapacity, '\0');
    if (GetNamedSubstringString(e.section.c_str(), e.entry.c_str(), index, buffer.data(), kTextCapacity,
                                e.file.c_str()) == nullptr) {
        not_found("the value of " + place(e) + " has fewer than " + std::to_string(index) + " words");
    }
    Record record = entry_record(e);
    record.number("word", "Word", index).json_only();
    add_text(record, delivered(buffer.data()));
    return record.bare();
}

Record get_field(const Entry& e, std::int32_t index) {
    require_file(e.file);
    std::vector<char> buffer(kTextCapacity, '\0');
    int32_t flag = 0;
    StatusRecord status{};
    if (GetNamedData(e.section.c_str(), e.entry.c_str(), index, buffer.data(), kTextCapacity, e.file.c_str(), 0, &flag,
                     &status) == 0) {
        not_found(std::string(status.Text) + " (asked for field " + std::to_string(index) + ")");
    }
    Record record = entry_record(e);
    record.number("field", "Field", index).json_only();
    add_text(record, delivered(buffer.data()));
    return record.bare();
}

Record get_cell(const Entry& e, const Arguments& arguments) {
    const std::optional<std::int32_t> column = arguments.number(kColumn, 1, INT32_MAX);
    if (!column) usage_error("--array needs --column N");
    std::int32_t index = 0;
    std::string row = e.entry;
    if (e.entry.starts_with('%')) {
        const std::optional<std::int32_t> given = arguments.number(kArray, INT32_MIN, INT32_MAX);
        if (!given) usage_error("'" + e.entry + "' names a family of rows: give the row with --array INDEX");
        index = *given;
        row = e.entry.substr(1) + std::to_string(index);
        if (row.size() > kRowNameLimit) {
            usage_error("the row name '" + row + "' is longer than the " + std::to_string(kRowNameLimit) +
                        " characters the library allows");
        }
    } else if (arguments.has(kArray)) {
        usage_error("--array applies to entry names beginning with '%', such as %Pos");
    }
    const Entry row_entry{e.file, e.section, row};
    require_words(row_entry);
    std::vector<char> cell(kTextCapacity, '\0');
    if (GetNamedSubstringString(e.section.c_str(), row.c_str(), *column, cell.data(), kTextCapacity, e.file.c_str()) ==
        nullptr) {
        not_found("the row " + place(row_entry) + " has fewer than " + std::to_string(*column) + " cells");
    }
    const int32_t value = GetNamedArrayElement(e.section.c_str(), e.entry.c_str(), index, *column, e.file.c_str());
    if (value == 0 && !begins_with_number(cell.data())) {
        not_found("cell " + std::to_string(*column) + " of " + place(row_entry) + " is '" + cell.data() +
                  "', not a number");
    }
    Record record = entry_record(e);
    record.text("row", "Row", row).json_only();
    record.number("column", "Column", *column).json_only();
    record.text("cell", "Cell", std::string(cell.data())).json_only();
    record.number("value", "Value", value);
    return record.bare();
}

Record get_integer(const Entry& e) {
    const Delivered text = require_words(e);
    const int32_t value = GetNamedInt(e.section.c_str(), e.entry.c_str(), e.file.c_str());
    if (value == 0 && !begins_with_number(text.text)) {
        not_found("the value '" + text.text + "' of " + place(e) + " is not a whole number");
    }
    Record record = entry_record(e);
    record.number("value", "Value", value);
    return record.bare();
}

// The two words of the reference, or with `second` the referenced section
// and the first word of the referenced entry's value in that file.
std::optional<std::array<std::string, 2>> indirect(const Entry& e, const std::string* second) {
    std::vector<char> section(kTextCapacity, '\0'), entry(kTextCapacity, '\0');
    const int32_t found = GetNamedStringIndirect(e.section.c_str(), e.entry.c_str(), e.file.c_str(),
                                                 second != nullptr ? second->c_str() : nullptr, section.data(),
                                                 kTextCapacity, entry.data(), kTextCapacity);
    if (found == 0) return std::nullopt;
    return std::array<std::string, 2>{section.data(), entry.data()};
}

Record get_indirect(const Entry& e, const std::optional<std::string>& second) {
    require_file(e.file);
    if (second) require_file(*second);
    const auto reference = indirect(e, nullptr);
    if (!reference) {
        require_words(e);
        not_found("the value of " + place(e) + " is no reference: it needs two words, SECTION ENTRY");
    }
    Record record = entry_record(e);
    record.text("target_section", "Section", (*reference)[0]);
    record.text("target_entry", "Entry", (*reference)[1]);
    if (second) {
        const auto target = indirect(e, &*second);
        if (!target)
            not_found("the reference leads to " + place({*second, (*reference)[0], (*reference)[1]}) +
                      ", which has no value");
        record.text("second_file", "Second file", *second).json_only();
        record.text("value", "Value", (*target)[1]);
    }
    return record;
}

Exit run_get(const Arguments& arguments, Output& output) {
    const Entry e = entry_argument(arguments);
    const bool cell = arguments.has(kArray) || arguments.has(kColumn);
    const int modes =
        arguments.has(kWord) + arguments.has(kField) + cell + arguments.has(kInt) + arguments.has(kIndirect);
    if (modes > 1) usage_error("give only one of --word, --field, --array/--column, --int and --indirect");
    Record record;
    if (const auto word = arguments.number(kWord, 1, INT32_MAX)) {
        record = get_word(e, *word);
    } else if (const auto field = arguments.number(kField, 1, INT32_MAX)) {
        record = get_field(e, *field);
    } else if (cell) {
        record = get_cell(e, arguments);
    } else if (arguments.has(kInt)) {
        record = get_integer(e);
    } else if (arguments.has(kIndirect)) {
        record = get_indirect(e, arguments.value(kIndirect));
    } else {
        record = get_value(e);
    }
    output.report(record);
    return Exit::ok;
}

Exit run_pos(const Arguments& arguments, Output& output) {
    const Entry e = entry_argument(arguments);
    require_file(e.file);
    const uint32_t position = GetNamedStringPos(e.section.c_str(), e.entry.c_str(), e.file.c_str());
    if (position == 0) {
        not_found("no line for " + place(e) + " (names are matched at the start of the line, letter case included)" +
                  entry_suggestion(e.file, e.section, e.entry));
    }
    Record record = entry_record(e);
    record.number("position", "Position", position);
    output.report(record.bare());
    return Exit::ok;
}

constexpr std::array<OptionSpec, 6> kGetOptions = {{
    {kWord, Takes::value},
    {kField, Takes::value},
    {kArray, Takes::value},
    {kColumn, Takes::value},
    {kInt, Takes::nothing},
    {kIndirect, Takes::optional_value},
}};

constexpr std::string_view kGetDetails = R"(Prints one value of a named-entry (INI) file, read the way the kit's modules
read it: names compare without regard to letter case, trailing blanks are
dropped, and a value beginning with ';' reads as empty.

  --word N                 word N of the value (words are separated by blanks,
                           tabs and line breaks; counted from 1)
  --field N                comma-separated field N (field 1 ends at a comma,
                           later fields at a comma or an apostrophe; empty
                           fields do not count)
  --column N               cell N of the entry's row; cells read as C numbers
                           (0x10 is 16, 010 is 8)
  --array INDEX            with an entry name beginning with '%', e.g. %Pos,
                           the row Pos<INDEX> of that family (with --column)
  --int                    the value as a decimal whole number
  --indirect [SECONDFILE]  the section and entry the value's first two words
                           name; with SECONDFILE also the first word of that
                           entry's value there (give it after FILE SECTION
                           ENTRY, or as --indirect=SECONDFILE)

Values of more than 4095 characters are cut; the tool then says so.

Exit status: 0 found; 1 the file cannot be opened, or the entry, word, field
or cell is missing, commented out or not a number; 2 usage error.
)";

constexpr std::string_view kPosDetails = R"(Prints the byte position of the entry's line in FILE, as found by the line
scanner of the in-place rewrites (the position 'set' writes at). That scanner
compares names byte for byte at the start of the line, letter case included,
and over the name's length only: 'Pos1' also finds a line 'Pos10=5'.

Exit status: 0 found; 1 the file cannot be opened or has no such line;
2 usage error.
)";

constexpr std::array<Command, 2> kCommands = {{
    {"get", "FILE SECTION ENTRY",
     "[--word N | --field N | [--array INDEX] --column N | --int | --indirect [SECONDFILE]]",
     "Read a value of a named-entry file.", kGetDetails, kGetOptions, 3, 3, run_get},
    {"pos",
     "FILE SECTION ENTRY",
     "",
     "Show where an entry's line starts in a named-entry file.",
     kPosDetails,
     {},
     3,
     3,
     run_pos},
}};

}  // namespace

std::span<const Command> lookup_commands() { return kCommands; }

}  // namespace xqutil
