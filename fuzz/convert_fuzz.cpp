// Conversion tables and configuration lookups from arbitrary files; the
// first byte picks the part:
//  even: a conversion handle filled from a table file (the section the file
//    names first; the choices in the last bytes), through the exports only,
//    in a heap block of exactly LcvGetDataHandleSize bytes, so any access
//    past it is caught: a refused filling writes nothing; names and units
//    are terminated inside their areas; the conversions write PhyData and
//    LogData only; LcvToAsc is LcvBinToAsc with the data column's scale and
//    unit; switching the column keeps the last values;
//  odd: the configuration lookups over arbitrary root, logical and physical
//    configuration texts: texts stay inside their capacity, terminated and
//    zero-filled; results are among the documented ones; an answer of 0
//    leaves the buffer alone; a handed-over text is at most 259 characters.

#include "config/lookups.h"
#include "config/sources.h"
#include "fuzz.h"

namespace {

using namespace xq::fuzz;

// The handle at the start of a caller's block (a heap block of its exact size, so any access past it is caught).
LcvDataHandle* handle_in(std::vector<char>& block) { return static_cast<LcvDataHandle*>(static_cast<void*>(block.data())); }

void handle(FuzzedDataProvider& in) {
    const auto phy = in.ConsumeIntegral<std::int32_t>(), log = in.ConsumeIntegral<std::int32_t>();
    const auto decimals = in.ConsumeIntegralInRange<std::int32_t>(-2, 12);
    const auto capacity = in.ConsumeIntegralInRange<std::uint32_t>(1, 64);
    const auto pick_a = in.ConsumeIntegralInRange<std::int32_t>(0, 4), pick_b = in.ConsumeIntegralInRange<std::int32_t>(0, 4);
    const std::string file_bytes = in.ConsumeRemainingBytesAsString(), path = scratch_file("table.ini", file_bytes);
    const std::string section = file_bytes.starts_with('[') ? c_text(file_bytes.substr(1, file_bytes.find(']') - 1)) : "Table";
    const char *s = section.c_str(), *f = path.c_str();
    const auto column = [&](std::int32_t k) {  // a word of ColumnName, or a missing column
        std::array<char, 200> word{};
        return GetNamedSubstringString(s, "ColumnName", k, word.data(), word.size(), f) ? std::string(word.data()) : "Missing";
    };
    const std::string a = column(pick_a), b = column(pick_b);

    const std::uint32_t size = LcvGetDataHandleSize(s, f);
    if (size > 1U << 16) return;  // the largest block tried
    std::vector<char> block(size == 0 ? sizeof(LcvDataHandle) : size, '\xA5'), before = block;  // a header only when refused
    LcvDataHandle* h = handle_in(block);
    const std::int32_t filled = LcvInitDataHandle(s, f, a.c_str(), h);
    if (size == 0) return check(filled == 0 && block == before);
    const auto terminated = [&] {
        return std::memchr(h->DataName, '\0', static_cast<std::size_t>(h->MaxNameLen) + 1) &&
               std::memchr(h->DataUnit, '\0', static_cast<std::size_t>(h->MaxUnitLen) + 1);
    };
    check(filled == 1 && terminated());

    before = block;
    const std::int32_t l = LcvPhyToLog(phy, h);
    check(h->PhyData == phy && h->LogData == l);
    const std::int32_t p = LcvLogToPhy(log, h);
    check(h->PhyData == p && h->LogData == std::clamp(log, h->MinLogData, h->MaxLogData));
    handle_in(before)->PhyData = h->PhyData, handle_in(before)->LogData = h->LogData;
    check(block == before);

    Guarded ours(capacity), theirs(capacity);
    const char* t = LcvToAsc(ours.data(), capacity, log, decimals, nullptr, h);
    const char* u = LcvBinToAsc(theirs.data(), capacity, h->DataDivider, h->DataFactor, log, h->DataUnit, decimals);
    check((t == nullptr) == (u == nullptr) && ours.inside() == theirs.inside() && (t == nullptr || !ours.text().empty()));

    check(LcvNewLogDataUnit(s, f, b.c_str(), h) == 1 && h->PhyData == p && terminated());
}

// A lookup's text: terminated inside the capacity, zeros to its end; an answer of 0 (where
// allowed) leaves the buffer alone.
template <class Call>
std::string handed_over(std::uint32_t capacity, bool may_refuse, Call call) {
    Guarded b(capacity);
    const std::int32_t result = call(b.data());
    if (result == 0 && may_refuse) return b.untouched(), "";
    const std::string text = b.text();
    return check(result == 1 && b.inside().find_first_not_of('\0', text.size()) == std::string::npos), text;
}

void configuration(FuzzedDataProvider& in) {
    using namespace xq::config;
    const auto capacity = in.ConsumeIntegralInRange<std::uint32_t>(1, 600);
    const auto index = in.ConsumeIntegral<std::int32_t>();
    const std::string root = c_text(in.ConsumeRandomLengthString(300)), component = c_text(in.ConsumeRandomLengthString(64));
    const std::string layer = c_text(in.ConsumeRandomLengthString(64)), logical = in.ConsumeRandomLengthString(8192);
    const std::string physical = in.ConsumeRemainingBytesAsString();
    Sources sources(root, logical, physical);  // views of the texts
    const char* c = component.c_str();
    const auto text = [&](bool may_refuse, auto lookup) { return handed_over(capacity, may_refuse, lookup); };

    for (const auto lookup : {stand, stand_port}) text(true, [&](char* b) { return lookup(sources, b, capacity); });
    text(false, [&](char* b) { return component_server(sources, c, "Server", b, capacity); });
    text(false, [&](char* b) { return port(sources, c, b, capacity); });
    check(text(false, [&](char* b) { return optical_path(sources, index, b, capacity); }).size() <= 78);
    const std::int32_t enabled = server_enabled(sources, c);  // flags are 0 or 1; the optical count is any number
    check(((stand_component(sources, c) | enabled | multiple_instances(sources)) & ~1) == 0 && (enabled || mode(sources, c) == -1));
    optical_count(sources, "ImagePathCount");
    for (const std::string& t : {std::string(xq::psi::component_entry(sources, c, "Server", true)),
                                 std::string(xq::psi::component_entry(sources, c, "NextLayer", false)),
                                 xq::psi::component_section(sources, c, xq::psi::DataSection::operational),
                                 std::string(xq::psi::next_layer_entry(sources, layer.c_str(), "ServerApi", true))}) {
        const std::string out = text(false, [&](char* b) { return xq::psi::hand_over_result(b, capacity, t); });
        check(t.starts_with(out) && out.size() <= 259);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return run_part(data, size, {handle, configuration});
}
