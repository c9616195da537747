// Lookups of one entry in the generated files of sample_files.h, each timed
// interleaved with a floor of bench_files.h (interleave.h); the library's
// lookups run against both floors, the second time named Kept/...:
//   Reader/<sample>          the profile reader, xq::profile::read_string
//   String/<sample>          GetNamedString (value conventions on top of it)
//   Array/<sample>           GetNamedArrayElement, column 1 as an integer
//   <peer>/String/<sample>   the same value through a peer parser
//   <peer>/Array/<sample>    and its first word converted as "%i" does
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bench_files.h"
#include "interleave.h"
#include "profile/profile.h"
#include "xq_utils.h"

namespace xq::bench {
namespace {

// Runs `lookup` against the floor of sample `s`.
template <class Lookup>
void against_floor(benchmark::State& state, const Sample& s, Floor floor, Lookup&& lookup) {
    const std::string header = "[" + s.section + "]";
    interleave(state, [&] { benchmark::DoNotOptimize(floor_lookup(s, header, floor)); }, lookup);
}

void BM_Reader(benchmark::State& state, const Sample& s, Floor floor) {
    char buffer[260] = "";
    against_floor(state, s, floor, [&] {
        benchmark::DoNotOptimize(
            xq::profile::read_string(s.section.c_str(), kEntry, "", buffer, sizeof buffer, s.path.c_str()));
        benchmark::ClobberMemory();
    });
    if (s.value != buffer) state.SkipWithError("read_string returned the wrong value");
}

void BM_String(benchmark::State& state, const Sample& s, Floor floor) {
    char buffer[260] = "";
    against_floor(state, s, floor, [&] {
        benchmark::DoNotOptimize(GetNamedString(s.section.c_str(), kEntry, buffer, sizeof buffer, s.path.c_str()));
        benchmark::ClobberMemory();
    });
    if (s.value != buffer) state.SkipWithError("GetNamedString returned the wrong value");
}

void BM_Array(benchmark::State& state, const Sample& s, Floor floor) {
    int32_t cell = 0;
    against_floor(state, s, floor, [&] {
        cell = GetNamedArrayElement(s.section.c_str(), kEntry, 0, 1, s.path.c_str());
        benchmark::DoNotOptimize(cell);
    });
    if (cell != std::stoi(s.value)) state.SkipWithError("GetNamedArrayElement returned the wrong value");
}

void BM_PeerString(benchmark::State& state, const Sample& s, const Peer& peer) {
    constexpr Floor floor = Floor::fresh;
    std::string value;
    against_floor(state, s, floor, [&] {
        value = peer.lookup(s.path, s.section, kEntry);
        benchmark::DoNotOptimize(value.data());
    });
    if (value != s.value) state.SkipWithError("the peer returned the wrong value");
}

void BM_PeerArray(benchmark::State& state, const Sample& s, const Peer& peer) {
    constexpr Floor floor = Floor::fresh;
    long cell = 0;
    against_floor(state, s, floor, [&] {
        cell = std::strtol(peer.lookup(s.path, s.section, kEntry).c_str(), nullptr, 0);
        benchmark::DoNotOptimize(cell);
    });
    if (cell != std::stol(s.value)) state.SkipWithError("the peer returned the wrong value");
}

}  // namespace

void register_named_benchmarks(const std::vector<Sample>& samples) {
    for (const Sample& s : samples) {
        for (const auto& [prefix, floor] : {std::pair{"", Floor::fresh}, std::pair{"Kept/", Floor::kept}}) {
            const std::string p = prefix;
            benchmark::RegisterBenchmark((p + "Reader/" + s.label).c_str(), BM_Reader, s, floor)->UseManualTime();
            benchmark::RegisterBenchmark((p + "String/" + s.label).c_str(), BM_String, s, floor)->UseManualTime();
            benchmark::RegisterBenchmark((p + "Array/" + s.label).c_str(), BM_Array, s, floor)->UseManualTime();
        }
        for (const Peer& peer : peers()) {
            if (peer.lookup == nullptr) continue;
            const std::string name = std::string(peer.name) + "/";
            benchmark::RegisterBenchmark((name + "String/" + s.label).c_str(), BM_PeerString, s, peer)->UseManualTime();
            benchmark::RegisterBenchmark((name + "Array/" + s.label).c_str(), BM_PeerArray, s, peer)->UseManualTime();
        }
    }
}

}  // namespace xq::bench
