// message: a text of the message catalogue, as SetError formats it.
#include <algorithm>
#include <array>
#include <iostream>
#include <iterator>

#include "command.h"
#include "xq_utils.h"

namespace xqutil {
namespace {

// The class of every report this library makes.
constexpr int32_t kErrorClass = 3;
// The code whose text stands in for codes without one.
constexpr int32_t kFallbackCode = 60000;

StatusRecord report(int32_t code, const std::array<const char*, 3>& inserts) {
    StatusRecord status{};
    int32_t flag = 0;
    SetError(&flag, 0, kErrorClass, code, inserts[0], inserts[1], inserts[2], &status);
    return status;
}

std::string text_of(const StatusRecord& status) {
    return std::string(std::begin(status.Text), std::find(std::begin(status.Text), std::end(status.Text), '\0'));
}

// The code whose text every catalogue has, to tell languages apart.
constexpr int32_t kNoErrorCode = 0;

// Warns on standard error when `language` is a language code other than
// English but the library gives the English text: its language module is
// missing or cannot be read. (The library takes any text that is not three
// characters long for English.)
void warn_missing_module(const std::string& language) {
    if (language.size() != 3 || language == "ENG") return;
    const std::string own = text_of(report(kNoErrorCode, {}));
    VOKSDKChangeLang("ENG");
    const std::string english = text_of(report(kNoErrorCode, {}));
    VOKSDKChangeLang(language.c_str());
    if (own == english) {
        std::cerr << "xqutil message: warning: the language module of " << language
                  << " is missing or cannot be read (it belongs beside the library): the texts are English\n";
    }
}

Exit run_message(const Arguments& arguments, Output& output) {
    const std::int32_t code = parse_number(arguments.positional[0], "CODE", 0, 0xFFFF);
    std::array<const char*, 3> inserts{};
    for (std::size_t i = 1; i < arguments.positional.size(); ++i) inserts[i - 1] = arguments.positional[i].c_str();
    const StatusRecord status = report(code, inserts);
    std::array<char, 20> language{};
    GetVortaLang(language.data(), static_cast<uint32_t>(language.size()));
    Record record;
    record.number("origin", "Origin", status.Origin).json_only();
    record.number("class", "Class", status.ErrorClass).json_only();
    record.number("code", "Code", status.ErrorCode).json_only();
    record.text("language", "Language", std::string(language.data())).json_only();
    record.text("text", "Text", text_of(status));
    output.report(record.bare());
    warn_missing_module(language.data());
    if (code != kFallbackCode && text_of(status) == text_of(report(kFallbackCode, {}))) {
        not_found("the catalogue has no text for code " + std::to_string(code) + "; the text above stands in");
    }
    return Exit::ok;
}

constexpr std::string_view kDetails = R"(Prints the catalogue text of message CODE (0 to 65535) as the library puts it
into a status record: in the language of this run (the registry value Lang,
or --lang), with each "%s" replaced by the next INSERT (at most three). With
no INSERT the text is shown as it stands, placeholders included. With --json
the record's origin (0), class (3) and code come too.

Exit status: 0 found; 1 the catalogue has no text for CODE (the stand-in text
"No error text found." is printed); 2 usage error.
)";

constexpr std::array<Command, 1> kCommands = {{
    {"message",
     "CODE [INSERT...]",
     "",
     "Show a message of the catalogue, with its inserts.",
     kDetails,
     {},
     1,
     4,
     run_message},
}};

}  // namespace

std::span<const Command> message_commands() { return kCommands; }

}  // namespace xqutil
