// The built-in demo movie: long enough, animated, with sound that matches its duration.
#include <gtest/gtest.h>

#include "encoder/encoder.h"
#include "encoder_reference_reader.h"

namespace tavik::enc {
namespace {

TEST(EncoderDemo, IsATenSecondMovieWithSkipsPaletteChangesAndSound) {
    const MovieSpec plan = MakeDemoMovie();
    EXPECT_GE(plan.width, 320u);
    EXPECT_GE(plan.height, 200u);
    ASSERT_LT(plan.frameRate, 0);
    const uint64_t ticks = uint64_t{plan.frames.size()} * static_cast<uint32_t>(-plan.frameRate);
    EXPECT_GE(ticks, 1000000u);  // ten seconds in 10-microsecond units

    const std::vector<uint8_t> bytes = EncodeMovie(plan);
    EXPECT_EQ(MakeDemoMovie().frames[77].pixels, plan.frames[77].pixels);
    test::RefMovie movie;
    ASSERT_TRUE(movie.Parse(bytes)) << movie.error;
    std::vector<uint32_t> order(plan.frames.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::vector<test::RefPicture> shown;
    ASSERT_TRUE(test::RefPlay(movie, order, shown));

    uint32_t paletteChunks = 0, skipRuns = 0;
    uint64_t sound = 0;
    std::vector<uint8_t> previous;
    for (size_t i = 0; i < plan.frames.size(); ++i) {
        ASSERT_EQ(shown[i].pixels, plan.frames[i].pixels) << i;
        EXPECT_NE(shown[i].pixels, previous) << "frame " << i << " moves";
        previous = shown[i].pixels;
        const test::RefFrame& frame = movie.frames[i];
        paletteChunks += frame.type & 1;
        std::array<uint32_t, 4> types{};
        std::vector<uint8_t> scratch(shown[i].pixels.size());
        test::RefDecodeVideo(frame.video, frame.videoSize, movie.trees, movie.width, movie.height,
                             scratch, &types);
        skipRuns += types[2];
        ASSERT_NE(frame.audio[0], nullptr) << i;
        const uint32_t size = test::RefU32(frame.audio[0] + 4);
        const std::vector<uint8_t> pcm =
            test::RefDecodeAudio(frame.audio[0] + 8, test::RefU32(frame.audio[0]) - 8, size);
        EXPECT_EQ(pcm, *plan.frames[i].audio[0]);
        sound += size;
    }
    EXPECT_GE(paletteChunks, 3u);
    EXPECT_GT(skipRuns, plan.frames.size());
    EXPECT_EQ(movie.audioFormat[0], 22050u | 1u << 30 | 1u << 31);
    // One second of lead plus the movie's duration.
    EXPECT_EQ(sound, 22050 + ticks * 22050 / 100000);
    // Not a constant tone: the first second spans a wide range of levels.
    const std::vector<uint8_t>& lead = *plan.frames[0].audio[0];
    const auto [low, high] = std::minmax_element(lead.begin(), lead.end());
    EXPECT_GT(*high - *low, 80);
}

}  // namespace
}  // namespace tavik::enc
