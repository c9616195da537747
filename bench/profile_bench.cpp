// Profile lookups against two yardsticks, for files of 1 KiB, 32 KiB and
// 1 MiB and an entry in the first or in the last section:
//   Floor   what any lookup must do at least: open, fstat, read the whole file
//           into a buffer allocated for the call, close, and find the entry
//           with memchr (the section header first, then the entry after it).
//   Reader  xq::profile::read_string.
//   Inih    the inih library's ini_parse, with a handler that stops at the
//           match.
// Search and Parse repeat the floor's search and the reader's lookup over the
// bytes already in memory, to tell file access from parsing.
// main() prints the Reader/Floor and Reader/Inih ratios at the end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <ini.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench_files.h"
#include "named/profile.h"

namespace {

namespace fs = std::filesystem;

using namespace xq::bench;

void BM_Floor(benchmark::State& state, const Sample& s) {
    const std::string header = "[" + s.section + "]";
    for (auto _ : state) benchmark::DoNotOptimize(floor_lookup(s, header));
}

std::string file_contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(fs::file_size(path)), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// The floor's search alone, over bytes already in memory.
void BM_Search(benchmark::State& state, const Sample& s) {
    const std::string header = "[" + s.section + "]";
    const std::string bytes = file_contents(s.path);
    const char* end = bytes.data() + bytes.size();
    for (auto _ : state) {
        const char* section = memchr_search(bytes.data(), end, header);
        benchmark::DoNotOptimize(section != nullptr ? memchr_search(section, end, kEntry) : nullptr);
    }
}

// The reader's lookup alone, over bytes already in memory.
void BM_Parse(benchmark::State& state, const Sample& s) {
    const std::string bytes = file_contents(s.path);
    char buffer[260];
    for (auto _ : state) {
        benchmark::DoNotOptimize(xq::profile::get_string(bytes, s.section.c_str(), kEntry, "", buffer, sizeof buffer));
        benchmark::ClobberMemory();
    }
    if (s.value != buffer) state.SkipWithError("get_string returned the wrong value");
}

void BM_Reader(benchmark::State& state, const Sample& s) {
    char buffer[260];
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            xq::profile::read_string(s.section.c_str(), kEntry, "", buffer, sizeof buffer, s.path.c_str()));
        benchmark::ClobberMemory();
    }
    if (s.value != buffer) state.SkipWithError("read_string returned the wrong value");
}

struct InihQuery {
    const Sample* sample;
    std::string value;
};

int inih_handler(void* user, const char* section, const char* name, const char* value) {
    auto* q = static_cast<InihQuery*>(user);
    if (q->value.empty() && strcasecmp(section, q->sample->section.c_str()) == 0 && strcasecmp(name, kEntry) == 0) {
        q->value = value;
        return 0;  // stops the parse where inih is built to stop on errors
    }
    return 1;
}

void BM_Inih(benchmark::State& state, const Sample& s) {
    InihQuery q{&s, {}};
    for (auto _ : state) {
        q.value.clear();
        benchmark::DoNotOptimize(ini_parse(s.path.c_str(), inih_handler, &q));
    }
    if (q.value != s.value) state.SkipWithError("inih returned the wrong value");
}

// Console output as usual, and the CPU time of every benchmark kept by name
// (steadier than wall time on a busy machine): the median when repetitions
// were asked for, else the single run's mean.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Iteration || median)
                times_[run.run_name.function_name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    const std::map<std::string, double>& times() const { return times_; }

private:
    std::map<std::string, double> times_;
};

void print_ratios(const std::vector<Sample>& samples, const std::map<std::string, double>& times) {
    const auto time = [&](const std::string& name) {
        const auto it = times.find(name);
        return it == times.end() ? 0.0 : it->second;
    };
    std::printf("\n%-12s %9s %9s %9s %9s %9s %13s %12s %12s\n", "file/section", "floor", "reader", "inih",
                "search", "parse", "reader/floor", "reader/inih", "parse/search");
    for (const Sample& s : samples) {
        const double floor = time("Floor/" + s.label);
        const double reader = time("Reader/" + s.label);
        const double inih = time("Inih/" + s.label);
        const double search = time("Search/" + s.label);
        const double parse = time("Parse/" + s.label);
        if (floor <= 0 || reader <= 0 || inih <= 0 || search <= 0 || parse <= 0) continue;
        std::printf("%-12s %9.0f %9.0f %9.0f %9.0f %9.0f %13.3f %12.3f %12.3f\n", s.label.c_str(), floor, reader,
                    inih, search, parse, reader / floor, reader / inih, parse / search);
    }
    std::printf("(CPU times in ns; search and parse work on bytes already in memory)\n");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    const fs::path dir = fs::temp_directory_path() / ("xq_profile_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::vector<Sample> samples = make_samples(dir);
    for (const Sample& s : samples) {
        benchmark::RegisterBenchmark(("Floor/" + s.label).c_str(), BM_Floor, s);
        benchmark::RegisterBenchmark(("Reader/" + s.label).c_str(), BM_Reader, s);
        benchmark::RegisterBenchmark(("Inih/" + s.label).c_str(), BM_Inih, s);
        benchmark::RegisterBenchmark(("Search/" + s.label).c_str(), BM_Search, s);
        benchmark::RegisterBenchmark(("Parse/" + s.label).c_str(), BM_Parse, s);
    }

    register_named_benchmarks(samples);
    register_config_benchmarks(dir);

    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print_ratios(samples, reporter.times());
    print_named_ratios(samples, reporter.times());
    print_config_ratios(reporter.times());
    benchmark::Shutdown();

    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return 0;
}
