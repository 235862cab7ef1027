// The embedding interface against the engine it is built on: a whole pass over the demo through
// each (same run, same movie), and conversion to RGBA against memcpy of the RGBA bytes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "bench_movies.h"
#include "bench_support.h"
#include "encoder/encoder.h"
#include "tavik/tavik.h"

namespace {

using tavik::bench::DemoPath;
using tavik::bench::ThreadSeconds;

// Seconds for one pass over every frame of an open engine movie.
double EnginePass(TavikMovie* m) {
    const double start = ThreadSeconds();
    for (uint32_t i = 0; i < m->Header.FrameCount; ++i) {
        TavikDecodeFrame(m);
        TavikAdvance(m);
    }
    return ThreadSeconds() - start;
}

// Seconds for one pass over every frame through a decoder, from its first frame.
double DecoderPass(TavikDecoder* d) {
    TavikFrame frame;
    const double start = ThreadSeconds();
    TavikDecoderSeek(d, 0);
    while (TavikDecoderNext(d, &frame) == TavikOk) benchmark::DoNotOptimize(frame.Pixels);
    return ThreadSeconds() - start;
}

// Both interfaces decode the demo's pictures in turns, so that they share the machine's state;
// the ratio is the decoder's time over the engine's.
void BM_DecoderAgainstEngine(benchmark::State& state) {
    // The engine reads the whole movie first; the decoder gets it in memory, as the same bytes.
    TavikMovie* m = TavikOpen(DemoPath().c_str(), TavikPreload, TAVIK_CHOOSE_RING_SIZE);
    std::ifstream file(DemoPath(), std::ios::binary);
    const std::vector<char> movie((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    TavikDecoder* d = nullptr;
    if (!m || TavikDecoderOpenMemory(movie.data(), movie.size(), &d) != TavikOk) {
        state.SkipWithError("cannot open the demo movie");
        if (m) TavikClose(m);
        return;
    }
    std::vector<uint8_t> picture(size_t{m->Header.Width} * m->Header.Height);
    TavikSetDest(m, 0, 0, static_cast<int32_t>(m->Header.Width), m->Header.Height, picture.data(),
                 0);
    TavikDecoderSetSoundTracks(d, 0);  // the engine plays no sound here either
    DecoderPass(d);  // the first pass makes the snapshots; later ones allocate nothing
    double engine = 0, decoder = 0;
    for (auto _ : state) {
        engine += EnginePass(m);
        decoder += DecoderPass(d);
    }
    state.counters["x_engine_time"] = decoder / engine;
    state.counters["frames_per_second"] = benchmark::Counter(
        static_cast<double>(m->Header.FrameCount), benchmark::Counter::kIsIterationInvariantRate);
    TavikDecoderClose(d);
    TavikClose(m);
}

// TavikConvertFrame of a demo frame against memcpy of as many bytes as the RGBA picture has.
void BM_ConvertFrame(benchmark::State& state) {
    const auto format = static_cast<TavikPixelFormat>(state.range(0));
    TavikDecoder* d = nullptr;
    if (TavikDecoderOpenFile(DemoPath().c_str(), &d) != TavikOk) {
        state.SkipWithError("cannot open the demo movie");
        return;
    }
    const TavikInfo* info = TavikDecoderGetInfo(d);
    TavikFrame frame;
    for (int i = 0; i < 40; ++i) TavikDecoderNext(d, &frame);  // a busy picture
    const size_t rgbaBytes = size_t{info->Width} * info->Height * 4;
    std::vector<uint8_t> out(rgbaBytes);
    const ptrdiff_t pitch = static_cast<ptrdiff_t>(info->Width) * (format == TavikRGB24    ? 3
                                                                   : format == TavikRGB565 ? 2
                                                                                           : 4);
    const double start = ThreadSeconds();
    for (auto _ : state) {
        TavikConvertFrame(&frame, info, format, out.data(), pitch);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    const double perFrame = (ThreadSeconds() - start) / static_cast<double>(state.iterations());
    // Above 1: faster than copying the RGBA picture would be.
    state.counters["x_memcpy_speed"] = tavik::bench::MemcpySeconds(rgbaBytes) / perFrame;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rgbaBytes));
    TavikDecoderClose(d);
}

BENCHMARK(BM_DecoderAgainstEngine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertFrame)
    ->ArgName("format")
    ->Arg(TavikRGB24)
    ->Arg(TavikRGBA32)
    ->Arg(TavikBGRA32)
    ->Arg(TavikRGB565);

}  // namespace
