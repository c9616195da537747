// Integer scaling, interpolation and number text: the documented examples,
// 32-bit wrap-around without undefined behaviour, rounding at the carries and
// capacities. (fuzz/bintoasc_fuzz.cpp and fuzz/ipol_fuzz.cpp compare both
// against reference computations over arbitrary arguments.)
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "support/buffer.h"
#include "xq_utils.h"

namespace {

using xq::test::GuardedBuffer;

#if defined(__i386__)
// The x87 control words a 32-bit calling program may hold; the results must
// be the same under each: as found, single precision (as some graphics
// libraries set it), single precision rounding down, extended precision
// truncating.
constexpr uint16_t kCallerFpuWords[] = {0, 0x007F, 0x047F, 0x0F7F};
uint16_t fpu_word() {
    uint16_t word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}
void set_fpu_word(uint16_t word) { __asm__ volatile("fldcw %0" : : "m"(word)); }
#else
constexpr uint16_t kCallerFpuWords[] = {0};  // SSE: no precision to set
uint16_t fpu_word() { return 0; }
void set_fpu_word(uint16_t) {}
#endif

TEST(ConvertArithmetic, ScaleIntRoundsHalvesAwayFromZeroAndWraps) {
    const struct {
        int32_t value, multiplier, divisor, result;
    } cases[] = {
        {7, 1, 2, 4},     {-7, 1, 2, -4},   {3, 1, -2, -2},  {1, 5, 10, 1},   {-1, 5, 10, -1},
        {2, 1, 3, 1},     {-2, 1, 3, -1},   {1, 1, 3, 0},    {5, 3, 0, 0},    {0, 3, 0, 0},
        {INT32_MAX, 2, 1, -2},               // the low 32 bits of 2^32 - 2
        {INT32_MIN, 1, -1, INT32_MIN},       // 2^31 wraps
        {INT32_MIN, INT32_MIN, 1, 0},        // 2^62
        {INT32_MAX, INT32_MAX, 1, 0},        // the product rounded to double: 2^62 - 2^32 (exactly it is ... + 1)
        {INT32_MIN, INT32_MIN, -1, 0},
        {16777217, 1, 1, 16777217},          // 2^24 + 1: lost at single precision
        {100000001, 3, 1, 300000003},
    };
    const uint16_t found = fpu_word();
    for (const uint16_t word : kCallerFpuWords) {
        const uint16_t callers = word != 0 ? word : found;
        for (const auto& c : cases) {
            set_fpu_word(callers);
            const int32_t scaled = ScaleInt(c.value, c.multiplier, c.divisor);
            const int32_t lcv_scaled = LcvScaleInt(c.value, c.multiplier, c.divisor);
            const uint16_t after = fpu_word();
            set_fpu_word(found);
            EXPECT_EQ(scaled, c.result) << c.value << "*" << c.multiplier << "/" << c.divisor << ", FPU " << callers;
            EXPECT_EQ(lcv_scaled, c.result) << c.value << "*" << c.multiplier << "/" << c.divisor << ", FPU " << callers;
            EXPECT_EQ(after, callers) << "the caller's FPU control word was not restored";
        }
    }
}

TEST(ConvertArithmetic, LinIpolIntServesTheFirstSegmentAndNeverExtrapolates) {
    const struct {
        std::vector<int32_t> x, y;
        int32_t at;
        int32_t flag, result;
    } cases[] = {
        {{0, 100}, {0, 1000}, 50, 0, 500},     {{0, 100}, {0, 1000}, 100, 0, 1000},
        {{0, 100}, {0, 1000}, 0, 0, 0},        {{100, 0}, {0, 1000}, 50, 0, 500},
        {{100, 0}, {0, 1000}, 100, 0, 0},      {{100, 0}, {0, 1000}, 0, 0, 1000},
        {{0, 100}, {0, 1000}, -1, 1, 0},       {{0, 100}, {0, 1000}, 101, 1, 0},
        {{0, 10, 10, 20}, {0, 5, 9, 30}, 10, 0, 5},  // a shared point: the earlier segment
        {{0, 10, 10, 20}, {0, 5, 9, 30}, 15, 0, 20}, {{10, 10}, {3, 7}, 10, 0, 3},  // zero width
        {{0, 3}, {0, 1}, 1, 0, 0},             {{0, 3}, {0, 1}, 2, 0, 1},  // rounded
        {{0, 2}, {0, 1}, 1, 0, 1},             {{0, 2}, {0, -1}, 1, 0, -1},  // halves away from zero
        {{0, 10, 0}, {0, 100, 50}, 5, 0, 50},  // up and down again: the rising segment first
        {{7}, {1}, 7, 1, 0},                   {{}, {}, 0, 1, 0},
        // Differences and sums wrap in 32 bits.
        {{INT32_MIN, INT32_MAX}, {0, 100}, 0, 0, 0},
        {{0, 10}, {INT32_MAX, INT32_MIN}, 10, 0, INT32_MIN},
        {{0, 10}, {INT32_MAX, INT32_MIN}, 5, 0, INT32_MIN},
    };
    for (const auto& c : cases) {
        const auto count = static_cast<int32_t>(c.x.size());
        int32_t flag = -1;
        EXPECT_EQ(LinIpolInt(count, c.x.data(), c.y.data(), c.at, &flag), c.result) << "x " << c.at;
        EXPECT_EQ(flag, c.flag) << "x " << c.at;
        EXPECT_EQ(LcvLinIpolInt(count, c.x.data(), c.y.data(), c.at), c.result);
    }
    const int32_t x[] = {0, 100}, y[] = {0, 1000};
    int32_t flag = -1;
    EXPECT_EQ(LinIpolInt(-5, x, y, 0, &flag), 0);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(LinIpolInt(2, nullptr, y, 0, &flag), 0);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(LinIpolInt(2, x, y, 50, nullptr), 500) << "no flag to write";
}

struct TextCase {
    int32_t value, multiplier, divisor, decimals;
    const char* unit;
    const char* text;      // BinToAsc
    const char* lcv_text;  // LcvBinToAsc, when it differs
};

TEST(ConvertArithmetic, NumberTexts) {
    const TextCase cases[] = {
        {12345, 1, 1000, 2, "mm", "12.35 mm", nullptr},
        {50, 1, 100, 2, "mm", ".50 mm", nullptr},
        {0, 1, 1, 2, "mm", ".00 mm", nullptr},
        {-3, 1, 1, 0, "mm", "-3 mm", nullptr},
        {-150, 1, 100, 1, "mm", "-1.5 mm", nullptr},
        {3, 1, 1, 0, "", "3 ", nullptr},
        {0, 1, 1, 0, "mm", " mm", "0 mm"},
        {0, 1, 0, 0, "mm", " mm", "0 mm"},
        {9999, 1, 1000, 2, "mm", "10.00 mm", nullptr},  // the carry adds a digit
        {995, 1, 1000, 2, "mm", "1.00 mm", nullptr},
        {994, 1, 1000, 2, "mm", ".99 mm", nullptr},
        {50, 1, 1000, 2, "mm", ".05 mm", nullptr},      // below 0.1: the fraction keeps its zeros
        {5, 1, 1000, 2, "mm", ".01 mm", nullptr},
        {4, 1, 1000, 2, "mm", ".00 mm", nullptr},
        {-4, 1, 1000, 2, "mm", "-.00 mm", nullptr},     // the sign is the quotient's
        {0, -1, 1, 2, "mm", ".00 mm", nullptr},         // no negative zero
        {1005, 1, 1000, 2, "mm", "1.01 mm", nullptr},   // exact: 1.005 is a half
        {2, 1, 3, 5, "um", ".66667 um", nullptr},
        {1, 1, 8, 20, "", ".12500000000000000000 ", nullptr},
        {1, 1, INT32_MIN, 12, "", "-.000000000466 ", nullptr},
        {INT32_MIN, INT32_MIN, 1, 0, "", "4611686018427387904 ", nullptr},
        {INT32_MAX, INT32_MAX, 1, 1, "", "4611686014132420609.0 ", nullptr},
        // Outside the documented domain: a negative count of decimals counts
        // as 0, and a divisor of 0 makes the quotient 0.
        {12345, 1, 1000, -2, "mm", "12 mm", nullptr},
        {7, 1, 0, 2, "mm", ".00 mm", nullptr},
        {7, 1, 0, 0, "mm", " mm", nullptr},
    };
    for (const TextCase& c : cases) {
        for (const bool lcv : {false, true}) {
            GuardedBuffer buffer(64);
            const auto f = lcv ? LcvBinToAsc : BinToAsc;
            const std::string expected = lcv && c.lcv_text ? c.lcv_text : c.text;
            EXPECT_EQ(f(buffer.data(), 64, c.multiplier, c.divisor, c.value, c.unit, c.decimals), buffer.data());
            EXPECT_EQ(buffer.text(), expected) << c.value << "*" << c.multiplier << "/" << c.divisor << (lcv ? " lcv" : "");
            EXPECT_TRUE(buffer.guards_intact());
        }
    }
}

TEST(ConvertArithmetic, NumberTextCapacity) {
    const std::string untouched(16, GuardedBuffer::kFill);
    const struct {
        int32_t value, divisor, decimals;
        uint32_t size;
        const char* text;  // nullptr: refused
    } cases[] = {
        {12345, 1000, 2, 8, nullptr}, {12345, 1000, 2, 9, nullptr},  // 4 digits + 2 + 3 = 9
        {12345, 1000, 2, 10, "12.35 mm"}, {50, 1000, 2, 7, nullptr},  // ".05": 2 digits held
        {50, 1000, 2, 8, ".05 mm"},   {0, 1, 0, 5, nullptr},  {0, 1, 0, 6, " mm"},
        {1, 1, 0, 0, nullptr},
    };
    for (const auto& c : cases) {
        GuardedBuffer buffer(16);
        const char* result = BinToAsc(buffer.data(), c.size, 1, c.divisor, c.value, "mm", c.decimals);
        EXPECT_EQ(result, c.text ? buffer.data() : nullptr) << c.value << " in " << c.size;
        if (c.text) EXPECT_EQ(buffer.text(), c.text);
        else EXPECT_EQ(buffer.raw(), untouched) << "a refused text writes nothing";
        EXPECT_TRUE(buffer.guards_intact());
    }
    GuardedBuffer buffer(16);
    EXPECT_EQ(LcvBinToAsc(buffer.data(), 6, 1, 1, 0, "mm", 0), nullptr);  // its "0" counts
    EXPECT_EQ(LcvBinToAsc(buffer.data(), 7, 1, 1, 0, "mm", 0), buffer.data());
    EXPECT_EQ(buffer.text(), "0 mm");
    EXPECT_EQ(BinToAsc(nullptr, 16, 1, 1, 1, "mm", 0), nullptr);
    EXPECT_EQ(BinToAsc(buffer.data(), 16, 1, 1, 1, nullptr, 0), nullptr);
}

}  // namespace
