// Registry files from arbitrary bytes: reading never fails; an export reads
// back as the same registry; setting one string value changes that value
// only and keeps every other line of the file byte for byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/regfile/regfile.h"
#include "support/posix/regfile_export.h"

namespace {

namespace rf = xq::regfile;

void check(bool ok) {
    if (!ok) __builtin_trap();
}

struct Choice {
    std::string key;
    std::string name;
    std::string text;
};

// Which value to set, taken from the input's last bytes.
Choice choose(const rf::Registry& registry, std::string_view input) {
    const unsigned sel = input.empty() ? 0U : static_cast<unsigned char>(input.back());
    auto key = registry.keys().begin();
    std::advance(key, static_cast<std::ptrdiff_t>(sel % registry.keys().size()));
    Choice choice{key->first, "fz" + std::to_string(sel % 7), {}};
    const auto& values = key->second.values;
    if ((sel & 0x80U) != 0 && !values.empty()) choice.name = values[sel % values.size()].name;
    const std::size_t take = std::min<std::size_t>(input.size(), 1 + sel % 12);
    choice.text = std::string(input.substr(input.size() - take));
    return choice;
}

rf::Registry with_value(rf::Registry registry, const Choice& c) {
    registry.find(c.key)->set(c.name, rf::kRegSz, rf::to_le_bytes(rf::utf8_to_utf16(c.text) + u'\0'));
    return registry;
}

// Bytes before and after the changed part must be the original's: at most
// the old definition's lines may differ.
void check_local(std::string_view before, std::string_view after, std::size_t replaced) {
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    check(prefix + suffix + replaced >= before.size());
}

void check_set(std::string_view file, const rf::Parsed& parsed, const Choice& c, bool must_succeed) {
    const auto edited = rf::set_string(file, c.key, c.name, c.text);
    if (!edited) {
        check(!must_succeed);
        return;
    }
    const rf::Registry expected = with_value(parsed.registry, c);
    check(rf::same_content(rf::parse(edited->file).registry, expected));
    check(rf::same_content(edited->registry, expected));
    std::size_t replaced = 0;
    if (const rf::Value* old = parsed.registry.find(c.key)->find(c.name)) {
        replaced = parsed.layout.lines[old->source.last].end - parsed.layout.lines[old->source.first].begin;
    }
    check_local(file, edited->file, replaced);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const rf::Parsed parsed = rf::parse(input);
    if (parsed.registry.keys().empty()) return 0;

    const rf::Format format = parsed.layout.encoding == rf::Encoding::utf16le ? rf::Format::version5 : rf::Format::regedit4;
    const std::string exported = rf::export_file(parsed.registry, format);
    const rf::Parsed reread = rf::parse(exported);
    check(rf::same_content(reread.registry, parsed.registry));

    const Choice choice = choose(parsed.registry, input);
    check_set(input, parsed, choice, false);
    check_set(exported, reread, choice, true);  // an exported file always takes the edit
    return 0;
}
