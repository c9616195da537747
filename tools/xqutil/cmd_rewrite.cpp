// set and copy: changing named-entry files. set rewrites a value in place,
// so a refused rewrite is explained by the room the value has in its line.
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "command.h"
#include "entry_access.h"
#include "named/in_place.h"
#include "named/values.h"
#include "platform/platform.h"
#include "xq_utils.h"

namespace xqutil {
namespace {

constexpr std::string_view kWord = "--word";
constexpr std::string_view kField = "--field";
constexpr std::string_view kInt = "--int";
constexpr std::string_view kNoOverwrite = "--no-overwrite";
constexpr std::string_view kForce = "--force";

// How the line scanner of the in-place rewrites finds an entry's line.
constexpr std::string_view kScannerRule =
    " (in-place rewrites match names at the start of the line, letter case included)";

// The longest value the library rewrites word by word.
constexpr std::size_t kWordValueLimit = 260;

std::string characters(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " character" : " characters");
}

// The room of the entry's value in its line (the characters after '='), or
// nullopt when the line cannot be found or read.
std::optional<std::size_t> value_room(const Entry& e) {
    const uint32_t position = GetNamedStringPos(e.section.c_str(), e.entry.c_str(), e.file.c_str());
    std::string contents;
    if (position == 0 || xq::os::file_read(e.file.c_str(), contents) != xq::os::ReadStatus::ok) return std::nullopt;
    const std::optional<xq::named::ValueField> field = xq::named::value_field(contents, position);
    if (!field) return std::nullopt;
    return field->size;
}

constexpr std::string_view kEditFile =
    "edit the file with a text editor to make room (an in-place rewrite keeps the file's length)";

// Why an in-place rewrite of `text` failed; always throws.
[[noreturn]] void explain_refused_rewrite(const Entry& e, std::string_view text) {
    const std::string where = place(e);
    const uint32_t position = GetNamedStringPos(e.section.c_str(), e.entry.c_str(), e.file.c_str());
    if (position == 0) {
        not_found("no line for " + where + std::string(kScannerRule));
    }
    std::string contents;
    if (xq::os::file_read(e.file.c_str(), contents) == xq::os::ReadStatus::ok) {
        const std::optional<xq::named::ValueField> field = xq::named::value_field(contents, position);
        if (!field) not_found("the line of " + where + " has no '='");
        const std::size_t room = field->size;
        if (text.size() > room) {
            not_found("a value of " + characters(text.size()) + " does not fit the room of " + characters(room) +
                      " in the line of " + where + ": give a value of at most " + characters(room) + ", or " +
                      std::string(kEditFile));
        }
    }
    not_found("could not write '" + e.file + "'");
}

void set_text(const Entry& e, const std::string& text) {
    if (RplNamedString(e.section.c_str(), e.entry.c_str(), text.c_str(), e.file.c_str()) == 0) {
        explain_refused_rewrite(e, text);
    }
}

void set_number(const Entry& e, const std::string& text) {
    const std::int32_t number = parse_number(text, "VALUE", INT32_MIN, INT32_MAX);
    if (RplNamedInt(e.section.c_str(), e.entry.c_str(), number, e.file.c_str()) == 0) {
        explain_refused_rewrite(e, std::to_string(number));
    }
}

void set_word(const Entry& e, std::int32_t index, const std::string& word) {
    if (word.empty() || std::any_of(word.begin(), word.end(), xq::named::is_word_separator)) {
        usage_error("--word replaces one word: VALUE may not be empty or hold blanks, tabs or line breaks");
    }
    if (RplNamedSubstringString(e.section.c_str(), e.entry.c_str(), index, word.c_str(), e.file.c_str()) != 0) {
        return;
    }
    const std::string where = place(e);
    const std::string value = require_words(e).text;
    if (value.size() > kWordValueLimit) {
        not_found("the value of " + where + " is longer than the " + std::to_string(kWordValueLimit) +
                  " characters a word rewrite handles");
    }
    const std::optional<xq::named::Piece> field = xq::named::word_field(value, index);
    if (!field) not_found("the value of " + where + " has fewer than " + std::to_string(index) + " words");
    if (word.size() > field->text.size()) {
        std::string whole(value);
        whole.replace(field->offset, field->text.size(), word);
        const std::optional<std::size_t> room = value_room(e);
        const std::string way = room && whole.size() <= *room
                                    ? "set the whole value without --word: '" + whole + "' fits the value's room of " +
                                          characters(*room)
                                    : std::string(kEditFile);
        not_found("a word of " + characters(word.size()) + " does not fit the room of " +
                  characters(field->text.size()) + " of word " + std::to_string(index) + " in the value of " + where +
                  ": give a word of at most " + characters(field->text.size()) + ", or " + way);
    }
    explain_refused_rewrite(e, value);  // the value keeps its length
}

// The entry's whole value as the library reads it now.
std::string read_back(const Entry& e);

// Refuses a field rewrite that would lose more than the field meant: a value
// without commas is one field, all of it, and a field beyond the last is none.
void guard_field(const Entry& e, std::int32_t index) {
    const std::string value = read_back(e);
    const std::string what = "the value '" + value + "' of " + place(e);
    const std::string ways = "; give --word N to change one word, leave out --field to set the whole value, or --force";
    if (value.find(',') == std::string::npos) {
        not_found(what + " has no commas: --field " + std::to_string(index) + " would replace all of it" + ways);
    }
    int count = 0;
    while (xq::named::field_at(value, count + 1)) ++count;
    if (index > count) {
        not_found(what + " has " + std::to_string(count) + " comma-separated fields, no field " +
                  std::to_string(index) + ways);
    }
}

void set_field(const Entry& e, std::int32_t index, const std::string& data, bool force) {
    if (!force) guard_field(e, index);
    int32_t flag = 0;
    StatusRecord status{};
    if (RplNamedData(e.section.c_str(), e.entry.c_str(), index, data.c_str(), e.file.c_str(), 0, &flag, &status) == 0) {
        not_found(std::string(status.Text) + " (asked for field " + std::to_string(index) + ")");
    }
}

// The entry's whole value as the library reads it now.
std::string read_back(const Entry& e) {
    std::vector<char> buffer(kTextCapacity, '\0');
    GetNamedString(e.section.c_str(), e.entry.c_str(), buffer.data(), kTextCapacity, e.file.c_str());
    return delivered(buffer.data()).text;
}

Exit run_set(const Arguments& arguments, Output& output) {
    const Entry e = entry_argument(arguments);
    const std::string& value = arguments.positional[3];
    if (arguments.has(kWord) + arguments.has(kField) + arguments.has(kInt) > 1) {
        usage_error("give only one of --word, --field and --int");
    }
    if (value.find_first_of("\r\n") != std::string::npos) usage_error("VALUE may not hold a line break");
    if (arguments.has(kForce) && !arguments.has(kField)) usage_error("--force goes with --field");
    require_file(e.file);
    if (const auto word = arguments.number(kWord, 1, INT32_MAX)) {
        set_word(e, *word, value);
    } else if (const auto field = arguments.number(kField, 1, INT32_MAX)) {
        set_field(e, *field, value, arguments.has(kForce));
    } else if (arguments.has(kInt)) {
        set_number(e, value);
    } else {
        set_text(e, value);
    }
    Record record;
    record.text("file", "File", e.file).text("section", "Section", e.section).text("entry", "Entry", e.entry);
    record.text("value", "Value now", read_back(e));
    output.report(record);
    return Exit::ok;
}

Exit run_copy(const Arguments& arguments, Output& output) {
    const std::string& existing = arguments.positional[0];
    const std::string& target = arguments.positional[1];
    const bool keep = arguments.has(kNoOverwrite);
    if (DoubleFile(target.c_str(), existing.c_str(), keep ? 1 : 0) == 0) {
        require_file(existing);
        if (keep && ExistFile(target.c_str()) != 0) not_found("'" + target + "' exists already (--no-overwrite)");
        not_found("could not copy '" + existing + "' to '" + target + "'");
    }
    Record record;
    record.text("from", "Copied", existing).text("to", "To", target);
    output.report(record);
    return Exit::ok;
}

constexpr std::array<OptionSpec, 4> kSetOptions = {{
    {kWord, Takes::value},
    {kField, Takes::value},
    {kInt, Takes::nothing},
    {kForce, Takes::nothing},
}};

constexpr std::array<OptionSpec, 1> kCopyOptions = {{{kNoOverwrite, Takes::nothing}}};

constexpr std::string_view kSetDetails =
    R"(Writes VALUE into the entry's line of a named-entry (INI) file and prints the
value as it now reads.

Without --field the rewrite is in place: the file keeps its length and every
other byte, so the new value must fit the room of the old one in its line (the
characters after '='); a shorter value is padded with leading blanks. The
entry's line is found by names compared at the start of the line, letter case
included (see 'xqutil pos').

