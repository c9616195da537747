// Conversion tables: the block size and layout, filling a handle from one
// reading of the file (checked against reading every entry on its own), the
// single-entry functions, the conversions and column switches, the sample
// focus table, and the round trip logical -> physical -> logical.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "support/buffer.h"
#include "support/file_bytes.h"
#include "support/reset.h"
#include "support/temp_dir.h"
#include "xq_utils.h"

namespace {

using xq::test::GuardedBuffer;

// A caller's block for a handle, aligned, with guard bytes after its size.
class HandleBlock {
public:
    static constexpr std::size_t kGuard = 32;
    static constexpr unsigned char kFill = 0xA5;

    explicit HandleBlock(uint32_t size) : size_(size), words_((size + kGuard + 7) / 8) {
        std::memset(words_.data(), kFill, words_.size() * 8);
    }
    LcvDataHandle* get() { return static_cast<LcvDataHandle*>(static_cast<void*>(words_.data())); }
    LcvDataHandle* operator->() { return get(); }
    const unsigned char* bytes() const { return static_cast<const unsigned char*>(static_cast<const void*>(words_.data())); }
    bool untouched_from(std::size_t from) const {
        return std::all_of(bytes() + from, bytes() + words_.size() * 8, [](unsigned char b) { return b == kFill; });
    }
    bool guard_intact() const { return untouched_from(size_); }
    std::size_t offset_of(const void* p) const { return static_cast<std::size_t>(static_cast<const unsigned char*>(p) - bytes()); }

private:
    uint32_t size_;
    std::vector<uint64_t> words_;
};

// The cells of a handle's table, read bytewise (the table may be 2-aligned).
std::vector<int32_t> cells(const int32_t* table, int32_t length) {
    std::vector<int32_t> out(static_cast<std::size_t>(std::max(length, 0)));
    if (!out.empty()) std::memcpy(out.data(), table, out.size() * sizeof(int32_t));
    return out;
}

// What a handle holds after filling, as a comparable record.
struct Filled {
    int32_t min_phy, min_log, max_phy, max_log, control_factor, data_factor, control_divider, data_divider;
    int32_t name_len, unit_len, length;
    std::string name, unit;
    std::vector<int32_t> control, data;
    bool operator==(const Filled&) const = default;
};

Filled filled(const LcvDataHandle& h) {
    return {h.MinPhyData, h.MinLogData, h.MaxPhyData, h.MaxLogData, h.ControlFactor, h.DataFactor,
            h.ControlDivider, h.DataDivider, h.MaxNameLen, h.MaxUnitLen, h.TableLength,
            h.DataName, h.DataUnit, cells(h.ControlPos, h.TableLength), cells(h.DataPos, h.TableLength)};
}

// The filling step by step, every entry read on its own through the exported
// lookups, with the name and unit cut to their areas and an empty unit where
// the data column has no unit word.
Filled filled_entry_by_entry(const char* section, const char* file, const char* column) {
    Filled e{};
    e.length = std::max(GetNamedInt(section, "TableLength", file), 0);
    e.name_len = std::max(GetNamedInt(section, "MaxNameLen", file), 0);
    e.unit_len = std::max(GetNamedInt(section, "MaxUnitLen", file), 0);
    char control_name[30] = {};
    GetNamedString(section, "ControlName", control_name, sizeof control_name, file);
    const int32_t control = GetNamedSubstringIndex(section, "ColumnName", control_name, file);
    const int32_t data = GetNamedSubstringIndex(section, "ColumnName", column, file);
    e.name = std::string(column).substr(0, static_cast<std::size_t>(e.name_len));
    std::vector<char> unit(static_cast<std::size_t>(e.unit_len) + 1, '\0');
    const auto unit_size = static_cast<uint32_t>(unit.size());
    if (GetNamedSubstringString(section, "ColumnUnit", data, unit.data(), unit_size, file)) e.unit = unit.data();
    e.min_phy = LcvGetNamedInt(section, "MinPhyData", file);
    e.max_phy = LcvGetNamedInt(section, "MaxPhyData", file);
    e.control_factor = LcvGetNamedArrayElement(section, "ColumnFactor", 0, control, file);
    e.data_factor = LcvGetNamedArrayElement(section, "ColumnFactor", 0, data, file);
    e.control_divider = LcvGetNamedArrayElement(section, "ColumnDivider", 0, control, file);
    e.data_divider = LcvGetNamedArrayElement(section, "ColumnDivider", 0, data, file);
    for (int32_t k = 1; k <= e.length; ++k) {
        e.control.push_back(LcvGetNamedArrayElement(section, "%Pos", k, control, file));
        e.data.push_back(LcvGetNamedArrayElement(section, "%Pos", k, data, file));
    }
    const auto logical = [&](int32_t phy) {
        return LcvLinIpolInt(e.length, e.control.data(), e.data.data(), LcvScaleInt(phy, e.control_factor, e.control_divider));
    };
    e.min_log = std::min(logical(e.min_phy), logical(e.max_phy));
    e.max_log = std::max(logical(e.min_phy), logical(e.max_phy));
    return e;
}

class ConvertHandleTest : public ::testing::Test {
protected:
    void SetUp() override { xq::test::reset_library_state(); }
    void TearDown() override { xq::test::reset_library_state(); }

