// Video decoding speed. Each decode benchmark also times memcpy of the same output bytes (a
// buffer of the frame's size, in cache) in the same run and reports the ratio as
// `x_memcpy_time`: how many times longer a frame takes to decode than to copy.
#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "bench_support.h"
#include "encoder/encoder.h"
#include "support/movie_chunks.h"
#include "support/test_picture.h"
#include "support/tree_block_writer.h"
#include "video/marker_runs.h"
#include "video/trees.h"
#include "video/value_decoder.h"
#include "video/video_decoder.h"

namespace {

using tavik::test::MovieChunks;
using tavik::test::TestPicture;

// Gradient pictures with two bits of noise: pixel pairs repeat about as in real footage.
tavik::enc::MovieSpec GradientMovie(uint32_t width, uint32_t height, uint32_t frames) {
    tavik::enc::MovieSpec plan;
    plan.width = width;
    plan.height = height;
    tavik::enc::Palette palette{};
    for (uint32_t i = 0; i < 768; ++i) palette[i] = tavik::enc::QuantizeComponent(uint8_t(i / 3));
    uint32_t seed = 12345;
    for (uint32_t f = 0; f < frames; ++f) {
        tavik::enc::Frame frame;
        frame.pixels.resize(size_t{width} * height);
        for (uint32_t y = 0; y < height; ++y) {
            for (uint32_t x = 0; x < width; ++x) {
                seed = seed * 1103515245u + 12345u;
                frame.pixels[size_t{y} * width + x] = uint8_t((x + y) / 2 + f * 3 + (seed >> 30));
            }
        }
        if (f == 0) frame.palette = palette;
        plan.frames.push_back(std::move(frame));
    }
    return plan;
}

// Values a frame decodes: type words plus two per two-colour block and eight per full block.
uint64_t CountValues(const MovieChunks& movie, const MovieChunks::FrameChunks& frame) {
    std::vector<uint8_t> trees = movie.trees;
    tavik::ValueTrees values;
    tavik::ResetRecentValues(trees.data(), values);
    tavik::VideoBitStream bits(frame.video, frame.videoSize);
    static constexpr uint32_t kLong[5] = {128, 256, 512, 1024, 2048};
    const uint64_t total = uint64_t{movie.width / 4} * (movie.height / 4);
    uint64_t blocks = 0, count = 0;
    while (blocks < total) {
        const uint32_t word = tavik::DecodeValue(bits, values.tree[3], values) >> 16;
        const uint32_t index = word >> 2 & 63;
        const uint64_t run =
            std::min<uint64_t>(index < 59 ? index + 1 : kLong[index - 59], total - blocks);
        ++count;
        for (uint64_t b = 0; b < run && (word & 3) < 2; ++b) {
            if ((word & 3) == 0) {
                tavik::DecodeValue(bits, values.tree[1], values);
                tavik::DecodeValue(bits, values.tree[0], values);
                count += 2;
            } else {
                for (int v = 0; v < 8; ++v) tavik::DecodeValue(bits, values.tree[2], values);
                count += 8;
            }
        }
        blocks += run;
    }
    return count;
}

using tavik::bench::ThreadSeconds;

double MemcpySecondsPerFrame(size_t bytes) {
    return tavik::bench::MemcpySeconds(bytes);
}

void DecodeMovieFrames(benchmark::State& state, const MovieChunks& movie) {
    if (!movie.ok) {
        state.SkipWithError("movie could not be made");
        return;
    }
    TestPicture picture({.width = movie.width, .codedHeight = movie.height});
    std::vector<uint8_t> trees = movie.trees;
    uint64_t values = 0;
    for (const auto& frame : movie.frames) values += CountValues(movie, frame);
    size_t next = 0;
    const double start = ThreadSeconds();
    for (auto _ : state) {
        const auto& frame = movie.frames[next];
        tavik::DecodeVideoFrame(frame.video, frame.videoSize, trees.data(), movie.runs.get(),
                                picture.Dest());
        benchmark::ClobberMemory();
        next = next + 1 == movie.frames.size() ? 0 : next + 1;
    }
    const double seconds = ThreadSeconds() - start;
    const size_t frameBytes = size_t{movie.width} * movie.height;
    const double perFrame = seconds / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * frameBytes));
    state.counters["values_per_s"] =
        benchmark::Counter(static_cast<double>(values) / static_cast<double>(movie.frames.size()) *
                               static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["x_memcpy_time"] = perFrame / MemcpySecondsPerFrame(frameBytes);
}

// Noise over a gradient, every block full: long codes (about 10 bits), few recent values. The
// worst case for the decoder; it takes the code-by-code full-block loop.
const MovieChunks& NoisyFullBlockMovie() {
    static const MovieChunks movie(tavik::enc::EncodeMovie(
        GradientMovie(320, 200, 8),
        {.allowSkip = false, .allowSolid = false, .allowTwoColour = false}));
    return movie;
}

