// Audio test helpers: compressed stream writing, a scripted recording backend, a hand-made movie.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "audio/sound_backend.h"
#include "audio/sound_hooks.h"
#include "audio/sound_track.h"
#include "support/bit_writer.h"
#include "tavik/movie.h"

namespace tavik::test {

// The subtree at `depth` over the values below `prefix`: complete down to depth 8.
inline void WriteFullTree(BitWriter& w, unsigned depth, uint32_t prefix) {
    w.Bit(depth < 8);
    if (depth == 8) return w.Bits(prefix, 8);
    WriteFullTree(w, depth + 1, prefix * 2);
    WriteFullTree(w, depth + 1, prefix * 2 + 1);
}

// A byte tree with its (ignored) leading bit and its closing bit: a single leaf (its bytes cost
// no bits), or for `leaf` < 0 the complete tree over all 256 values (each costs 8 bits).
inline void WriteAudioTree(BitWriter& w, int leaf = -1) {
    w.Bit(1);
    leaf >= 0 ? (w.Bit(0), w.Bits(static_cast<uint32_t>(leaf), 8)) : WriteFullTree(w, 0, 0);
    w.Bit(0);
}

// The bit stream of a compressed chunk that decodes to `pcm` (whole sample frames), with the
// complete tree for every delta byte; or with single-leaf trees (each adds its leaf to every
// sample frame after the first) when `leaves` are given.
inline std::vector<uint8_t> EncodeAudioStream(bool stereo, bool wide,
                                              const std::vector<uint8_t>& pcm,
                                              const std::vector<uint8_t>& leaves = {}) {
    const uint32_t channels = stereo ? 2 : 1, sampleBytes = wide ? 2 : 1,
                   f = channels * sampleBytes;
    BitWriter w;
    w.Bits(1u | stereo << 1 | wide << 2, 3);
    for (uint32_t i = 0; i < f; ++i) WriteAudioTree(w, leaves.empty() ? -1 : leaves[i]);
    for (uint32_t i = f; i-- > 0;) w.Bits(pcm[i], 8);
    auto sample = [&](size_t at) { return wide ? pcm[at] | pcm[at + 1] << 8 : uint32_t{pcm[at]}; };
    for (size_t at = f; at < pcm.size(); at += sampleBytes) {
        const uint32_t delta = sample(at) - sample(at - f);
        for (uint32_t b = 0; b < sampleBytes; ++b)
            for (int i = 7; i >= 0; --i) w.Bit(delta >> (8 * b + i) & 1);  // most significant first
    }
    return w.Bytes();
}

inline void Append32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Whole chunks as a frame carries them.
inline std::vector<uint8_t> CompressedChunk(const std::vector<uint8_t>& stream, uint32_t unpacked) {
    std::vector<uint8_t> chunk;
    Append32(chunk, static_cast<uint32_t>((stream.size() + 11) & ~size_t{3}));
    Append32(chunk, unpacked);
    chunk.insert(chunk.end(), stream.begin(), stream.end());
    chunk.resize((chunk.size() + 3) & ~size_t{3});
    return chunk;
}
inline std::vector<uint8_t> PlainChunk(const std::vector<uint8_t>& pcm) {
    std::vector<uint8_t> chunk;
    Append32(chunk, static_cast<uint32_t>(pcm.size() + 4));
    chunk.insert(chunk.end(), pcm.begin(), pcm.end());
    return chunk;
}

inline std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<uint8_t> Ramp(size_t size, uint8_t seed, uint8_t step = 13) {
    std::vector<uint8_t> pcm(size);
    for (size_t i = 0; i < size; ++i) pcm[i] = static_cast<uint8_t>(seed + i * step);
    return pcm;
}

// A sound backend whose played position the test sets, and which records the calls it gets.
struct ScriptedSound {
    static inline uint32_t position = 0, services = 0;
    static inline bool openFails = false, restartFails = false;
    static inline std::vector<std::string> calls;

    static void Reset() {
        position = services = 0;
        openFails = restartFails = false;
        calls.clear();
    }
    static long Count(const char* call) { return std::count(calls.begin(), calls.end(), call); }
    static const SoundBackend& Table() {
        static const SoundBackend table = {
            [](TavikSoundTrack*, uint32_t) { return calls.push_back("open"), !openFails; },
            [](TavikSoundTrack*) { calls.push_back("stop"); },
            [](TavikSoundTrack*) { return calls.push_back("restart"), !restartFails; },
            [](TavikSoundTrack*, int32_t, int32_t) {},
            [](TavikSoundTrack*) { return position; },
            [](TavikSoundTrack*) { calls.push_back("reset"); },
            [](TavikSoundTrack*) { calls.push_back("close"); },
            [] { ++services; }};
        return table;
    }
};

// A movie handle made by hand: its current frame (whatever FrameNum, up to 63) carries the audio
// chunks the test chooses.
struct HandMovie {
    TavikMovie movie{};
    std::vector<uint8_t> frame;
    uint32_t frameSizes[64] = {};

    explicit HandMovie(uint32_t frameTime = 6600) {
        movie.Header.FrameCount = 64;
        movie.FrameTime = frameTime;
        movie.TimingTrack = -1;
        movie.FrameSizes = frameSizes;
    }
    ~HandMovie() { CloseSoundTracks(&movie); }
    HandMovie(const HandMovie&) = delete;
    HandMovie& operator=(const HandMovie&) = delete;

    bool Open(int t, uint32_t format, uint32_t maxSize) {
        movie.Header.AudioFormat[t] = format;
        movie.Header.AudioMaxSize[t] = maxSize;
        return OpenSoundTrack(&movie, t);
    }
    TavikSoundTrack& Track(int t) { return *movie.Tracks[t]; }

    // Makes the current frame the given chunks per track (empty = none), then a small video
    // chunk, and runs the per-frame feed.
    void Feed(const std::vector<std::vector<uint8_t>>& chunks) {
        frame.clear();
        std::vector<size_t> at;
        for (const auto& chunk : chunks) {
            at.push_back(frame.size());
            frame.insert(frame.end(), chunk.begin(), chunk.end());
        }
        frame.resize(frame.size() + 8, 0);
        std::fill(std::begin(frameSizes), std::end(frameSizes),
                  static_cast<uint32_t>(frame.size()));
        movie.FramePtr = frame.data();
        for (size_t t = 0; t < std::size(movie.AudioChunks); ++t)
            movie.AudioChunks[t] =
                t < chunks.size() && !chunks[t].empty() ? &frame[at[t]] : nullptr;
        FeedSoundTracks(&movie);
    }
};

inline constexpr uint32_t kMono8Plain = TAVIK_AUDIO_PRESENT | 22050;
inline constexpr uint32_t kMono8Compressed = TAVIK_AUDIO_COMPRESSED | TAVIK_AUDIO_PRESENT | 22050;

}  // namespace tavik::test
