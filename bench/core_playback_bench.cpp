// A whole playback pass over the demo movie through the engine: decode, hand out the changed
// rectangles, advance. Reported against memcpy of the same picture bytes per frame.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "encoder/encoder.h"
#include "tavik/tavik.h"

namespace {

const std::string& DemoPath() {
    static const std::string path = [] {
        const std::string p = "/tmp/tavik-bench-demo-" + std::to_string(getpid()) + ".tvk";
        tavik::enc::WriteFile(p, tavik::enc::EncodeMovie(tavik::enc::MakeDemoMovie()));
        return p;
    }();
    return path;
}

void PlayPass(benchmark::State& state, uint32_t format) {
    TavikMovie* m = TavikOpen(DemoPath().c_str(), TavikPreload, TAVIK_CHOOSE_RING_SIZE);
    if (!m) {
        state.SkipWithError("cannot open the demo movie");
        return;
    }
    const uint32_t bpp = format ? 2 : 1;
    const uint32_t pitch = m->Header.Width * bpp;
    std::vector<uint8_t> picture(size_t{pitch} * m->Header.Height);
    TavikSetDest(m, 0, 0, static_cast<int32_t>(pitch), m->Header.Height, picture.data(), format);
    const uint32_t frames = m->Header.FrameCount;
    uint64_t rects = 0;
    const double start = tavik::bench::ThreadSeconds();
    for (auto _ : state) {
        for (uint32_t i = 0; i < frames; ++i) {
            TavikDecodeFrame(m);
            while (TavikNextRect(m, TavikRectsMerged)) ++rects;
            TavikAdvance(m);
        }
        benchmark::DoNotOptimize(picture.data());
    }
    const double perFrame =
        (tavik::bench::ThreadSeconds() - start) / static_cast<double>(state.iterations() * frames);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * frames * picture.size());
    // How many times longer a frame takes to play than to copy its picture's bytes.
    state.counters["x_memcpy_time"] = perFrame / tavik::bench::MemcpySeconds(picture.size());
    state.counters["frames_per_second"] = benchmark::Counter(
        static_cast<double>(frames), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["rects_per_frame"] =
        static_cast<double>(rects) / static_cast<double>(state.iterations() * frames);
    TavikClose(m);
}

void BM_PlayDemo8Bit(benchmark::State& state) {
    PlayPass(state, 0);
}
void BM_PlayDemo16Bit(benchmark::State& state) {
    PlayPass(state, TAVIK_DEST_565);
}

BENCHMARK(BM_PlayDemo8Bit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayDemo16Bit)->Unit(benchmark::kMillisecond);

}  // namespace