const MovieChunks& DemoMovie() {
    static const MovieChunks movie(tavik::enc::EncodeMovie(tavik::enc::MakeDemoMovie()));
    return movie;
}

// The demo's pictures with every block coded full: drawn pictures as movies hold them, short
// codes, mostly recent-value leaves, so the decoder takes runs of them per lookup.
const MovieChunks& FullBlockMovie() {
    static const MovieChunks movie(tavik::enc::EncodeMovie(
        tavik::enc::MakeDemoMovie(),
        {.allowSkip = false, .allowSolid = false, .allowTwoColour = false}));
    return movie;
}

void BM_DecodeFullBlocks(benchmark::State& state) {
    DecodeMovieFrames(state, FullBlockMovie());
}
BENCHMARK(BM_DecodeFullBlocks)->Unit(benchmark::kMicrosecond);

void BM_DecodeNoisyFullBlocks(benchmark::State& state) {
    DecodeMovieFrames(state, NoisyFullBlockMovie());
}
BENCHMARK(BM_DecodeNoisyFullBlocks)->Unit(benchmark::kMicrosecond);

void BM_DecodeDemoMovie(benchmark::State& state) {
    DecodeMovieFrames(state, DemoMovie());
}
BENCHMARK(BM_DecodeDemoMovie)->Unit(benchmark::kMicrosecond);

// The floor under BM_DecodeNoisyFullBlocks: only the chain that every code waits for (mask the
// window, load the direct-lookup entry, shift by its bit count), with the same refills, and no
// walks, slots or pixels. Codes longer than the table are cut short, so this times, not decodes.
void BM_LookupChainFullBlocks(benchmark::State& state) {
    const MovieChunks& movie = NoisyFullBlockMovie();
    if (!movie.ok) {
        state.SkipWithError("movie could not be made");
        return;
    }
    const uint8_t* lookup = movie.trees.data() + tavik::kLookupOffsets[tavik::kFullBlockTree];
    const uint32_t codes = movie.width / 4 * (movie.height / 4) * 8;
    size_t next = 0;
    uint32_t sink = 0;
    const double start = ThreadSeconds();
    for (auto _ : state) {
        const auto& frame = movie.frames[next];
        tavik::VideoBitStream bits(frame.video, frame.videoSize);
        for (uint32_t i = 0; i < codes; i += 4) {
            bits.Refill();
            for (int k = 0; k < 4; ++k) {
                const uint32_t found = tavik::Load32(lookup + 4 * (bits.Peek() & 0xFFF));
                bits.Skip(found & 0xFF);
                sink += found;
            }
        }
        benchmark::DoNotOptimize(sink);
        next = next + 1 == movie.frames.size() ? 0 : next + 1;
    }
    const double perFrame = (ThreadSeconds() - start) / static_cast<double>(state.iterations());
    state.counters["x_memcpy_time"] =
        perFrame / MemcpySecondsPerFrame(size_t{movie.width} * movie.height);
}
BENCHMARK(BM_LookupChainFullBlocks)->Unit(benchmark::kMicrosecond);

// The baseline of the ratios above, on its own: memcpy of one 320 x 200 frame.
void BM_MemcpyFrame(benchmark::State& state) {
    std::vector<uint8_t> from(320 * 200, 1), to(320 * 200);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * from.size()));
}
BENCHMARK(BM_MemcpyFrame);

// Opening a movie with a 35,000-node tree (17,500 distinct pixel pairs) builds its trees and
// the full-block tree's run table.
void BM_BuildTrees35000Nodes(benchmark::State& state) {
    using tavik::test::BalancedShape;
    tavik::test::TreeBlockWriter block;
    std::vector<int32_t> pairs(17500);
    for (int32_t i = 0; i < 17500; ++i) pairs[size_t(i)] = (i * 37) % 65536;
    block.Present(BalancedShape({0x0000, 0xFFFF, 0x00FF, 0x0F0F}), {1, 2, 3});
    block.Present(BalancedShape({0x0102, 0x0304}), {5, 6, 7});
    block.Present(BalancedShape(pairs), {0x10001 % 65536, 8, 9});
    block.Present(BalancedShape({0x0003, 0x0008, 0x00FE}), {0x0003, 10, 11});
    const auto sizes = block.ExactSizes();
    std::vector<uint8_t> input = block.Input();
    std::vector<uint8_t> trees(tavik::TreeMemorySize() + sizes[0] + sizes[1] + sizes[2] + sizes[3]);
    auto runs = std::make_unique<TavikMarkerRuns>();
    for (auto _ : state) {
        const bool ok = tavik::BuildTrees(input.data(), trees.data(), sizes[0], sizes[1], sizes[2],
                                          sizes[3], block.BlockSize());
        if (!ok) state.SkipWithError("tree block refused");
        tavik::BuildMarkerRuns(trees.data(), runs.get());
        benchmark::DoNotOptimize(trees.data());
        benchmark::DoNotOptimize(runs.get());
    }
}
BENCHMARK(BM_BuildTrees35000Nodes)->Unit(benchmark::kMillisecond);

}  // namespace
