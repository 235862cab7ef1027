// The audio chunk decoder: the documented bit streams, carries, the ring's end, bad streams, and
// every compressed chunk of the conformance movies against their recorded sound.
#include "audio/audio_decoder.h"

#include <gtest/gtest.h>

#include "audio_test_support.h"
#include "support/raw_movie.h"
#include "tavik/decoder.h"

namespace tavik::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Cut(Bytes bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

TEST(AudioDecoder, WritesWhatTheStreamHoldsAndNothingElse) {
    auto single = [](bool stereo, bool wide, Bytes leaves, Bytes first) {
        return EncodeAudioStream(stereo, wide, first, leaves);
    };
    const Bytes pcm16 = Ramp(16, 1, 7), pcm40 = Ramp(40, 0, 37);
    const Bytes stereo16 = EncodeAudioStream(true, true, pcm16);
    const Bytes mono8 = EncodeAudioStream(false, false, pcm40);
    const Bytes constant = single(true, true, {1, 2, 3, 4}, {0x11, 0x22, 0x33, 0x44});
    const Bytes stereo = {0x2F, 0x40, 0x00, 0xFA, 0xD7, 0x3F, 0x09, 0x1A, 0x80, 0x7F, 0x00, 0x00};
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
        {"documented stereo", stereo, 8, 0, 8, {0xFF, 0x00, 0x34, 0x12, 0x00, 0x01, 0x33, 0x12}},
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
        // Single-leaf trees: the second sample frame adds the leaves to the first, byte by
        // byte, carrying from a channel's low byte into its high byte only.
        {"8-bit carry", single(0, 0, {2}, {0xFF}), 2, 0, 2, {0xFF, 0x01}},
        {"16-bit carry", single(0, 1, {1, 0}, {0xFF, 0x00}), 4, 0, 4, {0xFF, 0, 0, 0x01}},
        {"16-bit wrap", single(0, 1, {1, 0}, {0xFF, 0xFF}), 4, 0, 4, {0xFF, 0xFF, 0, 0}},
        {"channels apart", single(1, 0, {1, 0}, {0xFF, 0x10}), 4, 0, 4, {0xFF, 0x10, 0, 0x10}},
        {"stereo 16-bit", single(1, 1, {1, 0, 0, 0}, {0xFF, 0xFF, 0, 0}), 8, 0, 8,
         Cut({0xFF, 0xFF}, 8)},
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
    // Ring arguments that do not describe a ring are refused.
    uint8_t bytes[8];
    const Bytes good = {0xA9, 0x00, 0x04, 0x00};
    EXPECT_EQ(DecodeAudio(good.data(), 4, 3, trees, bytes, bytes, bytes), 0u);
    EXPECT_EQ(DecodeAudio(good.data(), 4, 3, trees, bytes, bytes + 8, bytes + 8), 0u);
    EXPECT_EQ(DecodeAudio(good.data(), 4, 3, trees + 1, bytes, bytes + 8, bytes), 0u);
}

// Every compressed and plain chunk of a movie (found by the engine), decoded in frame order, must
// give exactly the recorded sound of each track.
void CheckMovieSound(const std::string& name) {
    SCOPED_TRACE(name);
    const std::string path = std::string(TAVIK_CONFORMANCE_DIR) + "/" + name;
    TavikMovie* m = TavikOpen((path + ".tvk").c_str(), TavikPreload, TAVIK_CHOOSE_RING_SIZE);
    ASSERT_NE(m, nullptr);
    auto word = [](const uint8_t* p) {
        return uint32_t{p[0]} | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24;
    };
    Bytes sound[7];
    alignas(32) static uint8_t trees[kAudioTreeAreaSize];
    for (uint32_t i = 0; i < m->Header.FrameCount; ++i, TavikAdvance(m)) {
        for (int t = 0; t < 7; ++t) {
            const uint8_t* at = m->AudioChunks[t];
            if (!at) continue;
            const uint32_t length = word(at), size = word(at + 4);
            if (!(m->Header.AudioFormat[t] & TAVIK_AUDIO_COMPRESSED)) {
                sound[t].insert(sound[t].end(), at + 4, at + length);
            } else if (size) {
                Bytes ring(size, 0xEE);
                EXPECT_EQ(DecodeAudio(at + 8, length - 8, size, trees, ring.data(),
                                      ring.data() + size, ring.data()),
                          size)
                    << "track " << t << " frame " << i;
                sound[t].insert(sound[t].end(), ring.begin(), ring.end());
            }
        }
    }
    TavikClose(m);
    int checked = 0;
    for (int t = 0; t < 7; ++t) {
        const Bytes wav = ReadAll(path + ".expect/track_" + std::to_string(t) + ".wav");
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

// The embedding decoder hands out announced sound that the stream does not deliver as silence.
TEST(AudioDecoder, TheEmbeddingDecodersMissingSoundIsSilence) {
    RawMovie raw;
    raw.audioFormat[0] = kMono8Compressed;
    raw.frames = {RawFrame{32, {}, {CompressedChunk({0x00}, 16)}}};  // data bit 0
    const Bytes file = raw.Build();
    TavikDecoder* d = nullptr;
    ASSERT_EQ(TavikDecoderOpenMemory(file.data(), file.size(), &d), TavikOk);
    TavikFrame frame{};
    EXPECT_EQ(TavikDecoderNext(d, &frame), TavikOk);
    EXPECT_EQ(Bytes(frame.Sound[0], frame.Sound[0] + frame.SoundBytes[0]), Bytes(16, 0x80));
    TavikDecoderClose(d);
}

}  // namespace
}  // namespace tavik::test
