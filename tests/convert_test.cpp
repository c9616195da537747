// Integer scaling, interpolation and number text, then the conversion block:
// its size and layout, filling it from a table section, the single-entry
// reads and the conversions. (The convert fuzz target holds the block's
// bounds, a refused filling writing nothing, LcvToAsc against LcvBinToAsc
// and the conversions' writes on arbitrary table files.)
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "support/buffer.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "xq_utils.h"

namespace {

using xq::test::GuardedBuffer;

#if defined(__i386__)
// x87 control words a 32-bit caller may hold (as found, single precision,
// single rounding down, extended truncating): results must not depend on them.
constexpr uint16_t kCallerFpuWords[] = {0, 0x007F, 0x047F, 0x0F7F};
uint16_t fpu_word() { uint16_t w = 0; __asm__ volatile("fnstcw %0" : "=m"(w)); return w; }
void set_fpu_word(uint16_t w) { __asm__ volatile("fldcw %0" : : "m"(w)); }
#else
constexpr uint16_t kCallerFpuWords[] = {0};  // SSE: no precision to set
uint16_t fpu_word() { return 0; }
void set_fpu_word(uint16_t) {}
#endif

TEST(Scaling, ScaleIntRoundsHalvesAwayFromZeroWrapsAndKeepsTheCallersFpuWord) {
    const struct { int32_t value, multiplier, divisor, result; } cases[] = {
        {7, 1, 2, 4}, {-7, 1, 2, -4}, {3, 1, -2, -2}, {2, 1, 3, 1}, {-2, 1, 3, -1}, {1, 1, 3, 0}, {5, 3, 0, 0},
        {INT32_MAX, 2, 1, -2}, {INT32_MIN, 1, -1, INT32_MIN}, {INT32_MIN, INT32_MIN, -1, 0}, {INT32_MAX, INT32_MAX, 1, 0},
        {16777217, 1, 1, 16777217}, {100000001, 3, 1, 300000003},  // lost at single precision
    };
    const uint16_t found = fpu_word();
    for (const uint16_t word : kCallerFpuWords)
        for (const auto& c : cases) {
            const uint16_t callers = word != 0 ? word : found;
            set_fpu_word(callers);
            const int32_t results[] = {ScaleInt(c.value, c.multiplier, c.divisor), LcvScaleInt(c.value, c.multiplier, c.divisor)};
            const uint16_t after = fpu_word();  // the caller's control word, restored
            set_fpu_word(found);
            EXPECT_EQ(std::make_tuple(results[0], results[1], after), std::make_tuple(c.result, c.result, callers))
                << c.value << "*" << c.multiplier << "/" << c.divisor << ", FPU " << callers;
        }
}

TEST(Scaling, LinIpolIntServesTheFirstSegmentRoundsAndNeverExtrapolates) {
    const struct { std::vector<int32_t> x, y; int32_t at, flag, result, count = 0; } cases[] = {  // count 0: x's size
        {{0, 100}, {0, 1000}, 50, 0, 500}, {{0, 100}, {0, 1000}, 100, 0, 1000}, {{0, 100}, {0, 1000}, 0, 0, 0},
        {{100, 0}, {0, 1000}, 100, 0, 0}, {{100, 0}, {0, 1000}, 0, 0, 1000}, {{0, 100}, {0, 1000}, -1, 1, 0},
        {{0, 100}, {0, 1000}, 101, 1, 0}, {{10, 10}, {3, 7}, 10, 0, 3}, {{0, 10, 10, 20}, {0, 5, 9, 30}, 10, 0, 5},
        {{0, 10, 10, 20}, {0, 5, 9, 30}, 15, 0, 20}, {{0, 3}, {0, 1}, 1, 0, 0}, {{0, 3}, {0, 1}, 2, 0, 1},
        {{0, 2}, {0, 1}, 1, 0, 1}, {{0, 2}, {0, -1}, 1, 0, -1}, {{0, 10, 0}, {0, 100, 50}, 5, 0, 50}, {{7}, {1}, 7, 1, 0},
        {{}, {}, 0, 1, 0}, {{0, 100}, {0, 1000}, 0, 1, 0, -5}, {{0, 10}, {INT32_MAX, INT32_MIN}, 10, 0, INT32_MIN},
        {{INT32_MIN, INT32_MAX}, {0, 100}, 0, 0, 0}, {{0, 10}, {INT32_MAX, INT32_MIN}, 5, 0, INT32_MIN},  // 32-bit wrap
    };
    for (const auto& c : cases) {
        const int32_t count = c.count ? c.count : static_cast<int32_t>(c.x.size());
        int32_t flag = -1;
        const int32_t y = LinIpolInt(count, c.x.data(), c.y.data(), c.at, &flag);
        EXPECT_EQ(std::make_tuple(y, flag, LcvLinIpolInt(count, c.x.data(), c.y.data(), c.at)),
                  std::make_tuple(c.result, c.flag, c.result)) << "x " << c.at;
    }
    int32_t x[] = {0, 100}, y[] = {0, 1000}, flag = -1;
    EXPECT_EQ(LinIpolInt(2, nullptr, y, 0, &flag), 0);
    EXPECT_EQ(flag, 1) << "no x table";
    EXPECT_EQ(LinIpolInt(2, x, y, 50, nullptr), 500) << "no flag to write";
}

TEST(Scaling, NumberTextsRoundAtTheCarriesAndFitTheCapacityOrWriteNothing) {
    const struct {
        int32_t value, multiplier, divisor, decimals;
        const char* unit;
        uint32_t size;
        const char* text;      // BinToAsc; nullptr: refused
        const char* lcv_text = nullptr;  // LcvBinToAsc, when it differs ("": refused)
    } cases[] = {
        {-3, 1, 1, 0, "mm", 64, "-3 mm"}, {3, 1, 1, 0, "", 64, "3 "}, {0, -1, 1, 2, "mm", 64, ".00 mm"},
        {-4, 1, 1000, 2, "mm", 64, "-.00 mm"}, {7, 1, 0, 0, "mm", 64, " mm"}, {7, 1, 0, 2, "mm", 64, ".00 mm"},
        {12345, 1, 1000, -2, "mm", 64, "12 mm"}, {9999, 1, 1000, 2, "mm", 64, "10.00 mm"}, {2, 1, 3, 5, "um", 64, ".66667 um"},
        {995, 1, 1000, 2, "mm", 64, "1.00 mm"}, {994, 1, 1000, 2, "mm", 64, ".99 mm"}, {5, 1, 1000, 2, "mm", 64, ".01 mm"},
        {4, 1, 1000, 2, "mm", 64, ".00 mm"}, {1005, 1, 1000, 2, "mm", 64, "1.01 mm"},
        {1, 1, INT32_MIN, 12, "", 64, "-.000000000466 "}, {1, 1, 8, 20, "", 64, ".12500000000000000000 "},
        {INT32_MIN, INT32_MIN, 1, 0, "", 64, "4611686018427387904 "}, {INT32_MAX, INT32_MAX, 1, 1, "", 64, "4611686014132420609.0 "},
        // Capacities: digits, point, decimals, blank, unit and terminator.
        {12345, 1, 1000, 2, "mm", 9, nullptr}, {12345, 1, 1000, 2, "mm", 10, "12.35 mm"}, {50, 1, 1000, 2, "mm", 7, nullptr},
        {50, 1, 1000, 2, "mm", 8, ".05 mm"}, {0, 1, 1, 0, "mm", 5, nullptr}, {0, 1, 1, 0, "mm", 6, " mm", ""},
        {0, 1, 1, 0, "mm", 7, " mm", "0 mm"}, {1, 1, 1, 0, "mm", 0, nullptr},
    };
    for (const auto& c : cases)
        for (const bool lcv : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.value << "/" << c.divisor << " in " << c.size << (lcv ? " Lcv" : ""));
            const char* expected = lcv && c.lcv_text ? (*c.lcv_text ? c.lcv_text : nullptr) : c.text;
            GuardedBuffer b(c.size);  // guarded right behind the capacity the call is given
            EXPECT_EQ((lcv ? LcvBinToAsc : BinToAsc)(b.data(), c.size, c.multiplier, c.divisor, c.value, c.unit, c.decimals),
                      expected ? b.data() : nullptr);
            EXPECT_EQ(expected ? b.text() : b.raw(), expected ? expected : std::string(c.size, GuardedBuffer::kFill));
            EXPECT_TRUE(b.guards_intact());
        }
    char b[16];
    EXPECT_EQ(BinToAsc(nullptr, 16, 1, 1, 1, "mm", 0), nullptr);
    EXPECT_EQ(BinToAsc(b, 16, 1, 1, 1, nullptr, 0), nullptr);
}

