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
    std::vector<test::RefPicture> shown;
    ASSERT_TRUE(test::RefPlay(movie, shown));

    uint32_t paletteChunks = 0, skipRuns = 0;
    uint64_t sound = 0;
    for (size_t i = 0; i < plan.frames.size(); ++i) {
        ASSERT_EQ(shown[i].pixels, plan.frames[i].pixels) << i;
        EXPECT_TRUE(i == 0 || shown[i].pixels != shown[i - 1].pixels) << "frame " << i << " moves";
        paletteChunks += movie.frames[i].type & 1;
        skipRuns += test::RefTypeWords(movie, i)[2];
        const uint8_t* chunk = movie.frames[i].audio[0];
        ASSERT_NE(chunk, nullptr) << i;
        EXPECT_EQ(test::RefSound(chunk), *plan.frames[i].audio[0]);
        sound += test::RefU32(chunk + 4);
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
