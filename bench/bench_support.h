// Shared pieces of the benchmarks: thread CPU time and the memcpy baseline that speeds are
// reported against.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <ctime>
#include <vector>

namespace tavik::bench {

// CPU time of this thread: the machine is shared, so wall time would count other work.
inline double ThreadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Seconds that memcpy takes for `bytes` (a buffer that stays in cache), measured now.
inline double MemcpySeconds(size_t bytes, int rounds = 2000) {
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    const double start = ThreadSeconds();
    for (int i = 0; i < rounds; ++i) {
        from[static_cast<size_t>(i) % bytes] = static_cast<uint8_t>(i);
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    return (ThreadSeconds() - start) / rounds;
}

}  // namespace tavik::bench
