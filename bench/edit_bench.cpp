// Subtitling a 640x480 movie at 15 frames per second with sound: two lines of SubRip text at a
// time drawn by the subtitle renderer into a scene that pans under it, against the movie's own
// duration:
//   x_realtime  seconds of movie edited per second of processor time (the goal is above 1)
// The clip is 10 seconds, made at the start. Every frame costs the same work (decoded, read,
// drawn, coded twice), so a 10-minute movie takes 60 times as long: the ratio holds for it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "bench_support.h"
#include "edit/movie_edit.h"
#include "edit/subtitles.h"
#include "encoder/encoder.h"

namespace {

using namespace tavik;

constexpr uint32_t kWidth = 640, kHeight = 480, kFps = 15, kSeconds = 10;

// A sky that stays (skipped blocks), hills that pan and a speckled ground, 256 colours.
std::vector<uint8_t> MakeMovie() {
    enc::MovieSpec plan;
    plan.width = kWidth;
    plan.height = kHeight;
    plan.frameRate = -100000 / static_cast<int32_t>(kFps);
    plan.tracks[0] = enc::AudioTrackFormat{22050, false, false, true};
    uint32_t seed = 1;
    for (uint32_t t = 0; t < kFps * kSeconds; ++t) {
        enc::Frame frame;
        frame.pixels.resize(size_t{kWidth} * kHeight);
        for (uint32_t y = 0; y < kHeight; ++y) {
            for (uint32_t x = 0; x < kWidth; ++x) {
                const uint32_t u = x + 3 * t;
                uint8_t& px = frame.pixels[size_t{y} * kWidth + x];
                if (y < 200) {
                    px = static_cast<uint8_t>(y / 4);
                } else if (y < 300 + (u * 7 % 200) / 4) {
                    px = static_cast<uint8_t>(64 + (u / 8 + y / 16) % 64);
                } else {
                    seed = seed * 1103515245u + 12345u;
                    px = static_cast<uint8_t>(128 + ((u / 4 + y / 4) % 96) + (seed >> 29));
                }
            }
        }
        if (t == 0) {
            enc::Palette palette{};
            for (int i = 0; i < 256; ++i) {
                palette[3 * i] = enc::QuantizeComponent(static_cast<uint8_t>(i * 7));
                palette[3 * i + 1] = enc::QuantizeComponent(static_cast<uint8_t>(64 + i / 2));
                palette[3 * i + 2] = enc::QuantizeComponent(static_cast<uint8_t>(255 - i));
            }
            frame.palette = palette;
        }
        frame.audio[0] = std::vector<uint8_t>(t == 0 ? 22050 + 1470 : 1470, 0x80);
        plan.frames.push_back(std::move(frame));
    }
    return enc::EncodeMovie(plan);
}

void BM_SubtitleMovie(benchmark::State& state) {
    if (!edit::SubtitlesAvailable()) {
        state.SkipWithError("built without libass");
        return;
    }
    const std::string dir = "/tmp/tavik_edit_bench_" + std::to_string(getpid()) + "/";
    std::filesystem::create_directories(dir);
    static const std::vector<uint8_t> movie = MakeMovie();
    enc::WriteFile(dir + "in.tvk", movie);
    std::ofstream srt(dir + "subs.srt");
    for (uint32_t cue = 0; cue < kSeconds / 3; ++cue)
        srt << cue + 1 << "\n00:00:0" << 3 * cue << ",200 --> 00:00:0" << 3 * cue + 2
            << ",900\nLine " << cue << " of the translation, <i>as a fan</i> wrote it\n"
            << "and its second line, which is a little longer\n\n";
    srt.close();

    double seconds = 0;
    for (auto _ : state) {
        std::string error;
        auto text = edit::OpenSubtitles({dir + "subs.srt", "", 0}, kWidth, kHeight, 1, error);
        edit::EditOptions options;
        options.text = text.get();
        edit::EditReport report;
        const double start = bench::ThreadSeconds();
        if (!text || !edit::EditMovie(dir + "in.tvk", dir + "out.tvk", options, report, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        seconds += bench::ThreadSeconds() - start;
    }
    std::filesystem::remove_all(dir);
    state.counters["x_realtime"] =
        static_cast<double>(kSeconds) * static_cast<double>(state.iterations()) / seconds;
}
BENCHMARK(BM_SubtitleMovie)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