  --word N    replace word N of the value (counted from 1); the new word must
              fit the old word and the blanks directly before it
  --int       VALUE is a whole number, written in decimal
  --field N   replace comma-separated field N (empty fields count here) and
              write the whole line anew; the value may grow. A value without
              commas, or with fewer than N fields, is refused: field 1 of it
              would be all of it
  --force     with --field: rewrite all the same

A value too long for its room can be written only by editing the file; a word
too long for its room fits when the whole value, written without --word, does.

Exit status: 0 written; 1 the file cannot be opened, the entry, word or field
is missing, the value does not fit, or the file cannot be written; 2 usage
error.
)";

constexpr std::string_view kCopyDetails = R"(Copies the file EXISTING to NEW, replacing NEW when it exists.

  --no-overwrite   leave an existing NEW alone and fail

Exit status: 0 copied; 1 EXISTING cannot be read, NEW exists (with
--no-overwrite) or the copy failed; 2 usage error.
)";

constexpr std::array<Command, 2> kCommands = {{
    {"set", "FILE SECTION ENTRY VALUE", "[--word N | --field N [--force] | --int]",
     "Rewrite a value of a named-entry file in place.", kSetDetails, kSetOptions, 4, 4, run_set},
    {"copy", "EXISTING NEW", "[--no-overwrite]", "Copy a file.", kCopyDetails, kCopyOptions, 2, 2, run_copy},
}};

}  // namespace

std::span<const Command> rewrite_commands() { return kCommands; }

}  // namespace xqutil
