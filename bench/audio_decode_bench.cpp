// Decoding one frame's audio chunk, as the engine does for every frame and track.
#include <benchmark/benchmark.h>

#include <cmath>

#include "audio/audio_decoder.h"
#include "audio_test_support.h"

namespace {

// A frame's worth of a sine tone: small deltas, like real sound.
std::vector<uint8_t> Tone(size_t frames, bool stereo, bool wide) {
    std::vector<uint8_t> pcm;
    for (size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < (stereo ? 2 : 1); ++c) {
            const double s = std::sin(0.05 * static_cast<double>(i) + c);
            if (wide) {
                const auto v = static_cast<int16_t>(s * 12000);
                pcm.push_back(static_cast<uint8_t>(v));
                pcm.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
            } else {
                pcm.push_back(static_cast<uint8_t>(128 + s * 100));
            }
        }
    }
    return pcm;
}

void DecodeFrame(benchmark::State& state, bool stereo, bool wide) {
    const auto pcm = Tone(1456, stereo, wide);
    const auto stream = tavik::test::EncodeAudioStream(stereo, wide, pcm);
    std::vector<uint8_t> ring(28672);
    alignas(32) static uint8_t trees[tavik::kAudioTreeAreaSize];
    uint32_t at = 0;
    for (auto _ : state) {
        const uint32_t written = tavik::DecodeAudio(
            stream.data(), static_cast<uint32_t>(stream.size()), static_cast<uint32_t>(pcm.size()),
            trees, ring.data(), ring.data() + ring.size(), ring.data() + at);
        at = (at + written) % static_cast<uint32_t>(ring.size());
        benchmark::DoNotOptimize(ring.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(pcm.size()));
}

void BM_AudioDecodeMono8(benchmark::State& state) {
    DecodeFrame(state, false, false);
}
void BM_AudioDecodeStereo16(benchmark::State& state) {
    DecodeFrame(state, true, true);
}
BENCHMARK(BM_AudioDecodeMono8);
BENCHMARK(BM_AudioDecodeStereo16);

}  // namespace
