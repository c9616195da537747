// xq_bench's main: registers the benchmarks of the other files, runs them and
// prints one summary table of every lookup's time over its floor, for the
// library and for the peer parsers (inih, SimpleIni, PropertyTree) doing the
// same lookup. Each ratio comes from one benchmark in which the contender and
// its floor ran alternately (interleave.h; the conversion table loads of
// convert_bench.cpp do the same per call), so the machine's state cancels out
// of it. With --benchmark_repetitions the table takes the medians.
// The goal column holds the targets: a lookup at most 1.10 times its floor
// and 1.10 times the keep-the-buffer floor,
// at 32 KiB at most 0.06 times inih, a table load at most 1.5 times its floor.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench_files.h"

namespace {

namespace fs = std::filesystem;

using namespace xq::bench;

// Console output as usual, and the counters of every benchmark kept by name:
// the median's when repetitions were asked for, else the single run's.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median) continue;
            auto& counters = results_[run.run_name.function_name];
            for (const auto& [key, c] : run.counters) counters[key] = c.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    const Results& results() const { return results_; }

private:
    Results results_;
};

// One row of the summary: the library's benchmark and, where the peers did the
// same lookup, theirs, named peer_prefix + peer name + peer_suffix.
struct Row {
    std::string lookup, sample, library;
    bool with_peers;
    std::string peer_prefix, peer_suffix;
    double goal;       // most library/floor allowed, 0 for none
    double inih_goal;  // most library/inih allowed, 0 for none
    double kept_goal;  // most library/kept floor allowed, 0 for none
};

void print_ratio(double r, int width) {
    if (r > 0)
        std::printf(" %*.3f", width, r);
    else
        std::printf(" %*s", width, "-");
}

void print_row(const Results& results, const Row& row) {
    const double library = counter(results, row.library, "x_floor");
    const double kept = counter(results, "Kept/" + row.library, "x_floor");
    std::printf("%-22s %-11s", row.lookup.c_str(), row.sample.c_str());
    print_ratio(counter(results, row.library, "floor_us"), 9);
    print_ratio(library, 9);
    print_ratio(counter(results, "Kept/" + row.library, "floor_us"), 8);
    print_ratio(kept, 9);
    double inih = 0;
    for (const Peer& peer : peers()) {
        const std::string name = row.peer_prefix + peer.name + row.peer_suffix;
        const double r = row.with_peers ? counter(results, name, "x_floor") : 0;
        if (std::string_view(peer.name) == "inih") inih = r;
        if (peer.lookup == nullptr)
            std::printf(" %12s", "not built");
        else
            print_ratio(r, 12);
    }
    print_ratio(library > 0 && inih > 0 ? library / inih : 0, 9);
    bool met = library > 0 && (row.goal <= 0 || library <= row.goal);
    if (row.inih_goal > 0) met = met && inih > 0 && library / inih <= row.inih_goal;
    if (row.kept_goal > 0) met = met && kept > 0 && kept <= row.kept_goal;
    // A row that did not run (filtered out) has no verdict.
    const bool judged = library > 0 && (row.goal > 0 || row.inih_goal > 0 || row.kept_goal > 0);
    std::printf(" %6s\n", !judged ? "-" : met ? "met" : "MISSED");
}

void print_summary(const std::vector<Sample>& samples, const Results& results) {
    std::vector<Row> rows;
    const std::pair<const char*, const char*> named[] = {
        {"GetNamedString", "String/"}, {"GetNamedArrayElement", "Array/"}, {"profile reader", "Reader/"}};
    for (const auto& [lookup, prefix] : named) {
        const bool exported = std::string_view(prefix) != "Reader/";
        for (const Sample& s : samples) {
            const double inih_goal = exported && s.label.starts_with("32KiB/") ? 0.06 : 0;
            rows.push_back({lookup, s.label, prefix + s.label, exported, "", "/" + (prefix + s.label),
                            exported ? 1.10 : 0, inih_goal, exported ? 1.10 : 0});
        }
    }
    for (const char* n : {"10", "100", "1000"})
        rows.push_back({"LcvInitDataHandle", std::string("N=") + n, std::string("Convert/Load/") + n, false, "", "",
                        1.5, 0, 0});
    for (const char* n : {"10", "100", "1000"})
        rows.push_back({"N row lookups", std::string("N=") + n, std::string("Convert/Lookups/") + n, false, "", "",
                        0, 0, 0});
    rows.push_back({"GetPsiServer", "overridden", "Config/Overridden", true, "Config/", "", 1.10, 0, 1.10});
    rows.push_back({"GetPsiServer", "registry", "Config/Registry", false, "", "", 1.10, 0, 1.10});

    std::printf("\n%-22s %-11s %9s %9s %8s %9s", "lookup", "file", "floor_us", "lib/floor", "kept_us", "lib/kept");
    for (const Peer& peer : peers()) std::printf(" %12s", peer.name);
    std::printf(" %9s %6s\n", "lib/inih", "goal");
    for (const Row& row : rows) print_row(results, row);
    std::printf("(ratios of CPU time; every contender ran alternately with its floor; floor_us: one floor call in\n"
                " microseconds; kept_us, lib/kept: the same against the keep-the-buffer floor, which reads into a\n"
                " buffer kept between calls; inih, SimpleIni, PropertyTree: the same lookup through that parser over the same\n"
                " floor; floor of the table loads: one read and parse of the table file; of GetPsiServer: the\n"
                " files it reads; '-': not measured)\n");
    for (const Peer& peer : peers())
        if (peer.lookup == nullptr)
            std::printf("(%s was not found when this benchmark was built: install %s for its column)\n", peer.name,
                        peer.package);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    const fs::path dir = fs::temp_directory_path() / ("xq_profile_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::vector<Sample> samples = make_samples(dir);
    register_named_benchmarks(samples);
    register_config_benchmarks(dir);

    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print_summary(samples, reporter.results());
    benchmark::Shutdown();

    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return 0;
}