// A caller's block for a handle, 8-aligned, filled with 0xA5 to a guard beyond `size`.
struct HandleBlock {
    explicit HandleBlock(uint32_t n) : size(n), words((n + 39) / 8, 0xA5A5A5A5A5A5A5A5u) {}
    LcvDataHandle* get() { return reinterpret_cast<LcvDataHandle*>(words.data()); }
    std::string bytes() const { return std::string(reinterpret_cast<const char*>(words.data()), words.size() * 8); }
    bool untouched_from(std::size_t from) const { return bytes().find_first_not_of('\xA5', from) == std::string::npos; }
    uint32_t size;
    std::vector<uint64_t> words;
};

// What a handle holds, as text: MinPhyData, MinLogData, MaxPhyData, MaxLogData, the factors and dividers
// (control, data, control, data), MaxNameLen, MaxUnitLen, TableLength | name | unit | control table | data
// table (read bytewise: the tables may be 2-aligned).
std::string filled(const LcvDataHandle& h) {
    std::ostringstream out;
    for (const int32_t v : {h.MinPhyData, h.MinLogData, h.MaxPhyData, h.MaxLogData, h.ControlFactor, h.DataFactor,
                            h.ControlDivider, h.DataDivider, h.MaxNameLen, h.MaxUnitLen})
        out << v << ' ';
    out << h.TableLength << '|' << h.DataName << '|' << h.DataUnit;
    for (const int32_t* table : {h.ControlPos, h.DataPos})
        for (int32_t k = 0, cell = 0; k < h.TableLength; ++k) {
            std::memcpy(&cell, table + k, sizeof cell);
            out << (k ? " " : "|") << cell;
        }
    return out.str();
}
struct ConversionBlock : ::testing::Test {
    // A handle filled from `file` in a block of the size the library reports.
    HandleBlock load(const std::string& file, const char* column, const char* section = "Table") {
        HandleBlock block(LcvGetDataHandleSize(section, file.c_str()));
        EXPECT_EQ(LcvInitDataHandle(section, file.c_str(), column, block.get()), 1);
        EXPECT_TRUE(block.untouched_from(block.size)) << "written beyond the reported size " << block.size;
        return block;
    }
    xq::test::TempDirectory dir_;
};