    // A handle filled from `file`, with the block size the library reports.
    struct Loaded {
        HandleBlock block;
        int32_t result;
    };
    static Loaded load(const std::string& file, const char* column, const char* section = "Table") {
        const uint32_t size = LcvGetDataHandleSize(section, file.c_str());
        Loaded loaded{HandleBlock(size), 0};
        loaded.result = LcvInitDataHandle(section, file.c_str(), column, loaded.block.get());
        EXPECT_TRUE(loaded.block.guard_intact()) << "written beyond the reported size " << size;
        return loaded;
    }

    xq::test::TempDirectory dir_;
};

constexpr uint32_t kHeader = sizeof(LcvDataHandle);

TEST_F(ConvertHandleTest, BlockSizes) {
    const struct {
        const char* sizes;  // the section's three size entries
        uint32_t size;      // beyond the header; 0: refused
    } cases[] = {
        {"TableLength=3\nMaxNameLen=10\nMaxUnitLen=5\n", 42},  // 41, made even
        {"TableLength=3\nMaxNameLen=10\nMaxUnitLen=4\n", 40},
        {"TableLength=0\nMaxNameLen=0\nMaxUnitLen=0\n", 2},     {"", 2},
        {"TableLength=-3\nMaxNameLen=-10\nMaxUnitLen=-4\n", 2},  // negatives count as 0
        {"TableLength=0x10\nMaxNameLen=7abc\nMaxUnitLen= 2\n", 12},  // plain decimal
        {"TableLength=200000000\n", 2 + 8 * 200000000u},
        {"TableLength=300000000\n", 0},                          // beyond 2^31 - 1 bytes
        {"MaxNameLen=2147483647\n", 0},
    };
    for (const auto& c : cases) {
        const std::string file = dir_.write("sizes.ini", std::string("[Table]\n") + c.sizes);
        EXPECT_EQ(LcvGetDataHandleSize("Table", file.c_str()), c.size ? kHeader + c.size : 0) << c.sizes;
    }
    EXPECT_EQ(LcvGetDataHandleSize("Table", dir_.file("missing.ini").c_str()), kHeader + 2);
    EXPECT_EQ(LcvGetDataHandleSize(nullptr, dir_.file("missing.ini").c_str()), kHeader + 2);

    // A refused size is refused by the filling too, which then writes nothing.
    const std::string huge = dir_.write("huge.ini", "[Table]\nTableLength=300000000\n");
    HandleBlock block(256);
    EXPECT_EQ(LcvInitDataHandle("Table", huge.c_str(), "A", block.get()), 0);
    EXPECT_TRUE(block.untouched_from(0));
    EXPECT_EQ(LcvInitDataHandle("Table", huge.c_str(), "A", nullptr), 0);
}

const char kTable[] =
    "[Table]\nTableLength=3\nMaxNameLen=10\nMaxUnitLen=5\nControlName=Steps\n"
    "ColumnName=Steps Micrometre Falling Unitless\nColumnUnit=steps um mm\n"
    "ColumnFactor=1 10 0x10 1\nColumnDivider=1 1 010 1\nMinPhyData=100\nMaxPhyData=1900\n"
    "Pos1=0 0 900 5\nPos2=1000 5000 500 6\nPos3=2000 10000 -010 7\n";

TEST_F(ConvertHandleTest, FillingLaysOutTheBlock) {
    const std::string file = dir_.write("table.ini", kTable);
    Loaded t = load(file, "Falling");
    ASSERT_EQ(t.result, 1);
    LcvDataHandle& h = *t.block.get();
    // Name area, unit area, one padding byte, then tables at an offset that
    // is even but not a multiple of 4.
    EXPECT_EQ(t.block.offset_of(h.DataName), kHeader);
    EXPECT_EQ(t.block.offset_of(h.DataUnit), kHeader + 11);
    EXPECT_EQ(t.block.offset_of(h.ControlPos), kHeader + 18);
    EXPECT_EQ(t.block.offset_of(h.DataPos), kHeader + 30);
    EXPECT_EQ(t.block.offset_of(h.ControlPos) % 4, 2u);
    EXPECT_EQ(std::string(h.DataName, 11), std::string("Falling\0\0\0\0", 11));
    const Filled expected{100, 43, 1900, 860, 1, 16, 1, 8, 10, 5, 3, "Falling", "mm", {0, 1000, 2000}, {900, 500, -8}};
    EXPECT_EQ(filled(h), expected) << "the falling column still gives ordered limits";
    EXPECT_EQ(h.PhyData, static_cast<int32_t>(0xA5A5A5A5)) << "PhyData and LogData are not written";
}

TEST_F(ConvertHandleTest, NamesAndUnitsStayInTheirAreas) {
    std::string text = kTable;
    text.replace(text.find("ColumnUnit=steps"), 16, "ColumnUnit=millisteps");
    const std::string file = dir_.write("table.ini", text);
    const struct {
        const char* column;
        std::string name, unit;  // the areas' bytes
        int32_t data_factor;
    } cases[] = {
        {"Micrometre", {"Micrometre\0", 11}, {"um\0\0\0\0", 6}, 10},
        {"Unitless", {"Unitless\0\0\0", 11}, {"\0\0\0\0\0\0", 6}, 1},  // no unit word: empty
        {"Nowhere", {"Nowhere\0\0\0\0", 11}, {"\0\0\0\0\0\0", 6}, 0},  // no such column: zeros
        {"Steps", {"Steps\0\0\0\0\0\0", 11}, {"milli\0", 6}, 1},         // cut to MaxUnitLen
        {"VeryLongColumnName", {"VeryLongCo\0", 11}, {"\0\0\0\0\0\0", 6}, 0},  // cut to MaxNameLen
    };
    for (const auto& c : cases) {
        Loaded t = load(file, c.column);
        EXPECT_EQ(std::string(t.block->DataName, 11), c.name) << c.column;
        EXPECT_EQ(std::string(t.block->DataUnit, 6), c.unit) << c.column;
        EXPECT_EQ(t.block->DataFactor, c.data_factor) << c.column;
    }
}

// Sections that a per-entry reading and one reading of the file must see
// alike: letter case, duplicates, rows out of order, quotes, comments,
// radixes, blanks, long values, line ends and UTF-16.
std::vector<std::string> variants() {
    const std::string long_row = "Pos2=1 " + std::string(200, ' ') + " 2 3\n";  // word 3 beyond 200 characters
    return {
        kTable,
        "; before\nTableLength=9\n[Other]\nTableLength=1\n[ table ]\ntablelength = 3\nMAXNAMELEN=10\nmaxunitlen=5\n"
        "controlname=Steps\ncolumnname=Steps Micrometre Falling\nColumnName=Ignored\ncolumnunit=\"steps um mm\"\n"
        "ColumnFactor=1\t10 16\nColumnDivider=1 1 8\t\nMinPhyData=-50\nMaxPhyData=3000\n"
        "Pos3=2000 10000 -8\npos1=0 0 900\nPos1=7 7 7\nPos02=9 9 9\nPos2=;1000 5000 500\n[Table]\nPos2=1 1 1\n",
        "[Table]\r\nTableLength=2\r\nMaxNameLen=4\r\nMaxUnitLen=1\r\nControlName=" + std::string(40, 'C') +
            "\r\nColumnName=" + std::string(29, 'C') + " Micrometre\r\nColumnUnit=x yz\r\nColumnFactor=0x7fffffff 3\r\n"
            "ColumnDivider=-2 0\r\nMinPhyData=0\r\nMaxPhyData=10\r\n" + long_row + "Pos1=5 6 7\r\n",
        "[Table]\rTableLength=4\rMaxNameLen=3\rMaxUnitLen=3\rControlName=Micrometre\rColumnName=Steps Micrometre Falling\r"
        "ColumnUnit=a b c\rColumnFactor=1 1 1\rColumnDivider=1 1 1\rMinPhyData=0\rMaxPhyData=20\r"
        "Pos1=0 0 0\rPos2=1 10 5\rPos4=3 30 15\r",
        "[Table]\nTableLength=2\nMaxNameLen=10\nMaxUnitLen=5\nControlName=Steps\nColumnName=" + std::string(195, 'W') +
            " Steps Micrometre\nColumnFactor=1 1 1\nColumnDivider=1 1 1\nPos1=1 2 3\nPos2=" + std::string(250, '9') + "\n",
    };
}

TEST_F(ConvertHandleTest, OneReadingGivesWhatEveryEntryReadOnItsOwnGives) {
    std::vector<std::string> files = variants();
    files.push_back(xq::test::utf16_bytes(kTable));
    files.push_back(xq::test::utf16_bytes(files[1]));
    int n = 0;
    for (const std::string& text : files) {
        const std::string file = dir_.write("variant" + std::to_string(n++) + ".ini", text);
        for (const char* column : {"Steps", "Micrometre", "Falling", "Unitless", "Nowhere", ""}) {
            SCOPED_TRACE(file + " column '" + column + "'");
            Loaded t = load(file, column);
            EXPECT_EQ(t.result, 1);
            EXPECT_EQ(filled(*t.block.get()), filled_entry_by_entry("Table", file.c_str(), column));
            // Switching a handle to the column gives the same as filling it for it.
            Loaded other = load(file, "Steps");
            EXPECT_EQ(LcvNewLogDataUnit("Table", file.c_str(), column, other.block.get()), 1);
            EXPECT_EQ(filled(*other.block.get()), filled(*t.block.get()));
        }
    }
    for (const char* missing : {"missing.ini", ""}) {
        Loaded t = load(dir_.file(missing), "Steps");
        EXPECT_EQ(filled(*t.block.get()), (Filled{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", "", {}, {}}));
    }
}

TEST_F(ConvertHandleTest, EachCallReadsTheFileOnce) {
    const std::string file = dir_.write("table.ini", kTable);
    Loaded t = load(file, "Steps");
    using xq::os::Op;
    const std::function<void()> calls[] = {
        [&] { LcvGetDataHandleSize("Table", file.c_str()); },
        [&] { LcvInitDataHandle("Table", file.c_str(), "Micrometre", t.block.get()); },
        [&] { LcvNewLogDataUnit("Table", file.c_str(), "Falling", t.block.get()); },
    };
    for (const auto& call : calls) {
        xq::os::fault_arm({Op::file_open, 1000});
        call();
        EXPECT_EQ(xq::os::fault_count(), 1);
    }
    // A file that opens but cannot be read reads as an empty one.
    xq::os::fault_arm({Op::file_read, 1});
    EXPECT_EQ(LcvInitDataHandle("Table", file.c_str(), "Micrometre", t.block.get()), 1);
    xq::os::fault_disarm();
    EXPECT_EQ(t.block->TableLength, 0);
    EXPECT_EQ(t.block->DataName, std::string());
}

TEST_F(ConvertHandleTest, SingleEntryFunctions) {
    const std::string cells = "[Table]\nPos12=5 0x10 -010 x7\nColumnFactor=3 4\nMinPhyData=0x10\nMaxPhyData= -17xyz\n"
                              "Wide=" + std::string(230, '1') + " 42\n" + std::string(30, 'N') + "=30\n" +
                              std::string(31, 'N') + "=31\n" + std::string(29, 'M') + "5=29\n" +
                              std::string(29, 'M') + "12=31\n" + std::string(29, 'M') + "123=32\n";
    const std::string file = dir_.write("cells.ini", cells);
    const std::string n30(30, 'N'), n31(31, 'N'), m29 = "%" + std::string(29, 'M');
    const struct {
        const char* entry;
        int32_t index, column, value;
    } cases[] = {
        {"%Pos", 12, 1, 5}, {"%Pos", 12, 2, 16}, {"%Pos", 12, 3, -8}, {"%Pos", 12, 4, 0}, {"%Pos", 12, 5, 0},
        {"%Pos", 12, 0, 0}, {"%Pos", 11, 1, 0},  {"ColumnFactor", 12, 2, 4}, {"ColumnFactor", -1, 1, 3},
        {"Wide", 0, 2, 42},  // beyond the 200 characters GetNamedArrayElement reads
        {n30.c_str(), 0, 1, 30}, {n31.c_str(), 0, 1, 0},  // 30 characters of name at most
        {m29.c_str(), 5, 1, 29}, {m29.c_str(), 12, 1, 31}, {m29.c_str(), 123, 1, 0},  // 31 with the index
        {nullptr, 0, 1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LcvGetNamedArrayElement("Table", c.entry, c.index, c.column, file.c_str()), c.value)
            << (c.entry ? c.entry : "null") << "[" << c.index << "] column " << c.column;
    EXPECT_EQ(GetNamedArrayElement("Table", "Wide", 0, 2, file.c_str()), 0);
    EXPECT_EQ(LcvGetNamedInt("Table", "MinPhyData", file.c_str()), 0) << "plain decimal";
    EXPECT_EQ(LcvGetNamedInt("Table", "MaxPhyData", file.c_str()), -17);
    EXPECT_EQ(LcvGetNamedInt("Table", "MaxPhyData", dir_.file("missing.ini").c_str()), 0);

    const std::string table = dir_.write("rewrite.ini", "[Table]\nMaxPhyData=1900\r\nMinPhyData=0\n");
    EXPECT_EQ(LcvRplNamedInt("Table", "MaxPhyData", -5, table.c_str()), 1);
    EXPECT_EQ(LcvRplNamedInt("Table", "MinPhyData", 10, table.c_str()), 0) << "longer than the old value";
    EXPECT_EQ(xq::test::read_bytes(table), "[Table]\nMaxPhyData=  -5\r\nMinPhyData=0\n");
    EXPECT_EQ(LcvGetNamedInt("Table", "MaxPhyData", table.c_str()), -5);
}

// The handle of the documented example: control (0, 1000), data (0, 500),
// control factor and divider 1, physical range 0 ... 1000.
const char kSmall[] = "[T]\nTableLength=2\nMaxNameLen=8\nMaxUnitLen=4\nControlName=C\nColumnName=C D R\n"
                      "ColumnUnit=steps mm mm\nColumnFactor=1 100 100\nColumnDivider=1 1 1\nMinPhyData=0\n"
                      "MaxPhyData=1000\nPos1=0 0 500\nPos2=1000 500 0\n";

TEST_F(ConvertHandleTest, Conversions) {
    const std::string file = dir_.write("small.ini", kSmall);
    Loaded t = load(file, "D", "T");
    LcvDataHandle* h = t.block.get();
    ASSERT_EQ(LcvGetMinLogDataValue(h), 0);
    ASSERT_EQ(LcvGetMaxLogDataValue(h), 500);
    const struct {
        bool to_phy;
        int32_t value, result, phy, log;  // the result, then PhyData and LogData
    } steps[] = {
        {false, 250, 125, 250, 125}, {true, 125, 250, 250, 125}, {true, 600, 1000, 1000, 500},
        {true, -5, 0, 0, 0},         {false, 1200, 0, 1200, 0},  {false, -1, 0, -1, 0},
    };
    for (const auto& s : steps) {
        EXPECT_EQ(s.to_phy ? LcvLogToPhy(s.value, h) : LcvPhyToLog(s.value, h), s.result) << s.value;
        EXPECT_EQ(h->PhyData, s.phy);
        EXPECT_EQ(h->LogData, s.log);
    }
    GuardedBuffer text(16);
    EXPECT_EQ(LcvToAsc(text.data(), 16, 125, 2, nullptr, h), text.data());
    EXPECT_EQ(text.text(), "1.25 mm");
    EXPECT_EQ(LcvToAsc(text.data(), 16, 125, 2, "", h), text.data());
    EXPECT_EQ(text.text(), "1.25 ");
    EXPECT_EQ(LcvToAsc(text.data(), 16, 0, 0, nullptr, h), text.data());
    EXPECT_EQ(text.text(), "0 mm");
    EXPECT_EQ(LcvToAsc(text.data(), 7, 125, 2, nullptr, h), nullptr);
    EXPECT_EQ(h->LogData, 0) << "showing a value converts nothing";

    LcvSetMaxLogDataValue(300, h);
    EXPECT_EQ(LcvLogToPhy(400, h), 600);
    LcvSetMinLogDataValue(-7, h);
    EXPECT_EQ(LcvGetMinLogDataValue(h), -7);
    EXPECT_EQ(LcvLogToPhy(-7, h), 0) << "outside the table: 0, held to the physical range";

    // The falling column: ordered limits again, the setters forgotten.
    EXPECT_EQ(LcvNewLogDataUnit("T", file.c_str(), "R", h), 1);
    EXPECT_EQ(LcvGetMinLogDataValue(h), 0);
    EXPECT_EQ(LcvGetMaxLogDataValue(h), 500);
    EXPECT_EQ(LcvLogToPhy(100, h), 800);
    EXPECT_EQ(h->DataName, std::string("R"));
    EXPECT_EQ(LcvNewLogDataUnit("T", file.c_str(), "Nowhere", h), 1);
    EXPECT_EQ(filled(*h), (Filled{0, 0, 1000, 0, 1, 0, 1, 0, 8, 4, 2, "Nowhere", "", {0, 1000}, {0, 0}}));

    GuardedBuffer names(6);
    EXPECT_EQ(LcvGetLogDataNames("T", file.c_str(), names.data(), 4, 0), names.data());
    EXPECT_EQ(names.text(), "C D");
    EXPECT_EQ(LcvGetLogDataNames("Nowhere", file.c_str(), names.data(), 6, 0), nullptr);

    EXPECT_EQ(LcvLogToPhy(1, nullptr) + LcvPhyToLog(1, nullptr) + LcvNewLogDataUnit("T", file.c_str(), "D", nullptr), 0);
    EXPECT_EQ(LcvToAsc(text.data(), 16, 1, 0, nullptr, nullptr), nullptr);
}

TEST_F(ConvertHandleTest, SampleFocusTable) {
    const std::string file = std::string(XQ_EXAMPLES_DIR) + "/installation/data/focusglobal.ini";
    Loaded t = load(file, "Focus", "FocusGlobal");
    LcvDataHandle* h = t.block.get();
    // The travel of 4000 ... 396000 steps in tenths of a micrometre.
    EXPECT_EQ(LcvGetMinLogDataValue(h), 1001);
    EXPECT_EQ(LcvGetMaxLogDataValue(h), 99000);
    EXPECT_EQ(LcvLogToPhy(50000, h), 199930);
    EXPECT_EQ(LcvPhyToLog(199930, h), 50000);
    EXPECT_EQ(LcvLogToPhy(0, h), 4002) << "held to the travel: the lowest logical value";
    char text[32];
    EXPECT_STREQ(LcvToAsc(text, sizeof text, 50000, 1, nullptr, h), "5000.0 um");

    EXPECT_EQ(LcvNewLogDataUnit("FocusGlobal", file.c_str(), "FocusMM", h), 1);
    EXPECT_STREQ(LcvToAsc(text, sizeof text, LcvPhyToLog(199930, h), 3, nullptr, h), "5.000 mm");

    // The working distance falls as the focus rises; its limits stay ordered.
    EXPECT_EQ(LcvNewLogDataUnit("FocusGlobal", file.c_str(), "Height", h), 1);
    EXPECT_EQ(LcvGetMinLogDataValue(h), 260);
    EXPECT_EQ(LcvGetMaxLogDataValue(h), 1240);
    EXPECT_STREQ(LcvToAsc(text, sizeof text, LcvPhyToLog(199930, h), 2, nullptr, h), "7.50 mm");
    EXPECT_EQ(LcvLogToPhy(1000, h), 100000);
    EXPECT_STREQ(h->DataUnit, "mm");
}

// A rising control column and a rising or falling data column whose steps
// are never larger than the control's, with random scales.
std::string random_table(std::mt19937& random, int rows, bool falling, int32_t factor, int32_t divider) {
    std::uniform_int_distribution<int32_t> step(1, 5000), start(-100000, 100000);
    std::string text = "[R]\nTableLength=" + std::to_string(rows) + "\nMaxNameLen=4\nMaxUnitLen=2\nControlName=C\n"
                       "ColumnName=C L\nColumnUnit=s mm\nColumnFactor=" + std::to_string(factor) + " 1\n"
                       "ColumnDivider=" + std::to_string(divider) + " 1\n";
    int32_t c = start(random), l = start(random);
    const int32_t first = c;
    for (int k = 1; k <= rows; ++k) {
        if (k > 1) {
            const int32_t dc = step(random);
            c += dc;
            l += (falling ? -1 : 1) * std::uniform_int_distribution<int32_t>(0, dc)(random);
        }
        text += "Pos" + std::to_string(k) + "=" + std::to_string(c) + " " + std::to_string(l) + "\n";
    }
    // A physical range inside the table.
    const int32_t last = c;
    const auto lo = static_cast<int64_t>(std::ceil(double(first) * divider / factor)) + 1;
    const auto hi = static_cast<int64_t>(std::floor(double(last) * divider / factor)) - 1;
    return text + "MinPhyData=" + std::to_string(lo) + "\nMaxPhyData=" + std::to_string(hi) + "\n";
}

TEST_F(ConvertHandleTest, RoundTripStaysWithinOnePhysicalStep) {
    std::mt19937 random(4711);
    for (int table = 0; table < 40; ++table) {
        const bool falling = table % 2 == 1;
        const int32_t divider = std::uniform_int_distribution<int32_t>(1, 4)(random);
        const int32_t factor = divider * std::uniform_int_distribution<int32_t>(1, 5)(random);
        const std::string file = dir_.write("random.ini", random_table(random, 2 + table % 7, falling, factor, divider));
        Loaded t = load(file, "L", "R");
        LcvDataHandle* h = t.block.get();
        // The largest logical change per physical step, rounded up.
        double slope = 0;
        const std::vector<int32_t> control = cells(h->ControlPos, h->TableLength), data = cells(h->DataPos, h->TableLength);
        for (std::size_t k = 1; k < control.size(); ++k)
            slope = std::max(slope, std::abs(double(data[k] - data[k - 1])) / double(control[k] - control[k - 1]));
        const int32_t width = static_cast<int32_t>(std::ceil(slope * factor / divider));
        const int32_t low = LcvGetMinLogDataValue(h), high = LcvGetMaxLogDataValue(h);
        ASSERT_LE(low, high);
        std::uniform_int_distribution<int32_t> pick(low - 50, high + 50);
        for (int i = 0; i < 200; ++i) {
            const int32_t x = pick(random);
            const int32_t back = LcvPhyToLog(LcvLogToPhy(x, h), h);
            EXPECT_LE(std::abs(back - std::clamp(x, low, high)), width + 1)
                << "table " << table << " x " << x << " scale " << factor << "/" << divider;
        }
    }
}

}  // namespace
