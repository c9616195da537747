// Conversion handles filled from a fuzzed table file, through the exports
// only. Checks that LcvGetDataHandleSize follows the three sizes as
// GetNamedInt reads them; that LcvInitDataHandle lays the block out inside
// exactly that size (the block is a heap block of that size, so any access
// past it is caught), with a terminated name and unit and the cells, factors
// and limits the single-entry exports read; that the conversions and
// LcvToAsc agree with LcvScaleInt, LcvLinIpolInt and LcvBinToAsc over the
// block's tables, write PhyData and LogData only, and keep LcvToAsc's text
// inside its capacity; and that LcvNewLogDataUnit leaves the block as a
// fresh filling for the new column would, conversion values aside.
// Input: the choices in the last bytes, the rest the file; the section is
// the first one the file names.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_files.h"
#include "xq_utils.h"

namespace {

using xq::fuzz::check;

constexpr std::uint32_t kLargestTried = 1U << 16;  // larger blocks: size checked only
constexpr std::int32_t kRowsCompared = 12;
constexpr unsigned char kFill = 0xA5;

struct Table {
    const char* section;
    const char* file;
};

// The first section name in the file ("Table" when there is none).
std::string first_section(std::string_view contents) {
    for (std::size_t at = 0; at < contents.size();) {
        const std::size_t end = std::min(contents.find_first_of("\r\n", at), contents.size());
        const std::string_view line = contents.substr(at, end - at);
        const std::size_t close = line.find(']');
        if (line.starts_with('[') && close != std::string_view::npos) {
            const std::string name(line.substr(1, close - 1));
            if (name.find('\0') == std::string::npos) return name;
        }
        at = end + 1;
    }
    return "Table";
}

std::string named_string(const Table& t, const char* entry, std::uint32_t capacity) {
    std::vector<char> buffer(capacity, '\0');
    return GetNamedString(t.section, entry, buffer.data(), capacity, t.file) != nullptr ? buffer.data() : "";
}

// The column names as the words of ColumnName.
std::vector<std::string> column_names(const Table& t) {
    std::vector<std::string> names;
    std::array<char, 200> word{};
    for (int k = 1; GetNamedSubstringString(t.section, "ColumnName", k, word.data(), word.size(), t.file); ++k)
        names.emplace_back(word.data());
    return names;
}

// Block size for the three sizes of the section, 0 beyond 2^31 - 1.
std::uint32_t expected_size(const Table& t) {
    const auto part = [&](const char* entry) { return std::uint64_t(std::max(GetNamedInt(t.section, entry, t.file), 0)); };
    const std::uint64_t size = (sizeof(LcvDataHandle) + part("MaxNameLen") + 1 + part("MaxUnitLen") + 1 + 1) / 2 * 2 +
                               8 * part("TableLength");
    return size > 0x7FFFFFFF ? 0 : static_cast<std::uint32_t>(size);
}

struct FreeBlock {
    void operator()(void* p) const { std::free(p); }
};
using Block = std::unique_ptr<LcvDataHandle, FreeBlock>;

Block new_block(std::uint32_t size) {
    void* p = std::malloc(size);
    std::memset(p, kFill, size);
    return Block(static_cast<LcvDataHandle*>(p));
}

const char* bytes_of(const LcvDataHandle* h) { return static_cast<const char*>(static_cast<const void*>(h)); }
std::ptrdiff_t offset(const LcvDataHandle* h, const void* p) { return static_cast<const char*>(p) - bytes_of(h); }

std::vector<std::int32_t> cells(const std::int32_t* table, std::int32_t n) {
    std::vector<std::int32_t> out(static_cast<std::size_t>(n));
    if (!out.empty()) std::memcpy(out.data(), table, out.size() * sizeof(std::int32_t));
    return out;
}

// The text in an area of `length` + 1 bytes, checked to be terminated there.
std::string area_text(const char* area, std::int32_t length) {
    const void* end = std::memchr(area, '\0', static_cast<std::size_t>(length) + 1);
    check(end != nullptr);
    return std::string(area, static_cast<const char*>(end));
}

// Everything a filling determines, read back from a filled block.
struct Contents {
    std::array<std::int32_t, 8> numbers;  // limits, factors, dividers
    std::int32_t max_name_len, max_unit_len, table_length;
    std::ptrdiff_t name_at, unit_at, control_at, data_at;
    std::string name, unit;
    std::vector<std::int32_t> control, data;
    bool operator==(const Contents&) const = default;
};

Contents contents_of(const LcvDataHandle* h) {
    return {{h->MinPhyData, h->MinLogData, h->MaxPhyData, h->MaxLogData, h->ControlFactor, h->DataFactor,
             h->ControlDivider, h->DataDivider},
            h->MaxNameLen,
            h->MaxUnitLen,
            h->TableLength,
            offset(h, h->DataName),
            offset(h, h->DataUnit),
            offset(h, h->ControlPos),
            offset(h, h->DataPos),
            area_text(h->DataName, h->MaxNameLen),
            area_text(h->DataUnit, h->MaxUnitLen),
            cells(h->ControlPos, h->TableLength),
            cells(h->DataPos, h->TableLength)};
}

// The block's layout inside `size` bytes, and what the single-entry exports
// read for the data column `column`.
void check_filled(const Table& t, const LcvDataHandle* h, std::uint32_t size, const std::string& column) {
    const auto sized = [&](const char* entry) { return std::max(GetNamedInt(t.section, entry, t.file), 0); };
    check(h->MaxNameLen == sized("MaxNameLen") && h->MaxUnitLen == sized("MaxUnitLen") &&
          h->TableLength == sized("TableLength"));
    const std::ptrdiff_t unit_end = offset(h, h->DataUnit) + h->MaxUnitLen + 1;
    check(offset(h, h->DataName) == sizeof(LcvDataHandle));
    check(offset(h, h->DataUnit) == offset(h, h->DataName) + h->MaxNameLen + 1);
    check(offset(h, h->ControlPos) % 2 == 0 && offset(h, h->ControlPos) - unit_end <= 1 &&
          offset(h, h->ControlPos) >= unit_end);
    check(h->DataPos == h->ControlPos + h->TableLength);
    check(offset(h, h->DataPos + h->TableLength) == static_cast<std::ptrdiff_t>(size));

    const Contents c = contents_of(h);
    check(c.name == column.substr(0, std::min(column.size(), static_cast<std::size_t>(h->MaxNameLen))));
    const std::string control_name = named_string(t, "ControlName", 30);
    const std::int32_t cc = GetNamedSubstringIndex(t.section, "ColumnName", control_name.c_str(), t.file);
    const std::int32_t dc = GetNamedSubstringIndex(t.section, "ColumnName", column.c_str(), t.file);
    std::vector<char> unit(static_cast<std::size_t>(h->MaxUnitLen) + 1, '\0');
    if (GetNamedSubstringString(t.section, "ColumnUnit", dc, unit.data(), static_cast<std::uint32_t>(unit.size()),
                                t.file) == nullptr)
        unit[0] = '\0';
    check(c.unit == std::string_view(unit.data(), std::strlen(unit.data())).substr(0, static_cast<std::size_t>(h->MaxUnitLen)));
    check(h->MinPhyData == LcvGetNamedInt(t.section, "MinPhyData", t.file));
    check(h->MaxPhyData == LcvGetNamedInt(t.section, "MaxPhyData", t.file));
    check(h->ControlFactor == LcvGetNamedArrayElement(t.section, "ColumnFactor", 0, cc, t.file));
    check(h->ControlDivider == LcvGetNamedArrayElement(t.section, "ColumnDivider", 0, cc, t.file));
    check(h->DataFactor == LcvGetNamedArrayElement(t.section, "ColumnFactor", 0, dc, t.file));
    check(h->DataDivider == LcvGetNamedArrayElement(t.section, "ColumnDivider", 0, dc, t.file));
    for (std::int32_t k = 1; k <= std::min(h->TableLength, kRowsCompared); ++k) {
        const auto row = static_cast<std::size_t>(k - 1);
        check(c.control[row] == LcvGetNamedArrayElement(t.section, "%Pos", k, cc, t.file));
        check(c.data[row] == LcvGetNamedArrayElement(t.section, "%Pos", k, dc, t.file));
    }
    const auto logical = [&](std::int32_t phy) {
        return LcvLinIpolInt(h->TableLength, c.control.data(), c.data.data(),
                             LcvScaleInt(phy, h->ControlFactor, h->ControlDivider));
    };
    const std::int32_t a = logical(h->MinPhyData), b = logical(h->MaxPhyData);
    check(h->MinLogData == std::min(a, b) && h->MaxLogData == std::max(a, b));
}

// The conversions against the primitives over the block's own tables; they
// change PhyData and LogData and nothing else.
void check_conversions(LcvDataHandle* h, std::uint32_t size, std::int32_t phy, std::int32_t log) {
    const std::vector<char> before(bytes_of(h), bytes_of(h) + size);
    const std::vector<std::int32_t> control = cells(h->ControlPos, h->TableLength);
    const std::vector<std::int32_t> data = cells(h->DataPos, h->TableLength);

    const std::int32_t l = LcvPhyToLog(phy, h);
    check(l == LcvLinIpolInt(h->TableLength, control.data(), data.data(),
                             LcvScaleInt(phy, h->ControlFactor, h->ControlDivider)));
    check(h->PhyData == phy && h->LogData == l);

    const std::int32_t held = log < h->MinLogData ? h->MinLogData : log > h->MaxLogData ? h->MaxLogData : log;
    std::int32_t p = LcvScaleInt(LcvLinIpolInt(h->TableLength, data.data(), control.data(), held),
                                 h->ControlDivider, h->ControlFactor);
    p = p < h->MinPhyData ? h->MinPhyData : p > h->MaxPhyData ? h->MaxPhyData : p;
    check(LcvLogToPhy(log, h) == p && h->PhyData == p && h->LogData == held);

    std::vector<char> after(bytes_of(h), bytes_of(h) + size);
    for (const std::size_t field : {offsetof(LcvDataHandle, PhyData), offsetof(LcvDataHandle, LogData)})
        std::memcpy(after.data() + field, before.data() + field, sizeof(std::int32_t));
    check(after == before);
}

// LcvToAsc is LcvBinToAsc with the data column's scale and (by default) unit.
void check_text(const LcvDataHandle* h, std::int32_t value, std::int32_t decimals, std::uint32_t capacity,
                const char* unit) {
    constexpr std::size_t kGuard = 16;
    std::vector<char> ours(capacity + 2 * kGuard, 'z'), theirs(capacity + 2 * kGuard, 'z');
    const char* a = LcvToAsc(ours.data() + kGuard, capacity, value, decimals, unit, h);
    const char* b = LcvBinToAsc(theirs.data() + kGuard, capacity, h->DataDivider, h->DataFactor, value,
                                unit != nullptr ? unit : h->DataUnit, decimals);
    check((a == nullptr) == (b == nullptr) && ours == theirs);
    check(std::all_of(ours.begin(), ours.begin() + kGuard, [](char c) { return c == 'z'; }) &&
          std::all_of(ours.end() - kGuard, ours.end(), [](char c) { return c == 'z'; }));
    if (a != nullptr) check(std::memchr(a, '\0', capacity) != nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const auto pick_a = in.ConsumeIntegral<std::uint8_t>();
    const auto pick_b = in.ConsumeIntegral<std::uint8_t>();
    const auto phy = in.ConsumeIntegral<std::int32_t>();
    const auto log = in.ConsumeIntegral<std::int32_t>();
    const auto decimals = in.ConsumeIntegralInRange<std::int32_t>(-2, 12);
    const auto capacity = in.ConsumeIntegralInRange<std::uint32_t>(1, 64);
    const bool own_unit = in.ConsumeBool();
    const std::string file_bytes = in.ConsumeRemainingBytesAsString();

    static const xq::fuzz::Scratch scratch;
    static const std::string path = scratch.file("table.ini");
    xq::fuzz::put_file(path, file_bytes);
    const std::string section = first_section(file_bytes);
    const Table t{section.c_str(), path.c_str()};

    const std::uint32_t block_size = LcvGetDataHandleSize(t.section, t.file);
    check(block_size == expected_size(t));
    const std::vector<std::string> names = column_names(t);
    const auto choose = [&](std::uint8_t pick) {
        return pick % (names.size() + 1) < names.size() ? names[pick % (names.size() + 1)] : "Missing";
    };
    const std::string a = choose(pick_a), b = choose(pick_b);
    if (block_size == 0) {  // refused: nothing written
        const Block header = new_block(sizeof(LcvDataHandle));
        check(LcvInitDataHandle(t.section, t.file, a.c_str(), header.get()) == 0);
        check(std::all_of(bytes_of(header.get()), bytes_of(header.get()) + sizeof(LcvDataHandle),
                          [](char c) { return static_cast<unsigned char>(c) == kFill; }));
        return 0;
    }
    if (block_size > kLargestTried) return 0;

    const Block handle = new_block(block_size);
    LcvDataHandle* h = handle.get();
    check(LcvInitDataHandle(t.section, t.file, a.c_str(), h) == 1);
    std::int32_t untouched;
    std::memset(&untouched, kFill, sizeof untouched);
    check(h->PhyData == untouched && h->LogData == untouched);
    check_filled(t, h, block_size, a);
    check_conversions(h, block_size, phy, log);
    check_text(h, log, decimals, capacity, own_unit ? b.c_str() : nullptr);

    // Switching the column equals filling for it, the last values kept.
    const std::int32_t phy_data = h->PhyData, log_data = h->LogData;
    check(LcvNewLogDataUnit(t.section, t.file, b.c_str(), h) == 1);
    check(h->PhyData == phy_data && h->LogData == log_data);
    const Block fresh = new_block(block_size);
    check(LcvInitDataHandle(t.section, t.file, b.c_str(), fresh.get()) == 1);
    check(contents_of(h) == contents_of(fresh.get()));
    return 0;
}