constexpr uint32_t kHeader = sizeof(LcvDataHandle);

TEST_F(ConversionBlock, SizeCountsNegativesAsZeroIsEvenAndRefusesBlocksBeyond2GiB) {
    const uint32_t longest = (INT32_MAX - kHeader - 2) / 8;  // the largest block that fits 2^31 - 1 bytes
    const struct { std::string sizes; uint32_t size; } cases[] = {  // size beyond the header; 0: refused
        {"TableLength=3\nMaxNameLen=10\nMaxUnitLen=5\n", 42}, {"TableLength=3\nMaxNameLen=10\nMaxUnitLen=4\n", 40},
        {"TableLength=0\nMaxNameLen=0\nMaxUnitLen=0\n", 2}, {"", 2}, {"TableLength=-3\nMaxNameLen=-10\nMaxUnitLen=-4\n", 2},
        {"TableLength=0x10\nMaxNameLen=7abc\nMaxUnitLen= 2\n", 12}, {"MaxNameLen=2147483647\n", 0},
        {"TableLength=" + std::to_string(longest), 2 + 8 * longest}, {"TableLength=" + std::to_string(longest + 1), 0},
    };
    for (const auto& c : cases) {
        const std::string file = dir_.write("sizes.ini", "[Table]\n" + c.sizes);
        EXPECT_EQ(LcvGetDataHandleSize("Table", file.c_str()), c.size ? kHeader + c.size : 0) << c.sizes;
    }
    EXPECT_EQ(LcvGetDataHandleSize(nullptr, dir_.file("missing.ini").c_str()), kHeader + 2);
}

