// Registry files from arbitrary bytes: reading never fails; an export reads
// back as the same registry; setting one string value changes that value
// only and keeps every other line of the file byte for byte.
#include <iterator>

#include "fuzz.h"
#include "platform/regfile/regfile.h"
#include "support/posix/regfile_export.h"

namespace rf = xq::regfile;
using xq::fuzz::check;

namespace {

struct Choice {
    std::string key, name, text;
};

void check_set(std::string_view file, const rf::Parsed& parsed, const Choice& c, bool must_succeed) {
    const auto edited = rf::set_string(file, c.key, c.name, c.text);
    if (!edited) return check(!must_succeed);
    rf::Registry expected = parsed.registry;
    expected.find(c.key)->set(c.name, rf::kRegSz, rf::to_le_bytes(rf::utf8_to_utf16(c.text) + u'\0'));
    check(rf::same_content(rf::parse(edited->file).registry, expected) && rf::same_content(edited->registry, expected));
    std::size_t replaced = 0;  // at most the old definition's lines differ
    if (const rf::Value* old = parsed.registry.find(c.key)->find(c.name))
        replaced = parsed.layout.lines[old->source.last].end - parsed.layout.lines[old->source.first].begin;
    check(xq::fuzz::changed(file, edited->file) <= replaced);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const rf::Parsed parsed = rf::parse(input);
    if (parsed.registry.keys().empty()) return 0;
    const bool utf16 = parsed.layout.encoding == rf::Encoding::utf16le;
    const std::string exported = rf::export_file(parsed.registry, utf16 ? rf::Format::version5 : rf::Format::regedit4);
    const rf::Parsed reread = rf::parse(exported);
    check(rf::same_content(reread.registry, parsed.registry));

    // Which value to set, taken from the input's last bytes.
    const unsigned sel = input.empty() ? 0U : static_cast<unsigned char>(input.back());
    auto key = parsed.registry.keys().begin();
    std::advance(key, static_cast<std::ptrdiff_t>(sel % parsed.registry.keys().size()));
    Choice choice{key->first, "fz" + std::to_string(sel % 7), std::string(input.substr(input.size() - std::min<std::size_t>(input.size(), 1 + sel % 12)))};
    if ((sel & 0x80U) != 0 && !key->second.values.empty()) choice.name = key->second.values[sel % key->second.values.size()].name;
    check_set(input, parsed, choice, false);
    check_set(exported, reread, choice, true);  // an exported file always takes the edit
    return 0;
}
