// The audio chunk decoder: the documented bit streams, carries, the ring's end, bad streams, and
// every compressed chunk of the conformance movies against their recorded sound.
#include "audio/audio_decoder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "audio_test_support.h"

namespace tavik::test {
namespace {

struct Ring {
    alignas(32) uint8_t trees[kAudioTreeAreaSize];
    std::vector<uint8_t> bytes;
    explicit Ring(size_t size, uint8_t fill = 0xEE) : bytes(size, fill) {}
    uint8_t* start() { return bytes.data(); }
    uint8_t* end() { return bytes.data() + bytes.size(); }
    uint32_t Decode(const std::vector<uint8_t>& stream, uint32_t size, size_t at = 0) {
        return DecodeAudio(stream.data(), static_cast<uint32_t>(stream.size()), size, trees,
                           start(), end(), start() + at);
    }
};

std::vector<uint8_t> Bytes(std::initializer_list<uint8_t> list) {
    return list;
}

// A stream with single-leaf trees: every frame after the first adds the same deltas.
std::vector<uint8_t> ConstantDeltaStream(bool stereo, bool wide, std::vector<uint8_t> leaves,
                                         std::vector<uint8_t> firstFrame) {
    AudioBitWriter w;
    w.Put(1, 1);
    w.Put(stereo, 1);
    w.Put(wide, 1);
    for (uint8_t leaf : leaves) WriteAudioTree(w, AudioTree{true, leaf});
    for (size_t i = firstFrame.size(); i-- > 0;) w.Put(firstFrame[i], 8);
    return w.bytes;
}

TEST(AudioDecoder, DocumentedStreams) {
    Ring mono(3);
    EXPECT_EQ(mono.Decode(Bytes({0xA9, 0x00, 0x04, 0x00}), 3), 3u);
    EXPECT_EQ(mono.bytes, Bytes({0x10, 0x15, 0x1A}));
    // The mono stream needs 22 bits: three bytes are enough.
    Ring shortened(3);
    EXPECT_EQ(shortened.Decode(Bytes({0xA9, 0x00, 0x04}), 3), 3u);

    Ring stereo(8);
    EXPECT_EQ(
        stereo.Decode(
            Bytes({0x2F, 0x40, 0x00, 0xFA, 0xD7, 0x3F, 0x09, 0x1A, 0x80, 0x7F, 0x00, 0x00}), 8),
        8u);
    EXPECT_EQ(stereo.bytes, Bytes({0xFF, 0x00, 0x34, 0x12, 0x00, 0x01, 0x33, 0x12}));
}

TEST(AudioDecoder, CarriesStayInsideTheirChannel) {
    Ring mono8(2);
    mono8.Decode(ConstantDeltaStream(false, false, {0x02}, {0xFF}), 2);
    EXPECT_EQ(mono8.bytes, Bytes({0xFF, 0x01}));

    Ring mono16(4);  // 0x00FF + 0x0001 = 0x0100: the low byte's carry reaches the high byte
    mono16.Decode(ConstantDeltaStream(false, true, {0x01, 0x00}, {0xFF, 0x00}), 4);
    EXPECT_EQ(mono16.bytes, Bytes({0xFF, 0x00, 0x00, 0x01}));

    Ring mono16top(4);  // 0xFFFF + 0x0001 = 0x0000: the high byte's carry is lost
    mono16top.Decode(ConstantDeltaStream(false, true, {0x01, 0x00}, {0xFF, 0xFF}), 4);
    EXPECT_EQ(mono16top.bytes, Bytes({0xFF, 0xFF, 0x00, 0x00}));

    Ring stereo8(4);  // left 0xFF + 1 wraps to 0; right 0x10 + 0 unchanged
    stereo8.Decode(ConstantDeltaStream(true, false, {0x01, 0x00}, {0xFF, 0x10}), 4);
    EXPECT_EQ(stereo8.bytes, Bytes({0xFF, 0x10, 0x00, 0x10}));

    Ring stereo16(8);  // left 0xFFFF + 1 must not carry into the right channel's 0x0000
    stereo16.Decode(
        ConstantDeltaStream(true, true, {0x01, 0x00, 0x00, 0x00}, {0xFF, 0xFF, 0x00, 0x00}), 8);
    EXPECT_EQ(stereo16.bytes, Bytes({0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
}

TEST(AudioDecoder, OneSampleFrameAndNoSize) {
    const auto stream = ConstantDeltaStream(true, true, {1, 2, 3, 4}, {0x11, 0x22, 0x33, 0x44});
    Ring one(8);
    EXPECT_EQ(one.Decode(stream, 4), 4u);
    EXPECT_EQ(one.bytes, Bytes({0x11, 0x22, 0x33, 0x44, 0xEE, 0xEE, 0xEE, 0xEE}));
    Ring none(8);
    EXPECT_EQ(none.Decode(stream, 0), 0u);
    EXPECT_EQ(none.bytes, std::vector<uint8_t>(8, 0xEE));
    // A size that is not a whole number of sample frames writes the whole frames it holds.
    Ring partial(8);
    EXPECT_EQ(partial.Decode(stream, 7), 4u);
    EXPECT_EQ(partial.bytes[4], 0xEE);
}

TEST(AudioDecoder, WrapsAtTheRingEnd) {
    std::vector<uint8_t> pcm;
    for (uint8_t i = 0; i < 16; ++i) pcm.push_back(static_cast<uint8_t>(i * 7 + 1));
    const auto stream = EncodeAudioStream(true, true, pcm);

    Ring wrap(32);  // starts 8 bytes before the end: 8 bytes there, 8 at the start
    EXPECT_EQ(wrap.Decode(stream, 16, 24), 16u);
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.begin() + 8, wrap.bytes.begin() + 24));
    EXPECT_TRUE(std::equal(pcm.begin() + 8, pcm.end(), wrap.bytes.begin()));
    EXPECT_EQ(wrap.bytes[8], 0xEE);

    Ring exact(32);  // ends exactly at the ring's end: nothing at the start
    EXPECT_EQ(exact.Decode(stream, 16, 16), 16u);
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), exact.bytes.begin() + 16));
    EXPECT_EQ(exact.bytes[0], 0xEE);

