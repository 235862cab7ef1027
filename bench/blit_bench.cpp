// Blit throughput of every mode over whole 320x200 and 640x480 pictures, reported against memcpy
// of the same output bytes between buffers of the destination's size, timed in the same rounds:
//   vs_memcpy  memcpy time / blit time (1 means as fast as copying the output)
//   vs_plain   plain-loop time / wide-loop time, for the wide-loop variants
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "blit/blitter_record.h"
#include "tavik/blitter.h"
#include "video/frame_helpers.h"

namespace {

struct Variant {
    uint32_t flags;
    bool wide;            // run with the wide loops allowed (modes 1, 2, 7 and 8)
    bool padded = false;  // destination lines 64 bytes longer than the output, as on a wider screen
};

class BlitScene {
  public:
    BlitScene(uint32_t flags, bool padded, uint32_t width, uint32_t height)
        : width_(width), height_(height), blitter_(BlitterOpen(flags)) {
        std::mt19937 random(flags ^ width);
        std::vector<uint8_t> palette(768);
        for (auto& channel : palette) channel = static_cast<uint8_t>(random());
        BlitterSetPalette(blitter_, palette.data(), 0);
        source_.resize(size_t{width} * height);
        for (auto& pixel : source_) pixel = static_cast<uint8_t>(random());

        const uint32_t format = flags & TAVIK_BLITTER_FORMAT_MASK;
        const bool scaled = (flags & (BlitterDouble | BlitterInterlaced | BlitterSmoothing)) != 0;
        const uint32_t scale = scaled ? 2 : 1;
        const size_t lineBytes = width * scale * (format != 0 ? 2 : 1);
        pitch_ = int32_t(lineBytes + (padded ? 64 : 0));
        destination_.assign(size_t(pitch_) * height * scale, 0);
        const bool interlaced =
            (flags & (BlitterInterlaced | BlitterSmoothing)) == BlitterInterlaced;
        outputBytes_ = lineBytes * height * scale / (interlaced ? 2 : 1);
        copySource_.assign(destination_.size(), 1);
    }
    ~BlitScene() { BlitterClose(blitter_); }
    BlitScene(const BlitScene&) = delete;
    BlitScene& operator=(const BlitScene&) = delete;

    void Blit() {
        ::Blit(blitter_, destination_.data(), pitch_, 0, 0, 0, int32_t(width_), source_.data(), 0,
               width_, height_);
        benchmark::ClobberMemory();
    }
    void Copy() {
        std::memcpy(destination_.data(), copySource_.data(), outputBytes_);
        benchmark::ClobberMemory();
    }
    size_t outputBytes() const { return outputBytes_; }

  private:
    uint32_t width_, height_;
    TavikBlitter* blitter_;
    int32_t pitch_ = 0;
    size_t outputBytes_ = 0;
    std::vector<uint8_t> source_, destination_, copySource_;
};

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Processor time of this thread per call: other work on a shared machine does not count, and
// the callers keep the best of interleaved rounds so that both sides see the same conditions.
template <typename Step>
double SecondsPerCall(Step step, int calls) {
    const double start = ThreadSeconds();
    for (int i = 0; i < calls; ++i) step();
    return (ThreadSeconds() - start) / calls;
}

void BlitBenchmark(benchmark::State& state, Variant variant, uint32_t width, uint32_t height) {
    BlitScene scene(variant.flags, variant.padded, width, height);
    tavik::UseMMX(variant.wide ? 1 : 0);
    for (auto _ : state) scene.Blit();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(scene.outputBytes()));

    const int calls = int(std::max<size_t>(2, (8u << 20) / scene.outputBytes()));
    double blit = 1e9, copy = 1e9, plain = 1e9;
    for (int round = 0; round < 21; ++round) {
        copy = std::min(copy, SecondsPerCall([&] { scene.Copy(); }, calls));
        blit = std::min(blit, SecondsPerCall([&] { scene.Blit(); }, calls));
        if (variant.wide) {
            tavik::UseMMX(0);
            plain = std::min(plain, SecondsPerCall([&] { scene.Blit(); }, calls));
            tavik::UseMMX(1);
        }
    }
    state.counters["vs_memcpy"] = copy / blit;
    if (variant.wide) state.counters["vs_plain"] = plain / blit;
    tavik::UseMMX(1);
}

const bool kRegistered = [] {
    const Variant variants[] = {
        {0, false},
        {0, false, true},
        {BlitterDouble, false},
        {BlitterDouble, true},
        {BlitterInterlaced, false},
        {BlitterInterlaced, true},
        {BlitterSmoothing, false},
        {TAVIK_BLITTER_565, false},
        {TAVIK_BLITTER_565 | BlitterDouble, false},
        {TAVIK_BLITTER_565 | BlitterDouble, true},
        {TAVIK_BLITTER_565 | BlitterInterlaced, false},
        {TAVIK_BLITTER_565 | BlitterInterlaced, true},
        {TAVIK_BLITTER_565 | BlitterSmoothing, false},
    };
    const uint32_t sizes[][2] = {{320, 200}, {640, 480}};
    for (const auto& size : sizes) {
        for (const Variant& variant : variants) {
            std::string name = BlitterModeName(tavik::BlitterModeFromFlags(variant.flags));
            std::replace(name.begin(), name.end(), ' ', '_');
            if (tavik::HasWideLoops(tavik::BlitterModeFromFlags(variant.flags))) {
                name += variant.wide ? "/wide" : "/plain";
            }
            if (variant.padded) name += "/padded";
            name = "Blit/" + name + "/" + std::to_string(size[0]) + "x" + std::to_string(size[1]);
            benchmark::RegisterBenchmark(name.c_str(), BlitBenchmark, variant, size[0], size[1])
                ->MinTime(0.1);
        }
    }
    return true;
}();

}  // namespace