// The rows as the entry lookups find them: letter case, duplicates, rows out
// of order, quotes, comments, radixes, long values, line ends and UTF-16.
TEST_F(ConversionBlock, FillingLaysOutTheBlockAndReadsTheSectionAsTheEntryLookupsDo) {
    const std::string messy =
        "; before\nTableLength=9\n[Other]\nTableLength=1\n[ table ]\ntablelength = 3\nMAXNAMELEN=10\nmaxunitlen=5\n"
        "controlname=Steps\ncolumnname=Steps Micrometre Falling\nColumnName=Ignored\ncolumnunit=\"steps um mm\"\n"
        "ColumnFactor=1\t10 16\nColumnDivider=1 1 8\t\nMinPhyData=-50\nMaxPhyData=3000\n"
        "Pos3=2000 10000 -8\npos1=0 0 900\nPos1=7 7 7\nPos02=9 9 9\nPos2=;1000 5000 500\n[Table]\nPos2=1 1 1\n";
    const std::string wide = "[Table]\r\nTableLength=2\r\nMaxNameLen=4\r\nMaxUnitLen=1\r\nControlName=" +
                             std::string(40, 'C') + "\r\nColumnName=" + std::string(29, 'C') +
                             " Micrometre\r\nColumnUnit=x yz\r\nColumnFactor=0x7fffffff 3\r\nColumnDivider=-2 0\r\n"
                             "MinPhyData=0\r\nMaxPhyData=10\r\nPos2=1 " + std::string(200, ' ') + " 2 3\nPos1=5 6 7\r\n";
    const char* from_messy = "-50 0 3000 0 1 10 1 1 10 5 3|Micrometre|um|0 0 2000|0 0 10000";
    // A row is "Pos" and decimal digits only: "Pos1:" is an entry like any other, not row 20.
    const std::string z20 = "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0", colon = "0 0 0 0 0 0 0 0 1 1 20|A||" + z20 + "|" + z20;
    const struct { std::string text; const char* column, *expected; } cases[] = {
        {messy, "Micrometre", from_messy}, {xq::test::utf16_bytes(messy), "Micrometre", from_messy},
        {wide, "Micrometre", "0 0 10 0 2147483647 3 -2 0 4 1 2|Micr|y|5 1|6 2"},
        {"[Table]\nTableLength=20\nMaxNameLen=1\nMaxUnitLen=1\nControlName=A\nColumnName=A\nPos1:=7 7\n", "A", colon.c_str()},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string file = dir_.write("variant" + std::to_string(n++) + ".ini", c.text);
        HandleBlock t = load(file, c.column);
        EXPECT_EQ(filled(*t.get()), c.expected) << n;
        HandleBlock switched = load(file, "Falling");
        EXPECT_EQ(LcvNewLogDataUnit("Table", file.c_str(), c.column, switched.get()), 1);
        EXPECT_EQ(filled(*switched.get()), c.expected) << n;
    }
    // The block: name area, unit area, one zeroed padding byte, then tables at an
    // offset that is even but not a multiple of 4.
    HandleBlock block = load(dir_.file("variant0.ini"), "Micrometre");
    const LcvDataHandle& h = *block.get();
    const auto at = [&](const void* p) { return static_cast<const char*>(p) - reinterpret_cast<const char*>(&h); };
    EXPECT_EQ(std::vector({at(h.DataName), at(h.DataUnit), at(h.ControlPos), at(h.DataPos)}),
              (std::vector<std::ptrdiff_t>{kHeader, kHeader + 11, kHeader + 18, kHeader + 30}));
    EXPECT_EQ(std::string(h.DataName, 18), std::string("Micrometre\0um\0\0\0\0\0", 18));
    EXPECT_EQ(h.PhyData, static_cast<int32_t>(0xA5A5A5A5)) << "PhyData and LogData are not written";
    HandleBlock missing = load(dir_.file("missing.ini"), "Steps");
    EXPECT_EQ(filled(*missing.get()), "0 0 0 0 0 0 0 0 0 0 0||");
}

