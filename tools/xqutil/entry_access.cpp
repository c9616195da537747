#include "entry_access.h"

#include <algorithm>
#include <vector>

#include "command.h"
#include "config_access.h"
#include "suggest.h"
#include "xq_utils.h"

namespace xqutil {

Entry entry_argument(const Arguments& arguments) {
    return {find_file(arguments.positional.at(0)), arguments.positional.at(1), arguments.positional.at(2)};
}

std::string place(const Entry& e) {
    return "entry '" + e.entry + "' in section [" + e.section + "] of '" + e.file + "'";
}

Record entry_record(const Entry& e) {
    Record record;
    record.text("file", "File", e.file).json_only();
    record.text("section", "Section", e.section).json_only();
    record.text("entry", "Entry", e.entry).json_only();
    return record;
}

Delivered delivered(const char* buffer) {
    const char* end = std::find(buffer, buffer + kTextCapacity, '\0');
    const auto length = static_cast<std::size_t>(end - buffer);
    return {std::string(buffer, length), length + 1 >= kTextCapacity};
}

void require_file(const std::string& file) {
    if (ExistFile(file.c_str()) == 0) not_found("cannot open '" + file + "' for reading");
}

Delivered require_value(const Entry& e) {
    require_file(e.file);
    std::vector<char> buffer(kTextCapacity, '\0');
    if (GetNamedString(e.section.c_str(), e.entry.c_str(), buffer.data(), kTextCapacity, e.file.c_str()) == nullptr) {
        not_found("no value for " + place(e) + " (missing or empty)" + entry_suggestion(e.file, e.section, e.entry));
    }
    return delivered(buffer.data());
}

Delivered require_words(const Entry& e) {
    Delivered value = require_value(e);
    if (value.text.empty()) not_found(place(e) + " is commented out (its value begins with ';')");
    return value;
}

}  // namespace xqutil
