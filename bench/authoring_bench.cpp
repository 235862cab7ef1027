// Authoring from truecolour at the default settings: a 320x200 photograph-like pan at 15 frames
// per second with speech, free and under data-rate caps, and a still scene with a small moving
// object. Speed is reported against the movie's own rate, with the processor time of every
// thread (the quantiser may use several):
//   x_realtime       frames encoded per second of processor time / the movie's frames per second
// and the results the goals are stated in:
//   psnr_db          over the whole clip, against the source pictures
//   highest_rate     the highest one-second data rate, sound included (bytes)
//   later_vs_first   the still scene: mean size of the frames after frame 0 / frame 0's size
#include <benchmark/benchmark.h>

#include <ctime>

#include "encoder/authoring.h"
#include "encoder/rate_control.h"
#include "support/decoded_movie.h"
#include "support/synthetic_video.h"

namespace {

using namespace tavik;

constexpr uint32_t kWidth = 320, kHeight = 200, kFps = 15;

double ProcessSeconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Clip {
    std::vector<test::RgbPicture> pictures;
    std::vector<uint8_t> speech;  // 22050 Hz 8-bit mono, compressed
};

void Author(benchmark::State& state, const Clip& clip, uint64_t maxRate) {
    enc::MovieSpec plan;
    plan.width = kWidth;
    plan.height = kHeight;
    plan.frameRate = -100000 / static_cast<int32_t>(kFps);
    plan.frames.resize(clip.pictures.size());
    std::vector<enc::SourceFrame> sources(clip.pictures.size());
    for (size_t i = 0; i < sources.size(); ++i) sources[i].rgb = clip.pictures[i].rgb;
    if (!clip.speech.empty()) {  // a second of lead in frame 0, then 1470 samples a frame
        plan.tracks[0] = enc::AudioTrackFormat{22050, false, false, true};
        for (size_t i = 0; i < sources.size(); ++i) {
            const size_t begin = i == 0 ? 0 : 22050 + i * 1470, end = 22050 + (i + 1) * 1470;
            plan.frames[i].audio[0] =
                std::vector<uint8_t>(clip.speech.begin() + begin, clip.speech.begin() + end);
        }
    }
    enc::AuthorOptions options;
    options.maxRate = maxRate;
    std::vector<uint8_t> movie;
    const double start = ProcessSeconds();
    for (auto _ : state) {
        enc::AuthorReport report;
        std::string error;
        if (!enc::AuthorMovie(plan, sources, options, movie, report, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(movie.data());
    }
    const double perMovie = (ProcessSeconds() - start) / static_cast<double>(state.iterations());
    const std::vector<uint32_t> sizes = enc::FrameSizesOf(movie);
    const test::DecodedMovie decoded = test::DecodeMovie(movie);
    std::vector<uint8_t> shown, wanted;
    for (size_t i = 0; i < decoded.frames.size(); ++i) {
        shown.insert(shown.end(), decoded.frames[i].rgb.begin(), decoded.frames[i].rgb.end());
        wanted.insert(wanted.end(), clip.pictures[i].rgb.begin(), clip.pictures[i].rgb.end());
    }
    uint64_t later = 0;
    for (size_t i = 1; i < sizes.size(); ++i) later += sizes[i];
    state.counters["x_realtime"] = static_cast<double>(sources.size()) / perMovie / kFps;
    state.counters["psnr_db"] = test::Psnr(shown, wanted);
    state.counters["highest_rate"] =
        static_cast<double>(enc::HighestRate(sizes, enc::FramesPerSecond(plan.frameRate)));
    state.counters["movie_bytes"] = static_cast<double>(movie.size());
    state.counters["later_vs_first"] =
        static_cast<double>(later) / static_cast<double>(sizes.size() - 1) / sizes[0];
}

const Clip& Pan() {
    static const Clip clip{test::MakePan(kWidth, kHeight, 6 * kFps, 2), test::MakeSpeech(22050, 7)};
    return clip;
}

// Argument: the cap in bytes per second, 0 for none.
void BM_AuthorPan(benchmark::State& state) {
    Author(state, Pan(), static_cast<uint64_t>(state.range(0)));
}
BENCHMARK(BM_AuthorPan)->Arg(0)->Arg(300000)->Arg(150000)->Unit(benchmark::kMillisecond);

void BM_AuthorStillScene(benchmark::State& state) {
    static const Clip clip{test::MakeStillWithObject(kWidth, kHeight, 3 * kFps), {}};
    Author(state, clip, 0);
}
BENCHMARK(BM_AuthorStillScene)->Unit(benchmark::kMillisecond);

}  // namespace
