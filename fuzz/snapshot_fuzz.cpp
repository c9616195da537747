// One reading of a table section against the profile reader: for arbitrary
// file bytes, sections and entry names, every value the snapshot delivers
// (status, text and capacity cut) is the one the reader delivers for that
// entry with the value conventions applied, and a row read by number is the
// row read by name.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "convert/table.h"
#include "named/values.h"
#include "profile/profile.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

using xq::named::NamedValue;
using xq::named::ValueStatus;

NamedValue reader_value(const std::string& contents, const char* section, const char* entry, std::vector<char>& out) {
    const auto n = xq::profile::get_string(contents, section, entry, "", out.data(),
                                           static_cast<std::uint32_t>(out.size()));
    if (n == 0) return {ValueStatus::no_value, {}};
    return {ValueStatus::found, xq::named::apply_value_conventions({out.data(), n})};
}

bool same(const NamedValue& a, const NamedValue& b) { return a.status == b.status && a.text == b.text; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    static const char* const kSections[] = {"Table", "table", " Table ", "T", "", ";Table"};
    static const char* const kEntries[] = {"Pos1", "pos2", "POS3", "Pos02", "Pos10", " Pos1", "Pos", "Pos0",
                                           "Pos-1", "ColumnName", "TableLength", ""};
    const std::string section = in.ConsumeBool() ? kSections[in.ConsumeIntegralInRange<std::size_t>(0, 5)]
                                                 : in.ConsumeRandomLengthString(8);
    std::vector<std::string> entries;
    for (int i = 0; i < 6; ++i)
        entries.push_back(in.ConsumeBool() ? kEntries[in.ConsumeIntegralInRange<std::size_t>(0, 11)]
                                           : in.ConsumeRandomLengthString(8));
    const auto capacity = in.ConsumeIntegralInRange<std::size_t>(1, 300);
    const std::int32_t row = in.ConsumeIntegralInRange<std::int32_t>(-2, 12);
    const std::string contents = in.ConsumeRemainingBytesAsString();

    const xq::convert::SectionSnapshot snapshot(section.c_str(), contents);
    std::vector<char> a(capacity), b(capacity), c(capacity);
    for (const std::string& entry : entries) {
        const NamedValue ours = snapshot.read(entry.c_str(), a);
        check(ours.status != ValueStatus::unread);
        check(same(ours, reader_value(contents, section.c_str(), entry.c_str(), b)));
    }
    if (row >= 1) {
        const std::string name = "Pos" + std::to_string(row);
        check(same(snapshot.read_row(row, a), snapshot.read(name.c_str(), c)));
    }
    return 0;
}
