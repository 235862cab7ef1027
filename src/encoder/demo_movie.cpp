// The built-in demo movie: a static sky, ground and title that become skip blocks, a rainbow band
// animated through the palette, a bouncing ball and a striped square that move, a frame counter
// and a scrolling message, with a tune on track 0.
#include <algorithm>
#include <cstdio>
#include <string>

#include "encoder/demo_font.h"
#include "encoder/demo_music.h"
#include "encoder/encoder.h"

namespace tavik::enc {

namespace {

constexpr uint32_t kWidth = 320, kHeight = 200, kFrames = 160;  // 10.7 seconds
constexpr int32_t kFrameTicks = 6666;               // 10-microsecond units: 15 frames per second
constexpr uint32_t kLeadSamples = kDemoSampleRate;  // frame 0 carries a second of sound ahead

constexpr uint32_t kSkyTop = 0, kSkyColours = 48, kGroundColour = 48, kRainbow = 64;
constexpr uint32_t kRainbowColours = 64;
constexpr uint8_t kBall = 128, kBallShine = 129, kStripeA = 130, kStripeB = 131;
constexpr uint8_t kShadow = 251, kTitle = 250, kGrey = 254, kWhite = 255;
constexpr uint32_t kBandTop = 124, kGroundTop = 140;

struct Canvas {
    std::vector<uint8_t> pixels = std::vector<uint8_t>(kWidth * kHeight, 0);

    void Set(int x, int y, uint8_t colour) {
        if (x >= 0 && y >= 0 && x < static_cast<int>(kWidth) && y < static_cast<int>(kHeight))
            pixels[static_cast<size_t>(y) * kWidth + x] = colour;
    }
    void FillCircle(int cx, int cy, int r, uint8_t colour) {
        for (int y = -r; y <= r; ++y)
            for (int x = -r; x <= r; ++x)
                if (x * x + y * y <= r * r) Set(cx + x, cy + y, colour);
    }
    void Text(int x, int y, int scale, uint8_t colour, const std::string& text) {
        for (char c : text) {
            const uint8_t* rows = Glyph(c);
            for (int gy = 0; gy < kGlyphHeight * scale; ++gy)
                for (int gx = 0; gx < kGlyphWidth * scale; ++gx)
                    if (rows[gy / scale] >> (kGlyphWidth - 1 - gx / scale) & 1)
                        Set(x + gx, y + gy, colour);
            x += (kGlyphWidth + 1) * scale;
        }
    }
    void ShadowText(int x, int y, int scale, uint8_t colour, const std::string& text) {
        Text(x + scale, y + scale, scale, kShadow, text);
        Text(x, y, scale, colour, text);
    }
};

// Goes 0..range and back as `value` grows.
int Bounce(int value, int range) {
    const int p = value % (2 * range);
    return p < range ? p : 2 * range - p;
}

uint32_t Hash(uint32_t x, uint32_t y) {
    uint32_t h = x * 374761393u + y * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

void SetColour(Palette& palette, uint32_t index, int r, int g, int b) {
    palette[3 * index] = static_cast<uint8_t>(std::clamp(r, 0, 255));
    palette[3 * index + 1] = static_cast<uint8_t>(std::clamp(g, 0, 255));
    palette[3 * index + 2] = static_cast<uint8_t>(std::clamp(b, 0, 255));
}

// A hue wheel, turned by `turn` entries.
void SetRainbow(Palette& palette, uint32_t turn) {
    for (uint32_t i = 0; i < kRainbowColours; ++i) {
        const int hue = static_cast<int>((i + turn) % kRainbowColours) * 6 * 256 / 64;
        const int sector = hue / 256, f = hue % 256;
        const int rise = f, fall = 255 - f;
        const int rgb[6][3] = {{255, rise, 0}, {fall, 255, 0}, {0, 255, rise},
                               {0, fall, 255}, {rise, 0, 255}, {255, 0, fall}};
        SetColour(palette, kRainbow + i, rgb[sector][0], rgb[sector][1], rgb[sector][2]);
    }
}

Palette BasePalette() {
    Palette palette{};
    for (uint32_t i = 0; i < kSkyColours; ++i)
        SetColour(palette, kSkyTop + i, 10 + static_cast<int>(i) * 110 / 47,
                  20 + static_cast<int>(i) * 150 / 47, 70 + static_cast<int>(i) * 185 / 47);
    for (int i = 0; i < 16; ++i)
        SetColour(palette, kGroundColour + i, 20 + i * 3, 70 + i * 6, 25 + i * 2);
    SetRainbow(palette, 0);
    SetColour(palette, kBall, 220, 40, 40);
    SetColour(palette, kBallShine, 255, 200, 200);
    SetColour(palette, kStripeA, 250, 210, 40);
    SetColour(palette, kStripeB, 40, 40, 160);
    SetColour(palette, kTitle, 255, 230, 80);
    SetColour(palette, kShadow, 20, 20, 30);
    SetColour(palette, kGrey, 200, 200, 210);
    SetColour(palette, kWhite, 255, 255, 255);
    return QuantizePalette(palette);
}

// Everything that never moves.
Canvas Background() {
    Canvas canvas;
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
            uint32_t colour;
            if (y < kBandTop) {
                colour = kSkyTop + y * (kSkyColours - 1) / (kBandTop - 1);
            } else if (y < kGroundTop) {
                colour = kRainbow + (x / 4 + (y - kBandTop) / 4) % kRainbowColours;
            } else {
                colour = kGroundColour + std::min(15u, (y - kGroundTop) / 4);
                if (Hash(x, y) % 5 == 0)
                    colour = kGroundColour + std::min(15u, colour - kGroundColour + 2);
            }
            canvas.pixels[y * kWidth + x] = static_cast<uint8_t>(colour);
        }
    }
    canvas.ShadowText(100, 10, 4, kTitle, "TAVIK");
    canvas.Text(115, 46, 1, kGrey, "PROCEDURAL DEMO");
    return canvas;
}

const char kMessage[] =
    "WELCOME TO THE TAVIK DEMO - 8-BIT PALETTISED PICTURES IN 4X4 BLOCKS, HUFFMAN CODED, "
    "WITH PALETTE ANIMATION AND A LITTLE TUNE. ENJOY!";

std::vector<uint8_t> Picture(const Canvas& background, uint32_t t) {
    Canvas canvas = background;
    char counter[16];
    std::snprintf(counter, sizeof counter, "FRAME %03u", t);
    canvas.Text(4, 4, 1, kWhite, counter);

    const int ballX = 24 + Bounce(static_cast<int>(t) * 4, 272);
    const int hop = static_cast<int>(t % 24);
    const int ballY = 106 - hop * (24 - hop) * 44 / 144;
    canvas.FillCircle(ballX, ballY, 14, kBall);
    canvas.FillCircle(ballX - 5, ballY - 5, 4, kBallShine);

    const int squareX = 250 - Bounce(static_cast<int>(t) * 3, 200);
    const int squareY = 60 + Bounce(static_cast<int>(t) * 2, 40);
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 28; ++x)
            canvas.Set(squareX + x, squareY + y,
                       ((x + y + static_cast<int>(t)) / 3) % 2 ? kStripeA : kStripeB);

