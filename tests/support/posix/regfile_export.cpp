#include "support/posix/regfile_export.h"

#include "platform/regfile/regfile.h"

namespace xq::regfile {

std::string export_file(const Registry& registry, Format format, std::string_view from) {
    const Encoding encoding = format == Format::version5 ? Encoding::utf16le : Encoding::ansi;
    constexpr std::string_view kEnd = "\r\n";
    std::string text = format == Format::version5 ? "Windows Registry Editor Version 5.00" : "REGEDIT4";
    text += kEnd;
    for (const auto& [path, key] : registry.keys()) {
        if (!from.empty() && !is_within(path, from)) continue;
        text += kEnd;
        text += "[" + path + "]";
        text += kEnd;
        for (const Value& value : key.values) {
            text += value_line(value, encoding, kEnd);
            text += kEnd;
        }
    }
    text += kEnd;
    return format == Format::version5 ? "\xFF\xFE" + encode(text, encoding) : text;
}

}  // namespace xq::regfile