TEST_F(ConversionBlock, SingleEntryReadsTakeNamesOf30CharactersAndWholeLines) {
    const std::string n30(30, 'N'), n31(31, 'N'), m29 = "%" + std::string(29, 'M');
    const std::string file = dir_.write("cells.ini", "[Table]\nPos12=5 0x10 -010 x7\nColumnFactor=3 4\n"
        "MaxPhyData= -17xyz\nWide=" + std::string(230, '1') + " 42\n" + n30 + "=30\n" + n31 + "=31\n" +
        m29.substr(1) + "5=29\n" + m29.substr(1) + "12=31\n" + m29.substr(1) + "123=32\n" +
        m29.substr(1) + "=7\n" + m29.substr(1) + "-=7\n");  // what a name without room for its index could leave
    const struct { const char* entry; int32_t index, column, value; } cases[] = {
        {"%Pos", 12, 1, 5}, {"%Pos", 12, 2, 16}, {"%Pos", 12, 3, -8}, {"%Pos", 12, 4, 0}, {"%Pos", 12, 5, 0},
        {"%Pos", 12, 0, 0}, {"%Pos", 11, 1, 0}, {"ColumnFactor", 12, 2, 4}, {"ColumnFactor", -1, 1, 3},
        {"Wide", 0, 2, 42},  // beyond the 200 characters GetNamedArrayElement reads
        {n30.c_str(), 0, 1, 30}, {n31.c_str(), 0, 1, 0},  // 30 characters of name at most
        {m29.c_str(), 5, 1, 29}, {m29.c_str(), 12, 1, 31}, {m29.c_str(), 123, 1, 0},  // 31 with the index
        {m29.c_str(), INT32_MIN, 1, 0},  // no room for the index: nothing read, not the bare name
        {nullptr, 0, 1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LcvGetNamedArrayElement("Table", c.entry, c.index, c.column, file.c_str()), c.value)
            << (c.entry ? c.entry : "null") << "[" << c.index << "] column " << c.column;
    EXPECT_EQ(GetNamedArrayElement("Table", "Wide", 0, 2, file.c_str()), 0);
    EXPECT_EQ(LcvGetNamedInt("Table", "MaxPhyData", file.c_str()), -17) << "decimal digits, as the sizes read";
}

TEST_F(ConversionBlock, ConversionsHoldToTheRangesAndRecordTheirValues) {
    const std::string file = dir_.write("small.ini", "[T]\nTableLength=2\nMaxNameLen=8\nMaxUnitLen=4\nControlName=C\n"
        "ColumnName=C D R\nColumnUnit=steps mm mm\nColumnFactor=1 100 100\nColumnDivider=1 1 1\nMinPhyData=0\n"
        "MaxPhyData=1000\nPos1=0 0 500\nPos2=1000 500 0\n");
    HandleBlock block = load(file, "D", "T");
    LcvDataHandle* h = block.get();
    ASSERT_EQ(std::make_pair(LcvGetMinLogDataValue(h), LcvGetMaxLogDataValue(h)), std::make_pair(0, 500));
    const struct { bool to_phy; int32_t value, result, phy, log; } steps[] = {  // the result, PhyData, LogData
        {false, 250, 125, 250, 125}, {true, 125, 250, 250, 125}, {true, 600, 1000, 1000, 500},
        {true, -5, 0, 0, 0},         {false, 1200, 0, 1200, 0},  {false, -1, 0, -1, 0},
    };
    for (const auto& s : steps) {
        const int32_t result = s.to_phy ? LcvLogToPhy(s.value, h) : LcvPhyToLog(s.value, h);
        EXPECT_EQ(std::make_tuple(result, h->PhyData, h->LogData), std::make_tuple(s.result, s.phy, s.log)) << s.value;
    }
    GuardedBuffer text(16);  // the data column's scale and unit; the rest is LcvBinToAsc's
    EXPECT_STREQ(LcvToAsc(text.data(), 16, 125, 2, nullptr, h), "1.25 mm");
    EXPECT_EQ(LcvToAsc(text.data(), 7, 125, 2, nullptr, h), nullptr);
    EXPECT_EQ(h->LogData, 0) << "showing a value converts nothing";
    LcvSetMaxLogDataValue(300, h);
    EXPECT_EQ(LcvLogToPhy(400, h), 600);
    LcvSetMinLogDataValue(-7, h);
    EXPECT_EQ(LcvGetMinLogDataValue(h), -7);
    EXPECT_EQ(LcvLogToPhy(-7, h), 0) << "outside the table: 0, held to the physical range";
    // The falling column: ordered limits again, the setters forgotten.
    EXPECT_EQ(LcvNewLogDataUnit("T", file.c_str(), "R", h), 1);
    EXPECT_EQ(filled(*h), "0 0 1000 500 1 100 1 1 8 4 2|R|mm|0 1000|500 0");
    EXPECT_EQ(LcvLogToPhy(100, h), 800);
    EXPECT_EQ(LcvNewLogDataUnit("T", file.c_str(), "Nowhere", h), 1);
    EXPECT_EQ(filled(*h), "0 0 1000 0 1 0 1 0 8 4 2|Nowhere||0 1000|0 0");
    EXPECT_STREQ(LcvGetLogDataNames("T", file.c_str(), text.data(), 16, 0), "C D R");  // the named string ColumnName
    EXPECT_EQ(LcvLogToPhy(1, nullptr) | LcvPhyToLog(1, nullptr) | LcvGetMinLogDataValue(nullptr) |
                  LcvGetMaxLogDataValue(nullptr) | LcvNewLogDataUnit("T", file.c_str(), "D", nullptr) |
                  LcvInitDataHandle("T", file.c_str(), "D", nullptr), 0) << "no handle: every call answers 0";
    EXPECT_EQ(LcvToAsc(text.data(), 4, 1, 0, nullptr, nullptr), nullptr);
}

}  // namespace