    // A write position inside a sample frame (a chunk whose format is not its track's) still
    // stays inside the ring, splitting the frame at the end.
    Ring odd(10);
    EXPECT_EQ(odd.Decode(stream, 8, 7), 8u);
    EXPECT_EQ(Bytes({odd.bytes[7], odd.bytes[8], odd.bytes[9], odd.bytes[0]}),
              Bytes({pcm[0], pcm[1], pcm[2], pcm[3]}));
}

TEST(AudioDecoder, BadStreamsWriteOnlyWhatTheyHold) {
    Ring ring(64);
    // Data bit 0: nothing is written, whatever size is announced.
    EXPECT_EQ(ring.Decode(Bytes({0x00, 0xFF}), 16), 0u);
    EXPECT_EQ(ring.bytes, std::vector<uint8_t>(64, 0xEE));

    std::vector<uint8_t> pcm(40);
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<uint8_t>(i * 37);
    auto stream = EncodeAudioStream(false, false, pcm);
    // The complete tree is 511 entries; the stream ends with the deltas. Cut it after 10 deltas:
    // the frames it cannot finish are not written.
    const size_t headBits = 3 + (1 + 511 + 256 * 8 + 1) + 8;
    stream.resize((headBits + 10 * 8 + 7) / 8);
    EXPECT_EQ(ring.Decode(stream, 40), 11u);
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.begin() + 11, ring.bytes.begin()));
    EXPECT_EQ(ring.bytes[11], 0xEE);

    // Cut inside a tree, or before the first frame is complete: nothing.
    Ring cut(64);
    EXPECT_EQ(cut.Decode(std::vector<uint8_t>(stream.begin(), stream.begin() + 100), 40), 0u);
    EXPECT_EQ(cut.Decode(std::vector<uint8_t>(stream.begin(), stream.begin() + 321), 40), 0u);
    EXPECT_EQ(cut.bytes, std::vector<uint8_t>(64, 0xEE));

    // A tree of more than 512 entries (here: 600 internal nodes in a row) is refused.
    AudioBitWriter big;
    big.Put(0b001, 3);  // data, mono, 8-bit; then the tree's leading bit
    big.Put(1, 1);
    for (int i = 0; i < 600; ++i) big.Put(1, 1);
    EXPECT_EQ(cut.Decode(big.bytes, 40), 0u);

    // Ring arguments that do not describe a ring are refused.
    alignas(4) uint8_t trees[kAudioTreeAreaSize];
    uint8_t bytes[8];
    const auto good = Bytes({0xA9, 0x00, 0x04, 0x00});
    EXPECT_EQ(DecodeAudio(good.data(), 4, 3, trees, bytes, bytes, bytes), 0u);
    EXPECT_EQ(DecodeAudio(good.data(), 4, 3, trees, bytes, bytes + 8, bytes + 8), 0u);
    EXPECT_EQ(DecodeAudio(good.data(), 4, 3, trees + 1, bytes, bytes + 8, bytes), 0u);
}

