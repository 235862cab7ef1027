// Movies from the encoder played by the engine: pictures in every output layout, palettes and
// wraps.
#include <gtest/gtest.h>

#include "encoder_scene.h"
#include "support/fake_system.h"
#include "tavik/tavik.h"

namespace tavik::enc {
namespace {

using test::SceneMovie;

struct Played {
    std::vector<std::vector<uint8_t>> pictures;  // the destination after each decode
    std::vector<Palette> palettes;
};

// Opens the movie with the engine and decodes the frames in play order into a destination of
// `format` (0 or a 16-bit format) that starts filled with 0xEE.
Played Play(const std::vector<uint8_t>& bytes, size_t frames, uint32_t format = 0) {
    tavik::test::FakeSystem sys;
    sys.AddFile("movie", bytes);
    Played played;
    TavikMovie* m = TavikOpen("movie", TavikPreload, 0);
    EXPECT_NE(m, nullptr);
    if (!m) return played;
    const uint32_t bpp = format ? 2 : 1;
    const uint32_t pitch = m->Header.Width * bpp;
    std::vector<uint8_t> picture(size_t{pitch} * m->Header.Height, 0xEE);
    TavikSetDest(m, 0, 0, static_cast<int32_t>(pitch), m->Header.Height, picture.data(), format);
    EXPECT_NE(m->Dest, nullptr);
    for (size_t i = 0; i < frames; ++i) {
        Palette palette;
        std::copy(m->Palette, m->Palette + 768, palette.begin());
        TavikDecodeFrame(m);
        played.pictures.push_back(picture);
        played.palettes.push_back(palette);
        TavikAdvance(m);
    }
    TavikClose(m);
    return played;
}

Palette PaletteAt(const MovieSpec& plan, size_t frame) {
    Palette palette{};
    for (size_t i = 0; i <= frame; ++i)
        if (plan.frames[i].palette) palette = QuantizePalette(*plan.frames[i].palette);
    return palette;
}

struct Layout {
    bool doubled, interlaced;
    uint32_t format;
};

// What a destination of the layout holds for a picture: interlaced movies leave every other line
// as it was (0xEE).
std::vector<uint8_t> Shown(const std::vector<uint8_t>& pixels, const Palette& palette, uint32_t w,
                           const Layout& layout) {
    std::vector<uint8_t> out;
    for (size_t y = 0; y < pixels.size() / w; ++y) {
        const auto line = pixels.begin() + static_cast<long>(y * w);
        if (layout.format == TAVIK_DEST_565) {
            for (auto p = line; p != line + w; ++p) {
                const uint8_t* c = &palette[3 * *p];
                const unsigned v = (c[0] >> 3) << 11 | (c[1] >> 2) << 5 | c[2] >> 3;
                out.insert(out.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)});
            }
            continue;
        }
        out.insert(out.end(), line, line + w);
        if (layout.doubled) out.insert(out.end(), line, line + w);
        if (layout.interlaced) out.insert(out.end(), w, 0xEE);
    }
    return out;
}

// Every output layout, with every block type or full blocks only, across the wrap to frame 0
// or through the ring frame.
TEST(EncoderRoundTrip, PicturesAndPalettesInEveryLayoutAcrossTheWrap) {
    for (const Layout& layout : {Layout{false, false, 0}, Layout{false, false, TAVIK_DEST_565},
                                 Layout{true, false, 0}, Layout{false, true, 0}}) {
        for (uint32_t width : {64u, 96u, 100u}) {
            for (int variant = 0; variant < 3; ++variant) {
                MovieSpec plan = SceneMovie(width, 48);
                plan.doubled = layout.doubled;
                plan.interlaced = layout.interlaced;
                plan.ringFrame = variant == 2;
                EncodeOptions options;
                options.allowSkip = options.allowSolid = options.allowTwoColour = variant != 1;
                const Played played = Play(EncodeMovie(plan, options), 8, layout.format);
                ASSERT_EQ(played.pictures.size(), 8u);
                for (size_t i = 0; i < 8; ++i) {
                    const size_t source = i < 5 ? i : i - 5;  // the ring frame shows frame 0
                    const Palette palette = PaletteAt(plan, source);
                    EXPECT_EQ(played.palettes[i], palette) << width << " " << variant << " " << i;
                    EXPECT_EQ(played.pictures[i],
                              Shown(plan.frames[source].pixels, palette, width, layout))
                        << layout.format << layout.doubled << layout.interlaced << " " << width
                        << " " << variant << " frame " << i;
                }
            }
        }
    }
}

}  // namespace
}  // namespace tavik::enc
