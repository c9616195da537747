// Loading a conversion table of N = 10, 100 and 1000 rows, against the floor
// of one read and parse of its file:
//   Floor           the profile reader's lookup of the last row: one read of
//                   the file and a parse of every line up to that row
//   Convert/Load    LcvInitDataHandle: one read, every entry and row from it
//   Kept/Convert/Load  the same against the keep-the-buffer floor of
//                   bench_files.h (one read into a kept buffer, a memchr
//                   search for the last row)
//   Convert/Lookups N separate LcvGetNamedArrayElement calls, one per row
//                   (each reads the file again), what a load would cost if
//                   every row were read on its own
// Each contender is timed alternately with the floor within the same
// iterations (interleave.h); the counter x_floor is the contender's time over
// the floor's, floor_us the floor's time per run.
// The benchmarks register themselves; profile_bench.cpp's main runs them.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_files.h"
#include "interleave.h"
#include "profile/profile.h"
#include "xq_utils.h"

namespace {

using xq::bench::Floor;
using xq::bench::floor_lookup;
namespace fs = std::filesystem;

constexpr const char* kSection = "FocusGlobal";

// A focus drive's global data: a few settings sections, then the table.
std::string make_table(int rows) {
    std::string text = "; focus drive\r\n[FocusSettings]\r\nSpeed=1200\r\nAcceleration=300\r\nBacklash=40\r\n\r\n"
                       "[FocusLimits]\r\nLower=4000\r\nUpper=396000\r\n\r\n[FocusGlobal]\r\n";
    text += "TableLength=" + std::to_string(rows) + "\r\nMaxNameLen=12\r\nMaxUnitLen=5\r\nControlName=Steps\r\n"
            "ColumnName=Steps Focus FocusMM Height\r\nColumnUnit=steps um mm mm\r\nColumnFactor=1 10 1000 100\r\n"
            "ColumnDivider=1 1 1 1\r\nMinPhyData=0\r\nMaxPhyData=" + std::to_string(400 * (rows - 1)) + "\r\n";
    for (int k = 1; k <= rows; ++k) {
        const int steps = 400 * (k - 1);
        text += "Pos" + std::to_string(k) + "=" + std::to_string(steps) + " " + std::to_string(steps / 4 + k % 3) +
                " " + std::to_string(steps / 40) + " " + std::to_string(125000 - steps / 4) + "\r\n";
    }
    return text;
}

struct TableFile {
    int rows;
    std::string path;
    std::string last_row;  // the entry name of the last row
};

// The sample files, removed again when the program ends.
class TableFiles {
public:
    TableFiles() : dir_(fs::temp_directory_path() / ("xq_convert_bench_" + std::to_string(::getpid()))) {
        fs::create_directories(dir_);
        for (const int rows : {10, 100, 1000}) {
            const std::string path = (dir_ / ("table" + std::to_string(rows) + ".ini")).string();
            std::ofstream(path, std::ios::binary) << make_table(rows);
            files_.push_back({rows, path, "Pos" + std::to_string(rows)});
        }
    }
    ~TableFiles() {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    const std::vector<TableFile>& files() const { return files_; }

private:
    fs::path dir_;
    std::vector<TableFile> files_;
};

std::uint32_t read_and_parse(const TableFile& t) {
    char value[64];
    return xq::profile::read_string(kSection, t.last_row.c_str(), "", value, sizeof value, t.path.c_str());
}

// Runs the floor and `contender` alternately (interleave.h). The kept floor
// is the keep-the-buffer floor of bench_files.h, searching for the last row.
template <class Contender>
void against_floor(benchmark::State& state, const TableFile& t, Contender&& contender, bool kept = false) {
    if (kept) {
        const std::string header = std::string("[") + kSection + "]";
        xq::bench::interleave(
            state, [&] { benchmark::DoNotOptimize(floor_lookup(t.path, header, t.last_row, Floor::kept)); },
            contender);
    } else {
        xq::bench::interleave(state, [&] { benchmark::DoNotOptimize(read_and_parse(t)); }, contender);
    }
}

void BM_Load(benchmark::State& state, const TableFile& t, bool kept) {
    std::vector<std::uint64_t> block((LcvGetDataHandleSize(kSection, t.path.c_str()) + 7) / 8);
    auto* handle = static_cast<LcvDataHandle*>(static_cast<void*>(block.data()));
    against_floor(state, t, [&] {
        benchmark::DoNotOptimize(LcvInitDataHandle(kSection, t.path.c_str(), "Focus", handle));
        benchmark::ClobberMemory();
    }, kept);
    if (handle->TableLength != t.rows || LcvPhyToLog(400, handle) != LcvGetNamedArrayElement(kSection, "%Pos", 2, 2, t.path.c_str()))
        state.SkipWithError("the table was not loaded");
}

void BM_Lookups(benchmark::State& state, const TableFile& t) {
    std::int64_t sum = 0;
    against_floor(state, t, [&] {
        sum = 0;
        for (int k = 1; k <= t.rows; ++k) sum += LcvGetNamedArrayElement(kSection, "%Pos", k, 2, t.path.c_str());
        benchmark::DoNotOptimize(sum);
    });
    if (sum == 0) state.SkipWithError("no row was read");
}

const bool kRegistered = [] {
    static const TableFiles files;
    for (const TableFile& t : files.files()) {
        const std::string n = std::to_string(t.rows);
        benchmark::RegisterBenchmark(("Convert/Load/" + n).c_str(), BM_Load, t, false)->UseManualTime();
        benchmark::RegisterBenchmark(("Kept/Convert/Load/" + n).c_str(), BM_Load, t, true)->UseManualTime();
        benchmark::RegisterBenchmark(("Convert/Lookups/" + n).c_str(), BM_Lookups, t)->UseManualTime();
    }
    return true;
}();

}  // namespace
