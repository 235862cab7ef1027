// Helpers for the audio tests: a writer for compressed audio bit streams, a scripted sound
// backend that records what the engine asks of it, and a hand-built movie handle whose current
// frame carries chosen audio chunks.
#pragma once

#include <cassert>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "audio/sound_backend.h"
#include "audio/sound_hooks.h"
#include "audio/sound_track.h"
#include "tavik/movie.h"

namespace tavik::test {

// Least-significant-bit-first writer, the order every stream of a movie is read in.
struct AudioBitWriter {
    std::vector<uint8_t> bytes;
    uint64_t bits = 0;

    void Put(uint32_t value, unsigned count) {
        for (unsigned i = 0; i < count; ++i, ++bits) {
            if (bits / 8 >= bytes.size()) bytes.push_back(0);
            if ((value >> i) & 1) bytes[bits / 8] |= static_cast<uint8_t>(1u << (bits % 8));
        }
    }
};

// A byte tree for the writer: a single leaf (every byte read with it is `leaf`, from no bits), or
// the complete tree over all 256 values (each value costs 8 bits).
struct AudioTree {
    bool singleLeaf = false;
    uint8_t leaf = 0;
};

inline void WriteFullTree(AudioBitWriter& w, unsigned depth, uint32_t prefix) {
    if (depth == 8) {
        w.Put(0, 1);
        w.Put(prefix, 8);
        return;
    }
    w.Put(1, 1);
    WriteFullTree(w, depth + 1, prefix * 2);
    WriteFullTree(w, depth + 1, prefix * 2 + 1);
}

// The tree preceded by its (ignored) leading bit and followed by its closing bit.
inline void WriteAudioTree(AudioBitWriter& w, const AudioTree& tree, uint32_t leadingBit = 1) {
    w.Put(leadingBit, 1);
    if (tree.singleLeaf) {
        w.Put(0, 1);
        w.Put(tree.leaf, 8);
    } else {
        WriteFullTree(w, 0, 0);
    }
    w.Put(0, 1);
}

inline void WriteTreeByte(AudioBitWriter& w, const AudioTree& tree, uint8_t value) {
    if (tree.singleLeaf) {
        assert(value == tree.leaf);
        return;
    }
    for (int i = 7; i >= 0; --i) w.Put((value >> i) & 1, 1);  // the path: most significant first
}

// The bit stream of a compressed chunk that decodes to `pcm` (whole sample frames), with the
// complete tree for every delta byte.
inline std::vector<uint8_t> EncodeAudioStream(bool stereo, bool wide,
                                              const std::vector<uint8_t>& pcm) {
    const uint32_t channels = stereo ? 2 : 1, sampleBytes = wide ? 2 : 1;
    const uint32_t f = channels * sampleBytes;
    assert(pcm.size() % f == 0 && !pcm.empty());
    AudioBitWriter w;
    w.Put(1, 1);
    w.Put(stereo, 1);
    w.Put(wide, 1);
    for (uint32_t i = 0; i < f; ++i) WriteAudioTree(w, AudioTree{});
    for (uint32_t i = f; i-- > 0;) w.Put(pcm[i], 8);
    auto sample = [&](size_t frame, uint32_t c) {
        const size_t at = frame * f + c * sampleBytes;
        return wide ? uint32_t{pcm[at]} | uint32_t{pcm[at + 1]} << 8 : uint32_t{pcm[at]};
    };
    for (size_t frame = 1; frame < pcm.size() / f; ++frame) {
        for (uint32_t c = 0; c < channels; ++c) {
            const uint32_t delta =
                (sample(frame, c) - sample(frame - 1, c)) & (wide ? 0xFFFF : 0xFF);
            WriteTreeByte(w, AudioTree{}, static_cast<uint8_t>(delta));
            if (wide) WriteTreeByte(w, AudioTree{}, static_cast<uint8_t>(delta >> 8));
        }
    }
    return w.bytes;
}

inline void Append32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Whole chunks as a frame carries them.
inline std::vector<uint8_t> CompressedChunk(const std::vector<uint8_t>& stream, uint32_t unpacked) {
    std::vector<uint8_t> chunk;
    Append32(chunk, 0);
    Append32(chunk, unpacked);
    chunk.insert(chunk.end(), stream.begin(), stream.end());
    while (chunk.size() % 4) chunk.push_back(0);
    const uint32_t length = static_cast<uint32_t>(chunk.size());
    std::memcpy(chunk.data(), &length, 4);
    return chunk;
}
inline std::vector<uint8_t> PlainChunk(const std::vector<uint8_t>& pcm) {
    std::vector<uint8_t> chunk;
    Append32(chunk, static_cast<uint32_t>(pcm.size() + 4));
    chunk.insert(chunk.end(), pcm.begin(), pcm.end());
    return chunk;
}

// A sound backend whose played position the test sets, and which records the calls it gets.
struct ScriptedSound {
    static inline uint32_t position = 0;
    static inline bool openFails = false;
    static inline bool restartFails = false;
    static inline uint32_t services = 0;
    static inline std::vector<std::string> calls;

    static void Reset() {
        position = 0;
        openFails = restartFails = false;
        services = 0;
        calls.clear();
    }
    static bool Open(TavikSoundTrack*, uint32_t) {
        calls.push_back("open");
        return !openFails;
    }
    static void Stop(TavikSoundTrack*) { calls.push_back("stop"); }
    static bool Restart(TavikSoundTrack*) {
        calls.push_back("restart");
        return !restartFails;
    }
    static void VolumePan(TavikSoundTrack*, int32_t, int32_t) {}
    static uint32_t Position(TavikSoundTrack*) { return position; }
    static void ResetOutput(TavikSoundTrack*) { calls.push_back("reset"); }
    static void Close(TavikSoundTrack*) { calls.push_back("close"); }
    static void Service() { ++services; }

    static const SoundBackend& Table() {
        static const SoundBackend table = {Open,     Stop,        Restart, VolumePan,
                                           Position, ResetOutput, Close,   Service};
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

    void SetTrack(int t, uint32_t format, uint32_t maxSize) {
        movie.Header.AudioFormat[t] = format;
        movie.Header.AudioMaxSize[t] = maxSize;
    }
    bool Open(int t) { return OpenSoundTrack(&movie, t); }
    TavikSoundTrack& Track(int t) { return *movie.Tracks[t]; }

    // The current frame: the given chunks per track (empty = none), then a small video chunk.
    void SetFrame(const std::vector<std::vector<uint8_t>>& chunks) {
        frame.clear();
        std::vector<size_t> at;
        for (const auto& chunk : chunks) {
            at.push_back(frame.size());
            frame.insert(frame.end(), chunk.begin(), chunk.end());
        }
        frame.resize(frame.size() + 8, 0);
        for (uint32_t& size : frameSizes) size = static_cast<uint32_t>(frame.size());
        movie.FramePtr = frame.data();
        for (auto& chunk : movie.AudioChunks) chunk = nullptr;
        for (size_t t = 0; t < chunks.size(); ++t)
            if (!chunks[t].empty()) movie.AudioChunks[t] = frame.data() + at[t];
    }
    // Sets the frame and runs the per-frame feed.
    void Feed(const std::vector<std::vector<uint8_t>>& chunks) {
        SetFrame(chunks);
        FeedSoundTracks(&movie);
    }
};

inline constexpr uint32_t kMono8Plain = TAVIK_AUDIO_PRESENT | 22050;
inline constexpr uint32_t kMono8Compressed = TAVIK_AUDIO_COMPRESSED | TAVIK_AUDIO_PRESENT | 22050;

}  // namespace tavik::test
