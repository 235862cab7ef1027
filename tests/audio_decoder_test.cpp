// The audio chunk decoder: the documented bit streams, carries, the ring's end, bad streams, and
// every compressed chunk of the conformance movies against their recorded sound.
#include "audio/audio_decoder.h"

#include <gtest/gtest.h>

#include "audio_test_support.h"

namespace tavik::test {
namespace {

using Bytes = std::vector<uint8_t>;

// A stream with single-leaf trees: every frame after the first adds the same deltas.
Bytes ConstantDeltaStream(bool stereo, bool wide, Bytes leaves, Bytes firstFrame) {
    BitWriter w;
    w.Bits(1u | stereo << 1 | wide << 2, 3);
    for (uint8_t leaf : leaves) WriteAudioTree(w, leaf);
    for (size_t i = firstFrame.size(); i-- > 0;) w.Bits(firstFrame[i], 8);
    return w.Bytes();
}

Bytes Cut(Bytes bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

TEST(AudioDecoder, WritesWhatTheStreamHoldsAndNothingElse) {
    const Bytes pcm16 = Ramp(16, 1, 7), pcm40 = Ramp(40, 0, 37);
    const Bytes stereo16 = EncodeAudioStream(true, true, pcm16);
    const Bytes mono8 = EncodeAudioStream(false, false, pcm40);
    const Bytes constant = ConstantDeltaStream(true, true, {1, 2, 3, 4}, {0x11, 0x22, 0x33, 0x44});
    // The complete tree is 511 entries; the stream ends with the deltas.
    const size_t headBits = 3 + (1 + 511 + 256 * 8 + 1) + 8;
    BitWriter big;  // a tree of more than 512 entries: 600 internal nodes in a row
    big.Bits(0b1001, 4);
    for (int i = 0; i < 600; ++i) big.Bit(1);
    const struct {
        const char* what;
        Bytes stream;
        size_t ringSize, at;
        uint32_t size;
        Bytes out;  // written from `at` on, wrapping at the ring's end
    } cases[] = {
        {"documented mono", {0xA9, 0x00, 0x04, 0x00}, 3, 0, 3, {0x10, 0x15, 0x1A}},
        {"mono needs 22 bits", {0xA9, 0x00, 0x04}, 3, 0, 3, {0x10, 0x15, 0x1A}},
        {"documented stereo",
         {0x2F, 0x40, 0x00, 0xFA, 0xD7, 0x3F, 0x09, 0x1A, 0x80, 0x7F, 0x00, 0x00},
         8,
         0,
         8,
         {0xFF, 0x00, 0x34, 0x12, 0x00, 0x01, 0x33, 0x12}},
        {"one sample frame", constant, 8, 0, 4, {0x11, 0x22, 0x33, 0x44}},
        {"no size", constant, 8, 0, 0, {}},
        {"part of a sample frame", constant, 8, 0, 7, {0x11, 0x22, 0x33, 0x44}},
        {"wraps at the ring end", stereo16, 32, 24, 16, pcm16},
        {"ends at the ring end", stereo16, 32, 16, 16, pcm16},
        {"starts inside a sample frame", stereo16, 10, 7, 8, Cut(pcm16, 8)},
        {"data bit 0", {0x00, 0xFF}, 64, 0, 16, {}},
        {"cut after 10 deltas", Cut(mono8, (headBits + 10 * 8 + 7) / 8), 64, 0, 40, Cut(pcm40, 11)},
        {"cut inside a tree", Cut(mono8, 100), 64, 0, 40, {}},
        {"cut before the first frame", Cut(mono8, 321), 64, 0, 40, {}},
        {"tree too large", big.Bytes(), 64, 0, 40, {}},
    };
    alignas(32) static uint8_t trees[kAudioTreeAreaSize];
    for (const auto& c : cases) {
        Bytes ring(c.ringSize, 0xEE), want(c.ringSize, 0xEE);
        for (size_t i = 0; i < c.out.size(); ++i) want[(c.at + i) % c.ringSize] = c.out[i];
        EXPECT_EQ(DecodeAudio(c.stream.data(), static_cast<uint32_t>(c.stream.size()), c.size,
                              trees, ring.data(), ring.data() + ring.size(), ring.data() + c.at),
                  c.out.size())
            << c.what;
        EXPECT_EQ(ring, want) << c.what;
    }
    // Single-leaf trees: the second sample frame adds the leaves to the first, byte by byte,
    // carrying from a channel's low byte into its high byte only.
    const struct {
        bool stereo, wide;
        Bytes leaves, first, out;
    } carries[] = {
        {false, false, {2}, {0xFF}, {0xFF, 0x01}},
        {false, true, {1, 0}, {0xFF, 0x00}, {0xFF, 0x00, 0x00, 0x01}},
        {false, true, {1, 0}, {0xFF, 0xFF}, {0xFF, 0xFF, 0x00, 0x00}},
        {true, false, {1, 0}, {0xFF, 0x10}, {0xFF, 0x10, 0x00, 0x10}},
        {true, true, {1, 0, 0, 0}, {0xFF, 0xFF, 0, 0}, {0xFF, 0xFF, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : carries) {
        const Bytes stream = ConstantDeltaStream(c.stereo, c.wide, c.leaves, c.first);
        Bytes ring(c.out.size());
        const auto size = static_cast<uint32_t>(ring.size());
        EXPECT_EQ(DecodeAudio(stream.data(), static_cast<uint32_t>(stream.size()), size, trees,
                              ring.data(), ring.data() + size, ring.data()),
                  size);
        EXPECT_EQ(ring, c.out) << c.stereo << c.wide;
    }
    // Ring arguments that do not describe a ring are refused.
    uint8_t bytes[8];
    const Bytes good = {0xA9, 0x00, 0x04, 0x00};
    EXPECT_EQ(DecodeAudio(good.data(), 4, 3, trees, bytes, bytes, bytes), 0u);
    EXPECT_EQ(DecodeAudio(good.data(), 4, 3, trees, bytes, bytes + 8, bytes + 8), 0u);
    EXPECT_EQ(DecodeAudio(good.data(), 4, 3, trees + 1, bytes, bytes + 8, bytes), 0u);
}

// Every compressed and plain chunk of a movie, decoded in frame order, must give exactly the
// recorded sound of each track.
void CheckMovieSound(const std::string& name) {
    SCOPED_TRACE(name);
    const std::string dir = TAVIK_CONFORMANCE_DIR;
    const Bytes file = ReadAll(dir + "/" + name + ".tvk");
    ASSERT_GE(file.size(), 104u);
    auto word = [&](size_t at) {
        return uint32_t{file[at]} | file[at + 1] << 8 | file[at + 2] << 16 |
               uint32_t{file[at + 3]} << 24;
    };
    const uint32_t frameCount = word(12), frameTotal = frameCount + (word(20) & 1);
    Bytes sound[7];
    size_t frameAt = 104 + 5 * size_t{frameTotal} + word(52);
    alignas(32) static uint8_t trees[kAudioTreeAreaSize];
    for (uint32_t i = 0; i < frameCount; frameAt += word(104 + 4 * size_t{i}), ++i) {
        const uint8_t type = file[104 + 4 * size_t{frameTotal} + i];
        size_t at = frameAt + (type & 1 ? 4 * size_t{file[frameAt]} : 0);
        for (int t = 0; t < 7; ++t) {
            if (!(type & (2 << t))) continue;
            const uint32_t length = word(at), size = word(at + 4);
            if (!(word(72 + 4 * size_t(t)) & TAVIK_AUDIO_COMPRESSED)) {
                sound[t].insert(sound[t].end(), file.begin() + at + 4, file.begin() + at + length);
            } else if (size) {
                Bytes ring(size, 0xEE);
                EXPECT_EQ(DecodeAudio(&file[at + 8], length - 8, size, trees, ring.data(),
                                      ring.data() + size, ring.data()),
                          size)
                    << "track " << t << " frame " << i;
                sound[t].insert(sound[t].end(), ring.begin(), ring.end());
            }
            at += length;
        }
    }
    int checked = 0;
    for (int t = 0; t < 7; ++t) {
        const Bytes wav = ReadAll(dir + "/" + name + ".expect/track_" + std::to_string(t) + ".wav");
        if (wav.empty()) continue;
        ++checked;
        ASSERT_GE(wav.size(), 44u);
        EXPECT_EQ(Bytes(wav.begin() + 44, wav.end()), sound[t]) << "track " << t;
    }
    EXPECT_GT(checked, 0);
}

TEST(AudioDecoder, ConformanceMoviesDecodeToTheirRecordedSound) {
    for (const char* name : {"blocks_64x48", "runs_320x200", "ring_100x64", "interlaced_160x60",
                             "tracks7_160x120", "palette_160x120"})
        CheckMovieSound(name);
}

}  // namespace
}  // namespace tavik::test