    const int scroll = static_cast<int>(kWidth) - static_cast<int>(t) * 4;
    canvas.ShadowText(scroll, 176, 2, kWhite, kMessage);
    return canvas.pixels;
}

// Sample frames of sound due by the end of frame `frame` (not counting the lead).
uint32_t SamplesBy(uint32_t frame) {
    return static_cast<uint32_t>(uint64_t{frame} * kDemoSampleRate * kFrameTicks / 100000);
}

}  // namespace

MovieSpec MakeDemoMovie() {
    MovieSpec plan;
    plan.width = kWidth;
    plan.height = kHeight;
    plan.frameRate = -kFrameTicks;
    plan.tracks[0] = AudioTrackFormat{kDemoSampleRate, false, false, true};
    const std::vector<uint8_t> music = DemoMusic(kLeadSamples + SamplesBy(kFrames));
    const Canvas background = Background();
    Palette palette = BasePalette();
    plan.frames.resize(kFrames);
    for (uint32_t t = 0; t < kFrames; ++t) {
        Frame& frame = plan.frames[t];
        frame.pixels = Picture(background, t);
        if (t == 0) frame.palette = palette;
        if (t > 0 && t % 10 == 0) {  // turn the rainbow band
            SetRainbow(palette, t / 10 * 5);
            palette = QuantizePalette(palette);
            frame.palette = palette;
        }
        const uint32_t begin = t == 0 ? 0 : kLeadSamples + SamplesBy(t);
        const uint32_t end = kLeadSamples + SamplesBy(t + 1);
        frame.audio[0] = std::vector<uint8_t>(music.begin() + begin, music.begin() + end);
    }
    return plan;
}

}  // namespace tavik::enc
