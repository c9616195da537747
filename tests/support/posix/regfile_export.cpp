#include "support/posix/regfile_export.h"

namespace xq::regfile {

std::string export_file(const Registry& registry, Format format) {
    const Encoding encoding = format == Format::version5 ? Encoding::utf16le : Encoding::ansi;
    std::string text = format == Format::version5 ? "Windows Registry Editor Version 5.00\r\n" : "REGEDIT4\r\n";
    for (const auto& [path, key] : registry.keys()) {
        text += "\r\n[" + path + "]\r\n";
        for (const Value& value : key.values) text += value_line(value, encoding, "\r\n") + "\r\n";
    }
    text += "\r\n";
    return format == Format::version5 ? "\xFF\xFE" + encode(text, encoding) : text;
}

}  // namespace xq::regfile
