// Registry files from arbitrary bytes: reading never fails; reading single
// keys agrees with reading the whole file; an export reads back as the same
// registry; setting one string value changes that value
// only and keeps every other line of the file byte for byte.
#include "fuzz.h"
#include "platform/regfile/regfile.h"
#include "support/posix/regfile_export.h"

namespace rf = xq::regfile;
using xq::fuzz::check;

// Sets `name` under `key` to `text`; an exported file (`must_succeed`) always takes the edit.
static void check_set(std::string_view file, const rf::Parsed& parsed, const std::string& key, const std::string& name,
                      const std::string& text, bool must_succeed) {
    const auto edited = rf::set_string(file, key, name, text);
    if (!edited) return check(!must_succeed);
    rf::Registry expected = parsed.registry;
    expected.find(key)->set(name, rf::kRegSz, rf::to_le_bytes(rf::utf8_to_utf16(text) + u'\0'));
    check(rf::same_content(rf::parse(edited->file).registry, expected) && rf::same_content(edited->registry, expected));
    // At most the old definition's lines differ.
    const rf::Value* old = parsed.registry.find(key)->find(name);
    const auto& lines = parsed.layout.lines;
    check(xq::fuzz::changed(file, edited->file) <= (old ? lines[old->source.last].end - lines[old->source.first].begin : 0));
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const rf::Parsed parsed = rf::parse(input);
    if (parsed.registry.keys().empty()) return 0;
    const bool utf16 = parsed.layout.encoding == rf::Encoding::utf16le;
    const std::string exported = rf::export_file(parsed.registry, utf16 ? rf::Format::version5 : rf::Format::regedit4);
    const rf::Parsed reread = rf::parse(exported);
    check(rf::same_content(reread.registry, parsed.registry));
    // Which key, which value and what text to set, from the last bytes.
    const unsigned sel = static_cast<unsigned char>(input.back());
    const auto key = std::next(parsed.registry.keys().begin(), static_cast<std::ptrdiff_t>(sel % parsed.registry.keys().size()));
    const auto& values = key->second.values;
    const std::string name = (sel & 0x80U) != 0 && !values.empty() ? values[sel % values.size()].name : "fz" + std::to_string(sel % 7);
    const std::string text(input.substr(input.size() - std::min<std::size_t>(input.size(), 1 + sel % 12)));
    // The single-key reader answers as the full read does.
    const rf::KeyReader reader(input);
    check(reader.exists(key->first));
    const rf::Value* named = key->second.find(name);
    check(reader.query(key->first, name) == (named ? std::optional(rf::query_bytes(*named)) : std::nullopt));
    check_set(input, parsed, key->first, name, text, false);
    check_set(exported, reread, key->first, name, text, true);
    return 0;
}
