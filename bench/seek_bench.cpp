// Seeking, in frames' worth of sequential decoding (the time of a seek over the time one frame
// takes in a straight pass), and in pictures decoded per seek:
// - BM_RandomSeek: the embedding decoder's seek and the frame it lands on, in a new decoder
//   ("cold": it makes snapshots as it goes) and in one that has played the movie once;
// - BM_SeekWithSound: the same followed by a second of sound from TavikDecoderReadSound, beside
//   the way a program had to find that sound before (seeking back to the frames that brought
//   it and decoding their pictures);
// - BM_PlayerSeek: the player's seek (TavikSeek: picture, palette, reader and the sound that
//   plays with the frame) and the frame it lands on, beside the same walk-back done through a
//   second decoder, as the player did before.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench_movies.h"
#include "bench_support.h"
#include "decoder/decoder_state.h"
#include "tavik/tavik.h"

namespace {

using tavik::bench::LongMoviePath;
using tavik::bench::ThreadSeconds;

// Seconds a frame takes in a straight pass through a decoder (which also makes its snapshots).
double FrameSeconds(TavikDecoder* d) {
    TavikFrame frame;
    const double start = ThreadSeconds();
    TavikDecoderSeek(d, 0);
    while (TavikDecoderNext(d, &frame) == TavikOk) benchmark::DoNotOptimize(frame.Pixels);
    return (ThreadSeconds() - start) / d->info.FrameCount;
}

// The sound that plays with frame n, found as programs had to before: walk back through the
// frames' sound offsets to the first frame that brought any of it, seek there and decode the
// frames up to n for their sound.
size_t SoundTheOldWay(TavikDecoder* d, uint32_t n, std::vector<uint8_t>& sound) {
    const TavikTrackInfo& track = d->info.Tracks[0];
    const uint64_t perFrame = uint64_t{d->info.FrameTime} * track.Rate / 100000;
    uint64_t want = n * perFrame, at = 0;
    uint32_t first = n;
    while (first > 0 && TavikDecoderSoundOffset(d, first, 0, &at) == TavikOk && at > want) --first;
    sound.clear();
    TavikFrame frame;
    TavikDecoderSeek(d, first);
    for (uint32_t i = first; i < n && TavikDecoderNext(d, &frame) == TavikOk; ++i)
        if (frame.Sound[0])
            sound.insert(sound.end(), frame.Sound[0], frame.Sound[0] + frame.SoundBytes[0]);
    return sound.size();
}

// 100 seeks an iteration to random frames from `first` to `frames` - 1 through `seek(n)` (with
// `between()` before each iteration's seeks), reported in frames of sequential decoding and in
// pictures decoded (`pictures()` counts them).
template <class Between, class Pictures, class Seek>
void MeasureSeeks(benchmark::State& state, uint32_t first, uint32_t frames, double frameSeconds,
                  Between between, Pictures pictures, Seek seek) {
    std::mt19937 random(7);
    double seconds = 0;
    uint64_t seeks = 0, decoded = 0;
    for (auto _ : state) {
        between();
        const uint64_t before = pictures();
        const double start = ThreadSeconds();
        for (int i = 0; i < 100; ++i, ++seeks)
            seek(first + static_cast<uint32_t>(random() % (frames - first)));
        seconds += ThreadSeconds() - start;
        decoded += pictures() - before;
    }
    state.counters["frames_per_seek"] = seconds / static_cast<double>(seeks) / frameSeconds;
    state.counters["pictures_per_seek"] = static_cast<double>(decoded) / static_cast<double>(seeks);
}

void BM_RandomSeek(benchmark::State& state) {
    const bool cold = state.range(0) == 1;
    const std::string& path = LongMoviePath();
    TavikDecoder* d = nullptr;
    if (TavikDecoderOpenFile(path.c_str(), &d) != TavikOk) {
        state.SkipWithError("cannot open the long movie");
        return;
    }
    TavikFrame frame;
    MeasureSeeks(
        state, 0, d->info.FrameCount, FrameSeconds(d),
        [&] {
            if (!cold) return;
            TavikDecoderClose(d);
            TavikDecoderOpenFile(path.c_str(), &d);
        },
        [&] { return d->picturesDecoded; },
        [&](uint32_t n) {
            TavikDecoderSeek(d, n);
            TavikDecoderNext(d, &frame);
        });
    TavikDecoderClose(d);
}

void BM_SeekWithSound(benchmark::State& state) {
    const bool oldWay = state.range(0) == 1;
    TavikDecoder* d = nullptr;
    if (TavikDecoderOpenFile(LongMoviePath().c_str(), &d) != TavikOk) {
        state.SkipWithError("cannot open the long movie");
        return;
    }
    const TavikTrackInfo& track = d->info.Tracks[0];
    std::vector<uint8_t> sound(size_t{track.Rate} * track.Channels * track.Bits / 8);
    TavikFrame frame;
    MeasureSeeks(
        state, 0, d->info.FrameCount, FrameSeconds(d), [] {}, [&] { return d->picturesDecoded; },
        [&](uint32_t n) {
            size_t got = 0;
            if (oldWay) got = SoundTheOldWay(d, n, sound);
            TavikDecoderSeek(d, n);
            TavikDecoderNext(d, &frame);
            if (!oldWay) TavikDecoderReadSound(d, 0, sound.data(), sound.size(), &got);
            benchmark::DoNotOptimize(got);
        });
    TavikDecoderClose(d);
}

void BM_PlayerSeek(benchmark::State& state) {
    const bool oldWay = state.range(0) == 1;
    const std::string& path = LongMoviePath();
    TavikMovie* m = TavikOpen(path.c_str(), TavikTrack0 | TavikNoSkip, TAVIK_CHOOSE_RING_SIZE);
    TavikDecoder* d = nullptr;
    if (!m || TavikDecoderOpenFile(path.c_str(), &d) != TavikOk) {
        state.SkipWithError("cannot open the long movie");
        if (m) TavikClose(m);
        return;
    }
    std::vector<uint8_t> picture(size_t{m->Header.Width} * m->Header.Height), sound;
    TavikSetDest(m, 0, 0, static_cast<int32_t>(m->Header.Width), m->Header.Height, picture.data(),
                 0);
    const uint32_t frames = m->Header.FrameCount;
    const double frameSeconds = FrameSeconds(d);               // the old way's decoder has played
    for (uint32_t n = 0; n < frames; n += 8) TavikSeek(m, n);  // and so has the engine's seeker
    TavikFrame frame;
    MeasureSeeks(
        state, 1, frames, frameSeconds, [] {},
        [&] { return d->picturesDecoded + m->Seeker->picturesDecoded; },
        [&](uint32_t n) {
            if (oldWay) {  // the picture before the frame, then its sound, from the decoder
                TavikDecoderSeek(d, n - 1);
                TavikDecoderNext(d, &frame);
                SoundTheOldWay(d, n, sound);
            } else {
                TavikSeek(m, n);
            }
            TavikDecodeFrame(m);
        });
    TavikDecoderClose(d);
    TavikClose(m);
}

BENCHMARK(BM_RandomSeek)->ArgName("cold")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SeekWithSound)->ArgName("old_way")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayerSeek)->ArgName("old_way")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
