// xq_wine_bench: the Windows DLL's GetNamedString against the system's
// GetPrivateProfileStringA on the generated files of sample_files.h (1 KiB,
// 32 KiB, 1 MiB; entry in the first or the last section), and against the
// floor of xq_bench done with Win32 calls (CreateFileA, GetFileSizeEx, one
// ReadFile into a buffer allocated for the call, CloseHandle, memchr search).
// Meant to run under Wine (scripts/wine-run); prints the time per lookup and
// the ratios.
// Wine's reader keeps a parsed copy of a file and reuses it while the file's
// last-write time is unchanged and more than about two seconds old, whereas
// Windows reads the file on every call. Both are measured: "cached" on a
// file whose time lies a day back, "reread" on a copy whose time lies a day
// ahead, which Wine parses again at every call.
// Timing: wall time (QueryPerformanceCounter), the contenders in blocks of
// calls, in rotating order within each round; the figures are the medians
// over the rounds, so a round disturbed by other work on the machine does not
// count.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sample_files.h"
#include "xq_utils.h"

namespace {

using namespace xq::bench;

double now_seconds() {
    static const double period = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return 1.0 / static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * period;
}

double median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

struct Contender {
    std::function<bool()> lookup;  // true when it found the expected value
    std::vector<double> per_call;  // seconds per call, one figure per round
    int calls = 1;                 // calls per block
};

// Rounds of one block of calls of each contender, a block lasting about
// 200 µs or one call, until `budget` seconds have passed (at least 3 rounds,
// at most 400).
void measure(std::vector<Contender>& contenders, double budget) {
    for (Contender& c : contenders) {
        const double t0 = now_seconds();
        c.lookup();
        c.calls = static_cast<int>(std::clamp(std::ceil(200e-6 / std::max(now_seconds() - t0, 1e-9)), 1.0, 1000.0));
    }
    const double end = now_seconds() + budget;
    for (std::size_t round = 0; round < 400 && (round < 3 || now_seconds() < end); ++round) {
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            Contender& c = contenders[(round + k) % contenders.size()];
            const double t0 = now_seconds();
            for (int n = 0; n < c.calls; ++n) c.lookup();
            c.per_call.push_back((now_seconds() - t0) / c.calls);
        }
    }
}

// The floor: the whole file read into a fresh buffer, then two memchr searches.
std::size_t floor_lookup(const Sample& s, const std::string& header) {
    const HANDLE file = CreateFileA(s.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    const auto bytes = static_cast<DWORD>(size.QuadPart);
    const std::unique_ptr<char[]> data(new char[bytes]);
    DWORD got = 0;
    if (!ReadFile(file, data.get(), bytes, &got, nullptr)) got = 0;
    CloseHandle(file);
    const char* end = data.get() + got;
    const char* section = memchr_search(data.get(), end, header);
    const char* entry = section != nullptr ? memchr_search(section, end, kEntry) : nullptr;
    return entry != nullptr ? static_cast<std::size_t>(entry - data.get()) : 0;
}

// Sets the file's last-write time `hours` away from now.
bool shift_write_time(const std::string& path, int hours) {
    std::error_code ec;
    fs::last_write_time(path, fs::file_time_type::clock::now() + std::chrono::hours(hours), ec);
    return !ec;
}

}  // namespace

int main() {
    const fs::path dir = fs::temp_directory_path() / ("xq_wine_bench_" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(dir);
    const std::vector<Sample> samples = make_samples(dir);
    int failures = 0;

    std::printf("GetNamedString of the Windows DLL against GetPrivateProfileStringA and the floor, per lookup\n"
                "(median, microseconds):\n");
    std::printf("%-12s %9s %9s %9s %10s %10s %11s %11s\n", "file", "floor", "dll", "cached", "reread",
                "dll/floor", "dll/cached", "dll/reread");
    std::string prepared;
    for (const Sample& s : samples) {
        const std::string reread = s.path + ".reread.ini";
        if (prepared != s.path) {
            std::error_code ec;
            fs::copy_file(s.path, reread, fs::copy_options::overwrite_existing, ec);
            if (ec || !shift_write_time(s.path, -24) || !shift_write_time(reread, 24)) {
                std::printf("%-12s cannot prepare the files\n", s.label.c_str());
                ++failures;
                continue;
            }
            prepared = s.path;
        }
        const std::string header = "[" + s.section + "]";
        char dll[260];
        char sys[260];
        const auto system_lookup = [&s, &sys](const std::string& path) {
            GetPrivateProfileStringA(s.section.c_str(), kEntry, "", sys, sizeof sys, path.c_str());
            return s.value == sys;
        };
        std::vector<Contender> contenders = {
            {[&] { return floor_lookup(s, header) != 0; }, {}, 1},
            {[&] { return GetNamedString(s.section.c_str(), kEntry, dll, sizeof dll, s.path.c_str()) != nullptr &&
                          s.value == dll; }, {}, 1},
            {[&] { return system_lookup(s.path); }, {}, 1},
            {[&] { return system_lookup(reread); }, {}, 1},
        };
        if (!std::all_of(contenders.begin(), contenders.end(), [](Contender& c) { return c.lookup(); })) {
            std::printf("%-12s a lookup returned the wrong value\n", s.label.c_str());
            ++failures;
            continue;
        }
        measure(contenders, 1.0);
        double us[4];
        for (std::size_t k = 0; k < 4; ++k) us[k] = median(contenders[k].per_call) * 1e6;
        std::printf("%-12s %9.1f %9.1f %9.1f %10.1f %10.3f %11.3f %11.3f\n", s.label.c_str(), us[0], us[1], us[2],
                    us[3], us[1] / us[0], us[1] / us[2], us[1] / us[3]);
    }
    std::printf("(cached: the system reader reusing its parsed copy, as Wine does for files not changed in the\n"
                " last seconds; reread: the file parsed at every call, as Windows does)\n");

    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return failures == 0 ? 0 : 1;
}
