// Audio chunks from the encoder, read back with the engine's decoder.
#include <gtest/gtest.h>

#include <cmath>

#include "audio/audio_decoder.h"
#include "encoder/audio_chunk.h"
#include "support/movie_chunks.h"

namespace tavik::enc {
namespace {

// A tone with some noise, as PCM of the given format.
std::vector<uint8_t> Tone(const AudioTrackFormat& format, uint32_t frames, uint32_t seed) {
    std::vector<uint8_t> pcm;
    for (uint32_t i = 0; i < frames; ++i) {
        for (int c = 0; c < (format.stereo ? 2 : 1); ++c) {
            seed = seed * 1103515245u + 12345u;
            const double v = std::sin(i * (0.05 + 0.03 * c)) * 0.8 + ((seed >> 16) % 100) / 1000.0;
            const auto s = static_cast<uint16_t>(static_cast<int16_t>(v * 32000));
            if (format.is16Bit) pcm.insert(pcm.end(), {static_cast<uint8_t>(s), uint8_t(s >> 8)});
            if (!format.is16Bit) pcm.push_back(static_cast<uint8_t>(128 + v * 120));
        }
    }
    return pcm;
}

// The PCM of a compressed chunk: its length, its sound's length, then the packed sound.
std::vector<uint8_t> Sound(const std::vector<uint8_t>& chunk) {
    const auto u32 = [&](size_t at) { return tavik::test::MovieChunks::U32(chunk.data() + at); };
    std::vector<uint8_t> trees(kAudioTreeAreaSize), pcm(u32(4));
    pcm.resize(DecodeAudio(chunk.data() + 8, u32(0) - 8, static_cast<uint32_t>(pcm.size()),
                           trees.data(), pcm.data(), pcm.data() + pcm.size(), pcm.data()));
    return pcm;
}

TEST(EncoderAudio, KnownChunks) {
    struct Case {
        AudioTrackFormat format;
        std::vector<uint8_t> pcm, chunk;
    };
    const Case cases[] = {
        {{22050, false, false, true}, {0x10, 0x15, 0x1A}, {12, 0, 0, 0, 3, 0, 0, 0, 0xA9, 0, 4, 0}},
        {{22050, true, true, true},
         {0xFF, 0x00, 0x34, 0x12, 0x00, 0x01, 0x33, 0x12},
         {20,   0,    0,    0,    8,    0,    0,    0,    0x2F, 0x40,
          0x00, 0xFA, 0xD7, 0x3F, 0x09, 0x1A, 0x80, 0x7F, 0,    0}},
        {{8000, true, true, true}, {}, {12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {{8000, false, false, false}, {1, 2, 3, 4, 5}, {9, 0, 0, 0, 1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) EXPECT_EQ(EncodeAudioChunk(c.pcm, c.format), c.chunk);
}

TEST(EncoderAudio, EveryFormatRoundTrips) {
    for (int kind = 0; kind < 4; ++kind) {
        const AudioTrackFormat format{44100, kind % 2 == 1, kind / 2 == 1, true};
        for (uint32_t frames : {1u, 2u, 777u, 3000u}) {
            const std::vector<uint8_t> pcm = Tone(format, frames, frames);
            const std::vector<uint8_t> chunk = EncodeAudioChunk(pcm, format);
            ASSERT_EQ(chunk.size() % 4, 0u);
            ASSERT_EQ(tavik::test::MovieChunks::U32(chunk.data()), chunk.size());
            EXPECT_EQ(Sound(chunk), pcm) << kind << " " << frames;
            EXPECT_TRUE(frames < 3000 || chunk.size() < pcm.size());
        }
    }
}

}  // namespace
}  // namespace tavik::enc
