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

#include "named/profile.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kEntry = "Offset";

struct Sample {
    std::string label;    // e.g. "32KiB/last"
    std::string path;
    std::string section;  // the section that holds the entry looked up
    std::string value;    // its value, to check every contender
};

// A configuration-like file of about `bytes` bytes: sections of ten entries,
// now and then a comment, a blank line between sections.
std::string make_file(std::size_t bytes, int& sections) {
    static const char* const kNames[] = {"Port",   "Mode",   "Type",    "Speed",   "Acceleration",
                                         "Offset", "Factor", "Divider", "Position", "Description"};
    std::string text = "; generated configuration\r\n\r\n";
    sections = 0;
    while (text.size() < bytes) {
        const std::string n = std::to_string(sections);
        text += "[Component" + n + "]\r\n";
        if (sections % 3 == 0) text += "; settings of component " + n + "\r\n";
        for (const char* name : kNames) {
            text += name;
            text += std::string_view(name) == kEntry ? "=" + n + "0\r\n" : " = value " + n + " 9600 8 N 1\r\n";
        }
        text += "\r\n";
        ++sections;
    }
    return text;
}

std::vector<Sample> make_samples(const fs::path& dir) {
    std::vector<Sample> samples;
    const std::pair<const char*, std::size_t> sizes[] = {{"1KiB", 1024}, {"32KiB", 32 * 1024}, {"1MiB", 1024 * 1024}};
    for (const auto& [name, bytes] : sizes) {
        int sections = 0;
        const std::string path = (dir / (std::string(name) + ".ini")).string();
        std::ofstream(path, std::ios::binary) << make_file(bytes, sections);
        const int last = sections - 1;
        samples.push_back({std::string(name) + "/first", path, "Component0", "00"});
        samples.push_back({std::string(name) + "/last", path, "Component" + std::to_string(last),
                           std::to_string(last) + "0"});
    }
    return samples;
}

// Naive memchr search for `needle` in [from, end).
const char* memchr_search(const char* from, const char* end, std::string_view needle) {
    while (from < end) {
        const void* hit = std::memchr(from, needle.front(), static_cast<std::size_t>(end - from));
        if (hit == nullptr) return nullptr;
        const char* at = static_cast<const char*>(hit);
        if (static_cast<std::size_t>(end - at) >= needle.size() && std::memcmp(at, needle.data(), needle.size()) == 0)
            return at;
        from = at + 1;
    }
    return nullptr;
}

// The floor: whole-file read into a fresh buffer, then two memchr searches.
std::size_t floor_lookup(const Sample& s, const std::string& header) {
    const int fd = ::open(s.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st {};
    ::fstat(fd, &st);
    const auto size = static_cast<std::size_t>(st.st_size);
    const std::unique_ptr<char[]> data(new char[size]);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, data.get() + got, size - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    const char* end = data.get() + got;
    const char* section = memchr_search(data.get(), end, header);
    const char* entry = section != nullptr ? memchr_search(section, end, kEntry) : nullptr;
    return entry != nullptr ? static_cast<std::size_t>(entry - data.get()) : 0;
}

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

    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print_ratios(samples, reporter.times());
    benchmark::Shutdown();

    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return 0;
}
