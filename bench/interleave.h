// Times a contender against its floor within the same benchmark loop, so that
// both see the same machine state: each iteration runs a block of floor calls
// and a block of contender calls, in alternating order, and accumulates each
// block's CPU time of the thread (steadier than wall time when other work
// shares the machine). Each block lasts about kBlockSeconds or more, so that
// reading the clock (a system call, microseconds on some virtual machines)
// stays small beside it. An untimed call precedes each block, of the floor
// and of the contender alike: the other side's block leaves the caches (and,
// when it frees much memory, the allocator) in its own state, and the first
// call after it would pay for that. Both are timed as they run call after
// call; at 1 MiB a block is only a few calls, so warming one side alone
// would show the other some ten percent slower than it is.
// Counters: floor_us and us, one call of the floor and of the contender in
// microseconds; x_floor, the contender's time over the floor's. The time the
// framework shows (manual time) is one block of contender calls.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>

namespace xq::bench {

inline double thread_cpu_seconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <class Floor, class Contender>
void interleave(benchmark::State& state, Floor&& floor, Contender&& contender) {
    constexpr double kBlockSeconds = 200e-6;
    const auto block = [](auto& f, std::int64_t calls) {
        const double start = thread_cpu_seconds();
        for (std::int64_t k = 0; k < calls; ++k) f();
        return thread_cpu_seconds() - start;
    };
    const auto calls_per_block = [](double seconds) {
        return static_cast<std::int64_t>(std::clamp(std::ceil(kBlockSeconds / std::max(seconds, 1e-9)), 1.0, 1e5));
    };
    floor();
    const std::int64_t floor_calls = calls_per_block(std::min(block(floor, 1), block(floor, 1)));
    const std::int64_t contender_calls = calls_per_block(block(contender, 1));

    double floor_s = 0;
    double contender_s = 0;
    bool floor_first = true;
    for (auto _ : state) {
        double f = 0;
        double c = 0;
        if (floor_first) {
            floor();
            f = block(floor, floor_calls);
            contender();
            c = block(contender, contender_calls);
        } else {
            contender();
            c = block(contender, contender_calls);
            floor();
            f = block(floor, floor_calls);
        }
        floor_first = !floor_first;
        floor_s += f;
        contender_s += c;
        state.SetIterationTime(c);
    }
    const auto n = static_cast<double>(state.iterations());
    const double floor_call = floor_s / (n * static_cast<double>(floor_calls));
    const double contender_call = contender_s / (n * static_cast<double>(contender_calls));
    state.counters["floor_us"] = floor_call * 1e6;
    state.counters["us"] = contender_call * 1e6;
    state.counters["x_floor"] = contender_call / floor_call;
}

}  // namespace xq::bench