// Every compressed and plain chunk of the conformance movies, decoded in frame order, must give
// exactly the recorded sound of each track.
std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Word(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
           uint32_t{b[at + 3]} << 24;
}

void CheckMovieSound(const std::string& name) {
    SCOPED_TRACE(name);
    const std::string dir = TAVIK_CONFORMANCE_DIR;
    const auto file = ReadAll(dir + "/" + name + ".tvk");
    ASSERT_GE(file.size(), 104u);
    const uint32_t frameCount = Word(file, 12), flags = Word(file, 20);
    const uint32_t frameTotal = frameCount + (flags & 1);
    const uint32_t treeBlock = Word(file, 52);
    std::vector<uint8_t> sound[7];
    size_t frameAt = 104 + 5 * size_t{frameTotal} + treeBlock;
    alignas(32) static uint8_t trees[kAudioTreeAreaSize];
    for (uint32_t i = 0; i < frameCount; ++i) {
        const uint32_t frameSize = Word(file, 104 + 4 * size_t{i});
        const uint8_t type = file[104 + 4 * size_t{frameTotal} + i];
        size_t at = frameAt;
        if (type & 1) at += 4 * size_t{file[at]};
        for (int t = 0; t < 7; ++t) {
            if (!(type & (2 << t))) continue;
            const uint32_t length = Word(file, at);
            const uint32_t format = Word(file, 72 + 4 * size_t(t));
            if (format & TAVIK_AUDIO_COMPRESSED) {
                const uint32_t size = Word(file, at + 4);
                if (size) {
                    std::vector<uint8_t> ring(size, 0xEE);
                    EXPECT_EQ(DecodeAudio(file.data() + at + 8, length - 8, size, trees,
                                          ring.data(), ring.data() + size, ring.data()),
                              size)
                        << "track " << t << " frame " << i;
                    sound[t].insert(sound[t].end(), ring.begin(), ring.end());
                }
            } else {
                sound[t].insert(sound[t].end(), file.begin() + at + 4, file.begin() + at + length);
            }
            at += length;
        }
        frameAt += frameSize;
    }
    int checked = 0;
    for (int t = 0; t < 7; ++t) {
        const auto wav = ReadAll(dir + "/" + name + ".expect/track_" + std::to_string(t) + ".wav");
        if (wav.empty()) continue;
        ++checked;
        ASSERT_GE(wav.size(), 44u);
        EXPECT_EQ(std::vector<uint8_t>(wav.begin() + 44, wav.end()), sound[t]) << "track " << t;
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
