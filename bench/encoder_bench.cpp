// Encoding whole movies: the demo (mostly skip, solid and two-colour blocks, with sound) and a
// noisy movie of full blocks. Reported against memcpy of the movie's pixels, timed in the same run:
//   x_memcpy_time  encode time / time to copy every frame's pixels once
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "encoder/encoder.h"

namespace {

using tavik::enc::MovieSpec;

MovieSpec NoiseMovie() {
    MovieSpec plan;
    plan.width = 320;
    plan.height = 200;
    uint32_t seed = 5;
    for (int t = 0; t < 8; ++t) {
        tavik::enc::Frame frame;
        frame.pixels.resize(320 * 200);
        for (uint8_t& p : frame.pixels) {
            seed = seed * 1664525u + 1013904223u;
            p = static_cast<uint8_t>(seed >> 26);  // 64 colours: some pairs repeat
        }
        if (t == 0) frame.palette = tavik::enc::Palette{};
        plan.frames.push_back(std::move(frame));
    }
    return plan;
}

void EncodeMovie(benchmark::State& state, const MovieSpec& plan) {
    size_t pixelBytes = 0;
    for (const auto& frame : plan.frames) pixelBytes += frame.pixels.size();
    size_t movieBytes = 0;
    const double start = tavik::bench::ThreadSeconds();
    for (auto _ : state) {
        const std::vector<uint8_t> movie = tavik::enc::EncodeMovie(plan);
        movieBytes = movie.size();
        benchmark::DoNotOptimize(movie.data());
    }
    const double perMovie =
        (tavik::bench::ThreadSeconds() - start) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pixelBytes));
    state.counters["movie_bytes"] = static_cast<double>(movieBytes);
    state.counters["x_memcpy_time"] = perMovie / tavik::bench::MemcpySeconds(pixelBytes, 20);
}

void BM_EncodeDemoMovie(benchmark::State& state) {
    static const MovieSpec plan = tavik::enc::MakeDemoMovie();
    EncodeMovie(state, plan);
}
BENCHMARK(BM_EncodeDemoMovie)->Unit(benchmark::kMillisecond);

void BM_EncodeNoiseFullBlocks(benchmark::State& state) {
    static const MovieSpec plan = NoiseMovie();
    EncodeMovie(state, plan);
}
BENCHMARK(BM_EncodeNoiseFullBlocks)->Unit(benchmark::kMillisecond);

}  // namespace
