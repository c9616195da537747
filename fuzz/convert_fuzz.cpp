// Conversion tables and configuration lookups from arbitrary files; the
// first byte picks the part:
//  even: a conversion handle filled from a table file (the section the file
//    names first; the choices in the last bytes), through the exports only:
//    LcvGetDataHandleSize follows the three sizes GetNamedInt reads; the
//    block (a heap block of just that size, so any access past it is caught)
//    is laid out inside it, names and units terminated, cells, factors and
//    limits as the single-entry exports read them; a refused filling writes
//    nothing; the conversions and LcvToAsc agree with LcvScaleInt,
//    LcvLinIpolInt and LcvBinToAsc over the block's tables and write PhyData
//    and LogData only; LcvNewLogDataUnit leaves the block as a fresh filling
//    for the new column would, conversion values aside;
//  odd: the configuration lookups over arbitrary root, logical and physical
//    configuration texts: texts stay inside their capacity, terminated and
//    zero-filled; results are among the documented ones; an answer of 0
//    leaves the buffer alone; joined texts are at most root, backslash and a
//    value of 258 characters; server-interface texts at most 259 characters.

#include <cstdlib>
#include <memory>

#include "config/lookups.h"
#include "config/sources.h"
#include "fuzz.h"

namespace {

using namespace xq::fuzz;
constexpr std::uint32_t kLargestTried = 1U << 16;  // larger blocks: size checked only
constexpr std::int32_t kRowsCompared = 12;
constexpr unsigned char kFill = 0xA5;

struct Free {
    void operator()(void* p) const { std::free(p); }
};
using Block = std::unique_ptr<LcvDataHandle, Free>;
Block new_block(std::uint32_t size) { return Block(static_cast<LcvDataHandle*>(std::memset(std::malloc(size), kFill, size))); }
const char* bytes_of(const LcvDataHandle* h) { return static_cast<const char*>(static_cast<const void*>(h)); }
std::ptrdiff_t offset(const LcvDataHandle* h, const void* p) { return static_cast<const char*>(p) - bytes_of(h); }

std::vector<std::int32_t> cells(const std::int32_t* table, std::int32_t n) { return {table, table + n}; }

// The text in an area of `length` + 1 bytes, checked to be terminated there.
std::string area_text(const char* area, std::int32_t length) {
    const void* end = std::memchr(area, '\0', static_cast<std::size_t>(length) + 1);
    return check(end != nullptr), std::string(area, static_cast<const char*>(end));
}

// Everything a filling determines, read back from a filled block.
struct Contents {
    std::array<std::int32_t, 11> numbers;  // limits, factors, dividers, sizes
    std::array<std::ptrdiff_t, 4> offsets;
    std::string name, unit;
    std::vector<std::int32_t> control, data;
    bool operator==(const Contents&) const = default;
};

Contents contents_of(const LcvDataHandle* h) {
    return {{h->MinPhyData, h->MinLogData, h->MaxPhyData, h->MaxLogData, h->ControlFactor, h->DataFactor, h->ControlDivider,
             h->DataDivider, h->MaxNameLen, h->MaxUnitLen, h->TableLength},
            {offset(h, h->DataName), offset(h, h->DataUnit), offset(h, h->ControlPos), offset(h, h->DataPos)},
            area_text(h->DataName, h->MaxNameLen), area_text(h->DataUnit, h->MaxUnitLen),
            cells(h->ControlPos, h->TableLength), cells(h->DataPos, h->TableLength)};
}

// The first section name in the file ("Table" when there is none).
std::string first_section(std::string_view contents) {
    for (std::size_t at = 0; at < contents.size();) {
        const std::size_t end = std::min(contents.find_first_of("\r\n", at), contents.size()), close = contents.find(']', at);
        if (contents[at] == '[' && close < end && contents.substr(at, close - at).find('\0') == contents.npos)
            return std::string(contents.substr(at + 1, close - at - 1));
        at = end + 1;
    }
    return "Table";
}

void handle(FuzzedDataProvider& in) {
    const auto pick_a = in.ConsumeIntegral<std::uint8_t>(), pick_b = in.ConsumeIntegral<std::uint8_t>();
    const auto phy = in.ConsumeIntegral<std::int32_t>(), log = in.ConsumeIntegral<std::int32_t>();
    const auto decimals = in.ConsumeIntegralInRange<std::int32_t>(-2, 12);
    const auto capacity = in.ConsumeIntegralInRange<std::uint32_t>(1, 64);
    const bool own_unit = in.ConsumeBool();
    const std::string file_bytes = in.ConsumeRemainingBytesAsString();
    const std::string path = scratch_file("table.ini", file_bytes), section = first_section(file_bytes);
    const char *s = section.c_str(), *f = path.c_str();

    const auto sized = [&](const char* entry) { return std::max(GetNamedInt(s, entry, f), 0); };
    const auto part = [&](const char* entry) { return static_cast<std::uint64_t>(sized(entry)); };
    const std::uint64_t size = (sizeof(LcvDataHandle) + part("MaxNameLen") + 1 + part("MaxUnitLen") + 1 + 1) / 2 * 2 + 8 * part("TableLength");
    const std::uint32_t block_size = LcvGetDataHandleSize(s, f);
    check(block_size == (size > 0x7FFFFFFF ? 0 : size));
    std::vector<std::string> names;  // the words of ColumnName
    std::array<char, 200> word{};
    for (int k = 1; GetNamedSubstringString(s, "ColumnName", k, word.data(), word.size(), f); ++k) names.emplace_back(word.data());
    const auto choose = [&](std::uint8_t pick) { return pick % (names.size() + 1) < names.size() ? names[pick % (names.size() + 1)] : "Missing"; };
    const std::string a = choose(pick_a), b = choose(pick_b);
    if (block_size == 0) {
        const Block header = new_block(sizeof(LcvDataHandle));
        check(LcvInitDataHandle(s, f, a.c_str(), header.get()) == 0);
        check(std::all_of(bytes_of(header.get()), bytes_of(header.get() + 1), [](char c) { return static_cast<unsigned char>(c) == kFill; }));
        return;
    }
    if (block_size > kLargestTried) return;
    const Block handle = new_block(block_size);
    LcvDataHandle* h = handle.get();
    check(LcvInitDataHandle(s, f, a.c_str(), h) == 1);
    check(h->PhyData == static_cast<std::int32_t>(0xA5A5A5A5U) && h->LogData == h->PhyData);  // left to the caller

    // The layout inside the block, and what the single-entry exports read for the column.
    check(h->MaxNameLen == sized("MaxNameLen") && h->MaxUnitLen == sized("MaxUnitLen") && h->TableLength == sized("TableLength"));
    const std::ptrdiff_t unit_end = offset(h, h->DataUnit) + h->MaxUnitLen + 1, control_at = offset(h, h->ControlPos);
    check(offset(h, h->DataName) == sizeof(LcvDataHandle) && offset(h, h->DataUnit) == offset(h, h->DataName) + h->MaxNameLen + 1);
    check(control_at % 2 == 0 && control_at >= unit_end && control_at - unit_end <= 1 && h->DataPos == h->ControlPos + h->TableLength);
    check(offset(h, h->DataPos + h->TableLength) == static_cast<std::ptrdiff_t>(block_size));
    const Contents c = contents_of(h);
    check(c.name == a.substr(0, static_cast<std::size_t>(h->MaxNameLen)));
    std::array<char, 30> control_name{};
    if (GetNamedString(s, "ControlName", control_name.data(), control_name.size(), f) == nullptr) control_name[0] = '\0';
    const std::int32_t cc = GetNamedSubstringIndex(s, "ColumnName", control_name.data(), f);
    const std::int32_t dc = GetNamedSubstringIndex(s, "ColumnName", a.c_str(), f);
    std::vector<char> unit(static_cast<std::size_t>(h->MaxUnitLen) + 1, '\0');
    if (GetNamedSubstringString(s, "ColumnUnit", dc, unit.data(), static_cast<std::uint32_t>(unit.size()), f) == nullptr) unit[0] = '\0';
    check(c.unit == std::string(unit.data()).substr(0, static_cast<std::size_t>(h->MaxUnitLen)));
    check(h->MinPhyData == LcvGetNamedInt(s, "MinPhyData", f) && h->MaxPhyData == LcvGetNamedInt(s, "MaxPhyData", f));
    check(h->ControlFactor == LcvGetNamedArrayElement(s, "ColumnFactor", 0, cc, f) &&
          h->ControlDivider == LcvGetNamedArrayElement(s, "ColumnDivider", 0, cc, f));
    check(h->DataFactor == LcvGetNamedArrayElement(s, "ColumnFactor", 0, dc, f) &&
          h->DataDivider == LcvGetNamedArrayElement(s, "ColumnDivider", 0, dc, f));
    for (std::int32_t k = 1; k <= std::min(h->TableLength, kRowsCompared); ++k) {
        const auto row = static_cast<std::size_t>(k - 1);
        check(c.control[row] == LcvGetNamedArrayElement(s, "%Pos", k, cc, f) && c.data[row] == LcvGetNamedArrayElement(s, "%Pos", k, dc, f));
    }
    const auto logical = [&](std::int32_t p) {
        return LcvLinIpolInt(h->TableLength, c.control.data(), c.data.data(), LcvScaleInt(p, h->ControlFactor, h->ControlDivider));
    };
    check(h->MinLogData == std::min(logical(h->MinPhyData), logical(h->MaxPhyData)) &&
          h->MaxLogData == std::max(logical(h->MinPhyData), logical(h->MaxPhyData)));

    // The conversions against the primitives; they change PhyData and LogData and nothing else.
    const std::vector<char> before(bytes_of(h), bytes_of(h) + block_size);
    const std::int32_t l = LcvPhyToLog(phy, h);
    check(l == logical(phy) && h->PhyData == phy && h->LogData == l);
    const std::int32_t held = std::clamp(log, h->MinLogData, h->MaxLogData);
    const std::int32_t p = LcvScaleInt(LcvLinIpolInt(h->TableLength, c.data.data(), c.control.data(), held), h->ControlDivider, h->ControlFactor);
    const std::int32_t held_p = p < h->MinPhyData ? h->MinPhyData : p > h->MaxPhyData ? h->MaxPhyData : p;
    check(LcvLogToPhy(log, h) == held_p && h->PhyData == held_p && h->LogData == held);
    std::vector<char> after(bytes_of(h), bytes_of(h) + block_size);
    for (const std::size_t field : {offsetof(LcvDataHandle, PhyData), offsetof(LcvDataHandle, LogData)})
        std::memcpy(after.data() + field, before.data() + field, sizeof(std::int32_t));
    check(after == before);

    // LcvToAsc is LcvBinToAsc with the data column's scale and (by default) unit.
    Guarded ours(capacity), theirs(capacity);
    const char* other_unit = own_unit ? b.c_str() : nullptr;
    const char* t = LcvToAsc(ours.data(), capacity, log, decimals, other_unit, h);
    const char* u = LcvBinToAsc(theirs.data(), capacity, h->DataDivider, h->DataFactor, log, other_unit != nullptr ? other_unit : h->DataUnit, decimals);
    check((t == nullptr) == (u == nullptr) && ours.inside() == theirs.inside() && (t == nullptr || ours.inside().find('\0') != std::string::npos));

    // Switching the column equals filling for it, the last values kept.
    const std::int32_t phy_data = h->PhyData, log_data = h->LogData;
    check(LcvNewLogDataUnit(s, f, b.c_str(), h) == 1 && h->PhyData == phy_data && h->LogData == log_data);
    const Block fresh = new_block(block_size);
    check(LcvInitDataHandle(s, f, b.c_str(), fresh.get()) == 1 && contents_of(h) == contents_of(fresh.get()));
}

// The text a lookup delivered: terminated inside the capacity and zeros to its end.
std::string delivered(const Guarded& b) {
    const std::string raw = b.inside();
    const std::size_t n = raw.find('\0');
    check(n != std::string::npos && raw.find_first_not_of('\0', n) == std::string::npos);
    return raw.substr(0, n);
}

void configuration(FuzzedDataProvider& in) {
    using namespace xq::config;
    const auto capacity = in.ConsumeIntegralInRange<std::uint32_t>(1, 600);
    const auto index = in.ConsumeIntegral<std::int32_t>();
    const std::string root = c_text(in.ConsumeRandomLengthString(300)), component = c_text(in.ConsumeRandomLengthString(64));
    const std::string layer = c_text(in.ConsumeRandomLengthString(64)), logical = in.ConsumeRandomLengthString(8192);
    const std::string physical = in.ConsumeRemainingBytesAsString();
    Sources sources(root, logical, physical);
    const char* c = component.c_str();
    const std::size_t longest = root.size() + 1 + 258;  // root, backslash and a value

    for (const auto lookup : {stand, stand_port}) {
        Guarded b(capacity);
        const std::int32_t result = lookup(sources, b.data(), capacity);
        check(result == 0 || result == 1);
        if (result == 0) b.untouched();
        else check(delivered(b).size() <= 258);
    }
    const std::int32_t enabled = server_enabled(sources, c);
    check((stand_component(sources, c) & ~1) == 0 && (enabled & ~1) == 0 && (enabled != 0 || mode(sources, c) == -1));
    check((multiple_instances(sources) & ~1) == 0);
    optical_count(sources, "ImagePathCount");
    Guarded server(capacity), port_text(capacity), path(capacity);
    check(component_server(sources, c, "Server", server.data(), capacity) == 1);
    const std::string text = delivered(server);
    check(text == std::string_view("None").substr(0, capacity - 1) || (root + "\\").substr(0, text.size()) == text.substr(0, root.size() + 1));
    check(text.size() <= longest);
    check(port(sources, c, port_text.data(), capacity) == 1 && delivered(port_text).size() <= 258);
    check(optical_path(sources, index, path.data(), capacity) == 1 && delivered(path).size() <= 78);

    const std::string entry = xq::psi::component_entry(sources, c, "Server", true);
    const std::string bare = xq::psi::component_entry(sources, c, "NextLayer", false);
    const std::string section = xq::psi::component_section(sources, c, xq::psi::DataSection::operational);
    const std::string next = xq::psi::next_layer_entry(sources, layer.c_str(), "ServerApi", true);
    check(entry.size() <= longest && next.size() <= longest && bare.size() <= 258 && section.size() <= 258);
    for (const std::string* t : {&entry, &bare, &section, &next}) {
        Guarded b(capacity);
        check(xq::psi::hand_over_result(b.data(), capacity, *t) == 1);
        const std::string out = delivered(b);
        check(out.size() <= 259 && t->starts_with(out));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return run_part(data, size, {handle, configuration});
}
