// Named-entry lookups on the generated files of bench_files.h, against the
// same floor, for the entry that the profile benchmarks look up:
//   Named/String    GetNamedString (value conventions on top of the reader)
//   Named/Array     GetNamedArrayElement, column 1 read as an integer
//   Named/Word      GetNamedSubstringString, word 1
// print_named_ratios() prints each one's time over the floor's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_files.h"
#include "xq_utils.h"

namespace xq::bench {
namespace {

void BM_NamedString(benchmark::State& state, const Sample& s) {
    char buffer[260];
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetNamedString(s.section.c_str(), kEntry, buffer, sizeof buffer, s.path.c_str()));
        benchmark::ClobberMemory();
    }
    if (s.value != buffer) state.SkipWithError("GetNamedString returned the wrong value");
}

void BM_NamedArray(benchmark::State& state, const Sample& s) {
    int32_t cell = 0;
    for (auto _ : state) {
        cell = GetNamedArrayElement(s.section.c_str(), kEntry, 0, 1, s.path.c_str());
        benchmark::DoNotOptimize(cell);
    }
    if (cell != std::stoi(s.value)) state.SkipWithError("GetNamedArrayElement returned the wrong value");
}

void BM_NamedWord(benchmark::State& state, const Sample& s) {
    char word[64];
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetNamedSubstringString(s.section.c_str(), kEntry, 1, word, sizeof word, s.path.c_str()));
        benchmark::ClobberMemory();
    }
    if (s.value != word) state.SkipWithError("GetNamedSubstringString returned the wrong value");
}

const char* const kLookups[] = {"String", "Array", "Word"};

}  // namespace

void register_named_benchmarks(const std::vector<Sample>& samples) {
    for (const Sample& s : samples) {
        benchmark::RegisterBenchmark(("Named/String/" + s.label).c_str(), BM_NamedString, s);
        benchmark::RegisterBenchmark(("Named/Array/" + s.label).c_str(), BM_NamedArray, s);
        benchmark::RegisterBenchmark(("Named/Word/" + s.label).c_str(), BM_NamedWord, s);
    }
}

void print_named_ratios(const std::vector<Sample>& samples, const Times& times) {
    std::printf("\n%-12s %9s", "file/section", "floor");
    for (const char* lookup : kLookups) std::printf(" %9s", lookup);
    for (const char* lookup : kLookups) std::printf(" %12s", (std::string(lookup) + "/floor").c_str());
    std::printf("\n");
    for (const Sample& s : samples) {
        const double floor = time_of(times, "Floor/" + s.label);
        std::vector<double> named;
        for (const char* lookup : kLookups) named.push_back(time_of(times, "Named/" + std::string(lookup) + "/" + s.label));
        if (floor <= 0) continue;
        std::printf("%-12s %9.0f", s.label.c_str(), floor);
        for (const double t : named) std::printf(" %9.0f", t);
        for (const double t : named) std::printf(" %12.3f", t / floor);
        std::printf("\n");
    }
    std::printf("(CPU times in ns of the named-entry lookups; 0 where a lookup did not run)\n");
}

}  // namespace xq::bench
