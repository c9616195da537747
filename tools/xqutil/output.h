// What a subcommand reports, and how: labelled lines for people, or one JSON
// object for scripts. Subcommands fill a Record; Output renders it.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace xqutil {

class Record;

// Not set (JSON null), text, whole number, yes/no, or a list of records.
using Value = std::variant<std::monostate, std::string, std::int64_t, bool, std::vector<Record>>;

struct Field {
    std::string key;    // JSON member name
    std::string label;  // text label
    Value value;
    std::string note;  // shown after the value in text only
    bool in_text = true;
};

class Record {
public:
    // nullopt reads "not set" (null in JSON).
    Record& text(std::string key, std::string label, std::optional<std::string> value);
    Record& number(std::string key, std::string label, std::int64_t value);
    Record& flag(std::string key, std::string label, bool value);
    Record& list(std::string key, std::string label, std::vector<Record> records);
    // Adds a note to the last field (text only).
    Record& note(std::string note);
    // Leaves the last field out of the text form.
    Record& json_only();
    // Text form shows the values alone, one per line, without labels.
    Record& bare();

    const std::vector<Field>& fields() const { return fields_; }
    bool is_bare() const { return bare_; }

private:
    Record& add(std::string key, std::string label, Value value);

    std::vector<Field> fields_;
    bool bare_ = false;
};

// Text is written as reported. JSON is held back until the run ends, so
// that a failure after a report joins it as its "error" member: stdout then
// holds one JSON object whatever happens.
class Output {
public:
    Output(std::ostream& out, bool json) : out_(out), json_(json) {}
    bool json() const { return json_; }
    // Settles the form once the command line is parsed.
    void use_json(bool json) { json_ = json; }
    void report(const Record& record);
    // Writes what is held back (JSON).
    void finish();
    // With JSON: writes what is held back (or an empty object) with the
    // member "error": {"code": status, "message": message, "command": command}
    // (no "command" when empty).
    void fail(int status, std::string_view message, std::string_view command);

private:
    std::ostream& out_;
    bool json_;
    std::optional<Record> held_;
};

// Paths as shown to the user. The library joins paths with backslashes on
// every platform; on Linux they are shown with slashes, which a shell can
// open, unless --raw asks for the library's text as it is.
void set_raw_paths(bool raw);
std::string shown_path(std::string path);
std::optional<std::string> shown_path(std::optional<std::string> path);

// `text` as a JSON string literal, quotes included. The library's texts are
// 8-bit: in the ANSI code page on Windows, which is turned into UTF-8 first;
// in UTF-8 on Linux. Valid UTF-8 passes unchanged and any other byte of 0x80
// or above becomes \u00XX. The result is always valid UTF-8.
std::string json_string(std::string_view text);

}  // namespace xqutil
