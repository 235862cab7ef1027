// Authoring from truecolour: palettes and their modes, lossy block choice against quality,
// stillness, and the data-rate cap. Every movie is read back by the engine.
#include <gtest/gtest.h>

#include <algorithm>

#include "encoder/authoring.h"
#include "encoder/colour.h"
#include "encoder/palette_plan.h"
#include "encoder/rate_control.h"
#include "support/decoded_movie.h"
#include "support/synthetic_video.h"

namespace tavik::enc {
namespace {

using test::RgbPicture;

constexpr int32_t k15Fps = -6666;

struct Authored {
    bool ok = false;
    std::string error;
    std::vector<uint8_t> movie;
    AuthorReport report;
    test::DecodedMovie decoded;
};

Authored Author(const std::vector<RgbPicture>& clip, const AuthorOptions& options,
                const std::vector<uint8_t>& speech = {}) {
    MovieSpec plan;
    plan.width = clip[0].width;
    plan.height = clip[0].height;
    plan.frameRate = k15Fps;
    plan.frames.resize(clip.size());
    std::vector<SourceFrame> sources(clip.size());
    for (size_t i = 0; i < clip.size(); ++i) sources[i].rgb = clip[i].rgb;
    if (!speech.empty()) {  // 22050 Hz: a second ahead in frame 0, then 1470 samples a frame
        plan.tracks[0] = AudioTrackFormat{22050, false, false, true};
        for (size_t i = 0; i < clip.size(); ++i) {
            const size_t begin = i == 0 ? 0 : 22050 + i * 1470, end = 22050 + (i + 1) * 1470;
            plan.frames[i].audio[0] = std::vector<uint8_t>(
                speech.begin() + begin, speech.begin() + std::min(end, speech.size()));
        }
    }
    Authored out;
    out.ok = AuthorMovie(plan, sources, options, out.movie, out.report, out.error);
    EXPECT_EQ(out.ok, !out.movie.empty());
    if (out.ok) out.decoded = test::DecodeMovie(out.movie);
    EXPECT_EQ(out.decoded.frames.size(), out.ok ? clip.size() : 0u);
    return out;
}

// PSNR over the whole clip (the mean squared error of all its pixels).
double ClipPsnr(const Authored& a, const std::vector<RgbPicture>& clip) {
    std::vector<uint8_t> all, want;
    for (size_t i = 0; i < clip.size() && i < a.decoded.frames.size(); ++i) {
        all.insert(all.end(), a.decoded.frames[i].rgb.begin(), a.decoded.frames[i].rgb.end());
        want.insert(want.end(), clip[i].rgb.begin(), clip[i].rgb.end());
    }
    return test::Psnr(all, want);
}

TEST(EncoderAuthoring, PaletteModes) {
    // Two scenes of four frames each, the second with other colours, and a fade.
    std::vector<RgbPicture> clip = test::MakePan(96, 64, 4, 2, 7);
    for (const RgbPicture& p : test::MakePan(96, 64, 4, 2, 8)) clip.push_back(p);
    const std::vector<RgbPicture> fade = test::MakeFade(clip[0], 6);
    clip.insert(clip.end(), fade.begin(), fade.end());
    struct Case {
        std::optional<PaletteMode> mode;
        size_t fewest, most;  // palette changes after frame 0
    };
    for (const Case& c : {Case{PaletteMode::kGlobal, 0, 0}, Case{std::nullopt, 2, 8},
                          Case{PaletteMode::kFrames, 8, 13}}) {
        AuthorOptions options;
        options.paletteMode = c.mode;
        const Authored a = Author(clip, options);
        ASSERT_TRUE(a.ok) << a.error;
        const auto changes = static_cast<size_t>(
            std::count_if(a.decoded.frames.begin() + 1, a.decoded.frames.end(),
                          [](const test::DecodedFrame& f) { return f.paletteChanged; }));
        EXPECT_GE(changes, c.fewest);
        EXPECT_LE(changes, c.most);
        EXPECT_TRUE(a.decoded.frames[4].paletteChanged || !c.mode || c.fewest == 0);
        EXPECT_GT(ClipPsnr(a, clip), 27) << changes;
        for (const test::DecodedFrame& f : a.decoded.frames) {
            Palette p;
            std::copy(f.palette.begin(), f.palette.end(), p.begin());
            EXPECT_TRUE(PaletteFitsFormat(p));
        }
    }
}

TEST(EncoderAuthoring, ColoursThatStayKeepTheirEntries) {
    Palette previous{}, given{};
    for (int i = 0; i < 256; ++i) previous[3 * i] = static_cast<uint8_t>(i);
    given[3 * 5 + 1] = 200;
    std::array<bool, 256> fixed{};
    fixed[5] = true;
    const std::vector<Rgb> colours = {{40, 0, 0}, {7, 0, 0}, {255, 255, 255}, {12, 0, 4}};
    const Palette placed = PlaceColours(previous, colours, given, fixed, 20);
    EXPECT_EQ(EntryOf(placed, 40), (Rgb{40, 0, 0}));
    EXPECT_EQ(EntryOf(placed, 7), (Rgb{7, 0, 0}));
    EXPECT_EQ(EntryOf(placed, 5), (Rgb{0, 200, 0}));      // fixed
    EXPECT_EQ(EntryOf(placed, 12), (Rgb{12, 0, 0}));      // snapped to the old colour
    EXPECT_EQ(EntryOf(placed, 0), (Rgb{255, 255, 255}));  // the first free entry
    EXPECT_EQ(EntryOf(placed, 1), (Rgb{1, 0, 0}));        // untouched
}

TEST(EncoderAuthoring, QualityTradesSizeForError) {
    const std::vector<RgbPicture> clip = test::MakePan(160, 96, 8, 3);
    double lastPsnr = 100;
    size_t lastSize = SIZE_MAX;
    for (int quality : {100, 80, 50, 20, 1}) {
        AuthorOptions options;
        options.quality = quality;
        const Authored a = Author(clip, options);
        ASSERT_TRUE(a.ok) << a.error;
        const double psnr = ClipPsnr(a, clip);
        EXPECT_LE(psnr, lastPsnr + 0.05) << quality;
        EXPECT_LT(a.movie.size(), lastSize) << quality;
        EXPECT_GT(psnr, quality >= 50 ? 31 : 26) << quality;
        lastPsnr = psnr;
        lastSize = a.movie.size();
    }
    // The default quality of a still photograph.
    const std::vector<RgbPicture> still(3, test::MakePhoto(160, 96, 5));
    const Authored a = Author(still, {});
    ASSERT_TRUE(a.ok) << a.error;
    EXPECT_GE(ClipPsnr(a, still), 34);
}

TEST(EncoderAuthoring, LosslessKeepsThePalettisedPicture) {
    // Few colours: the palette holds them all, so quality 100 shows the source exactly.
    RgbPicture picture{64, 32, std::vector<uint8_t>(64 * 32 * 3, 101)};
    for (uint32_t i = 0; i < 64 * 32; ++i) {
        picture.rgb[3 * i] = NearestComponent(static_cast<uint8_t>(i % 64 / 8 * 36));
        picture.rgb[3 * i + 1] = NearestComponent(static_cast<uint8_t>(i / 512 * 60 + i % 3));
    }
    AuthorOptions options;
    options.quality = 100;
    const Authored a = Author({picture, picture}, options);
    ASSERT_TRUE(a.ok) << a.error;
    EXPECT_EQ(a.decoded.frames[0].rgb, picture.rgb);
    EXPECT_EQ(a.decoded.frames[1].rgb, picture.rgb);
}

TEST(EncoderAuthoring, StillBackgroundsStayStill) {
    const std::vector<RgbPicture> clip = test::MakeStillWithObject(160, 96, 12);
    for (Dither dither : {Dither::kNone, Dither::kOrdered}) {
        AuthorOptions options;
        options.dither = dither;
        const Authored a = Author(clip, options);
        ASSERT_TRUE(a.ok) << a.error;
        const std::vector<uint32_t> sizes = FrameSizesOf(a.movie);
        uint64_t rest = 0;
        for (size_t i = 1; i < sizes.size(); ++i) rest += sizes[i];
        EXPECT_LT(static_cast<double>(rest) / (sizes.size() - 1), 0.06 * sizes[0]);
        // The top rows, far from the ball, never change.
        for (const test::DecodedFrame& f : a.decoded.frames)
            EXPECT_TRUE(std::equal(f.indices.begin(), f.indices.begin() + 160 * 24,
                                   a.decoded.frames[0].indices.begin()));
    }
}

TEST(EncoderAuthoring, FixedEntriesStayAsGiven) {
    Palette given{};
    for (int i = 0; i < 256; ++i) SetEntry(given, i, {static_cast<uint8_t>(i), 4, 252});
    std::array<bool, 256> fixed{};
    for (int i : {0, 1, 2, 3, 250, 255}) fixed[i] = true;
    const std::vector<RgbPicture> clip = test::MakePan(64, 32, 3, 4);
    for (bool someFixed : {true, false}) {
        AuthorOptions options;
        options.givenPalette = given;
        if (someFixed) options.fixedEntries = fixed;
        const Authored a = Author(clip, options);
        ASSERT_TRUE(a.ok) << a.error;
        for (const test::DecodedFrame& f : a.decoded.frames)
            for (int i = 0; i < 256; ++i)
                if (fixed[i] || !someFixed) {
                    EXPECT_EQ(EntryOf(QuantizePalette(given), i),
                              (Rgb{f.palette[3 * i], f.palette[3 * i + 1], f.palette[3 * i + 2]}));
                }
        if (someFixed) {
            EXPECT_GT(ClipPsnr(a, clip), 28);
        }
    }
}

TEST(EncoderAuthoring, RateWindowsCountEverySecondFromFrameOne) {
    struct Case {
        std::vector<uint32_t> sizes;
        uint32_t fps;
        uint64_t highest;
        size_t windows;
    };
    const Case cases[] = {
        {{50, 1, 2, 3, 40}, 2, 50, 4},  // frame 0 alone, then 1-2, 2-3, 3-4 (the last)
        {{5, 1, 2, 3, 40}, 2, 43, 4},
        {{5, 9, 9}, 3, 23, 2},  // shorter than a second: the whole movie
        {{7}, 15, 7, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HighestRate(c.sizes, c.fps), c.highest);
        EXPECT_EQ(RateWindows(c.sizes, c.fps).size(), c.windows);
    }
    for (auto [rate, fps] : {std::pair{-6666, 15u}, {66, 15u}, {0, 100000u}, {5000, 1u}})
        EXPECT_EQ(FramesPerSecond(rate), fps) << rate;
}

TEST(EncoderAuthoring, TheRateCapHoldsWithSound) {
    const std::vector<RgbPicture> clip = test::MakePan(160, 96, 40, 3);
    const std::vector<uint8_t> speech = test::MakeSpeech(22050, 5);
    const Authored uncapped = Author(clip, {}, speech);
    ASSERT_TRUE(uncapped.ok) << uncapped.error;
    const uint64_t highest = HighestRate(FrameSizesOf(uncapped.movie), 15);
    AuthorOptions capped;
    capped.maxRate = highest * 6 / 10;
    const Authored a = Author(clip, capped, speech);
    ASSERT_TRUE(a.ok) << a.error;
    EXPECT_LE(HighestRate(FrameSizesOf(a.movie), 15), capped.maxRate);
    EXPECT_FALSE(a.report.squeezed.empty());
    EXPECT_NE(a.report.squeezed[0].find("quality 80 -> "), std::string::npos);
    // The sound is kept exactly.
    for (size_t i = 1; i < clip.size(); ++i)
        EXPECT_EQ(a.decoded.frames[i].sound[0], uncapped.decoded.frames[i].sound[0]);
    AuthorOptions impossible;
    impossible.maxRate = 3000;  // less than the sound alone
    const Authored fails = Author(clip, impossible, speech);
    EXPECT_FALSE(fails.ok);
    EXPECT_NE(fails.error.find("cannot keep to 3000 bytes per second"), std::string::npos);
}

}  // namespace
}  // namespace tavik::enc
