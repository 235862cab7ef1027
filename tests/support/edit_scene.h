// Editing tests' pieces: a movie whose pictures move under the text (palette changes, a ring
// frame, sound tracks of every kind), text made of boxes (no fonts needed), and the check that
// an edited movie plays as the original wherever the text is not.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "edit/text_source.h"
#include "encoder/encoder.h"
#include "support/decoded_movie.h"

namespace tavik::test {

// Boxes of one colour, each shown from its cue's start to its end: full coverage inside, half
// on the edge (antialiased text), or a `grain` of coverage values from a half to full that vary
// from pixel to pixel.
class BoxText : public edit::TextSource {
  public:
    void Add(int64_t startMs, int64_t endMs, int32_t x, int32_t y, uint32_t w, uint32_t h,
             uint8_t r, uint8_t g, uint8_t b, bool grain = false) {
        edit::TextLayer layer;
        layer.x = x, layer.y = y, layer.width = w, layer.height = h;
        layer.r = r, layer.g = g, layer.b = b;
        layer.coverage.assign(size_t{w} * h, 255);
        for (uint32_t j = 0; j < h; ++j)
            for (uint32_t i = 0; i < w; ++i)
                if (grain) {
                    layer.coverage[j * w + i] = static_cast<uint8_t>(128 + (i * 37 + j * 91) % 128);
                } else if (i == 0 || j == 0 || i + 1 == w || j + 1 == h) {
                    layer.coverage[j * w + i] = 128;
                }
        boxes_.push_back({{startMs, endMs}, std::move(layer)});
    }
    const std::vector<edit::TextLayer>& At(int64_t ms) override {
        shown_.clear();
        for (const auto& [cue, layer] : boxes_)
            if (ms >= cue.startMs && ms < cue.endMs) shown_.push_back(layer);
        return shown_;
    }
    std::vector<edit::Cue> Cues() const override {
        std::vector<edit::Cue> cues;
        for (const auto& box : boxes_) cues.push_back(box.first);
        return cues;
    }
    std::string Name() const override { return "boxes"; }

  private:
    std::vector<std::pair<edit::Cue, edit::TextLayer>> boxes_;
    std::vector<edit::TextLayer> shown_;
};

// 96x64 at 15 frames a second: stripes that move under the lower half, a still upper half
// (skipped blocks), a palette that changes at frame 10, a ring frame and three tracks.
inline enc::MovieSpec EditScene(uint32_t frames = 24) {
    enc::MovieSpec plan;
    plan.width = 96;
    plan.height = 64;
    plan.frameRate = -6666;
    plan.ringFrame = true;
    plan.tracks[0] = enc::AudioTrackFormat{8000, false, false, true};
    plan.tracks[1] = enc::AudioTrackFormat{8000, true, true, false};
    plan.tracks[3] = enc::AudioTrackFormat{11025, false, true, true};
    for (uint32_t t = 0; t < frames; ++t) {
        enc::Frame frame;
        frame.pixels.resize(96 * 64);
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 96; ++x)
                frame.pixels[y * 96 + x] = static_cast<uint8_t>(
                    y < 32 ? (x / 8 + y / 8) % 4 : 16 + (x + 2 * t + y / 4) % 24);
        if (t == 0 || t == 10) {
            enc::Palette palette{};
            for (int i = 0; i < 256; ++i) {
                palette[3 * i] = enc::QuantizeComponent(static_cast<uint8_t>(i * 5 + t));
                palette[3 * i + 1] = enc::QuantizeComponent(static_cast<uint8_t>(i * 3));
                palette[3 * i + 2] = enc::QuantizeComponent(static_cast<uint8_t>(255 - i));
            }
            frame.palette = palette;
        }
        const size_t samples = t == 0 ? 1200 : 540;
        for (int track : {0, 1, 3}) {
            const enc::AudioTrackFormat& f = *plan.tracks[track];
            std::vector<uint8_t> pcm(samples * (f.stereo ? 2 : 1) * (f.is16Bit ? 2 : 1));
            for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<uint8_t>(i * 7 + t);
            if (t % 5 != 4 || track != 0) frame.audio[track] = pcm;  // some frames without
        }
        plan.frames.push_back(std::move(frame));
    }
    return plan;
}

// Plays both movies `count` frames on (wrapping) and checks every frame: without text exactly
// the original's pictures, palettes and sound; with text the original's pixels outside the text's
// boxes and, where a box fully covers a pixel, the palette entry nearest to its colour. After a
// wrap to frame 0, blocks that frame 0 skips show the last frame, so a block of text there cannot
// match both plays: the edit keeps the first play's, and those blocks are not compared then.
// With `reserved` colours, frames with text may change palette entries that no pixel shows.
inline void ExpectEditedExactly(const std::vector<uint8_t>& in, const std::vector<uint8_t>& out,
                                BoxText& text, uint32_t count, const std::string& name,
                                bool reserved = false) {
    const DecodedMovie before = DecodeMovie(in, static_cast<int>(count));
    const DecodedMovie after = DecodeMovie(out, static_cast<int>(count));
    ASSERT_TRUE(before.ok && after.ok) << name;
    const TavikInfo& info = before.info;
    ASSERT_EQ(std::tie(info.Width, info.Height, info.FrameCount, info.FrameTime, info.HasRingFrame),
              std::tie(after.info.Width, after.info.Height, after.info.FrameCount,
                       after.info.FrameTime, after.info.HasRingFrame))
        << name;
    const uint32_t scale = info.Height / (in[8] | in[9] << 8);  // shown rows per stored row
    uint32_t textFrames = 0;
    for (uint32_t k = 0; k < count; ++k) {
        // Play order: 0 .. FrameCount - 1, the ring frame (shown as frame 0), then 1, 2, ...
        const uint32_t period = info.FrameCount + info.HasRingFrame;
        uint32_t n = k < period          ? k
                     : info.HasRingFrame ? 1 + (k - period) % (period - 1)
                                         : k % period;
        if (n == info.FrameCount) n = 0;
        const std::vector<edit::TextLayer> layers = text.At(int64_t{n} * info.FrameTime / 100);
        const DecodedFrame &a = before.frames[k], &b = after.frames[k];
        const std::string where = name + " frame " + std::to_string(k);
        for (int i = 0; i < 256; ++i) {
            const bool shown = std::find(a.indices.begin(), a.indices.end(), i) != a.indices.end();
            if (!layers.empty() && reserved && !shown) continue;
            ASSERT_TRUE(std::equal(&a.palette[3 * i], &a.palette[3 * i + 3], &b.palette[3 * i]))
                << where << " entry " << i;
        }
        for (int t = 0; t < 7; ++t) ASSERT_EQ(a.sound[t], b.sound[t]) << where << " track " << t;
        if (layers.empty()) {
            ASSERT_EQ(a.indices, b.indices) << where;
            continue;
        }
        ++textFrames;
        for (uint32_t y = 0; y < info.Height; ++y) {
            for (uint32_t x = 0; x < info.Width; ++x) {
                const size_t at = size_t{y} * info.Width + x;
                const int32_t sx = static_cast<int32_t>(x), sy = static_cast<int32_t>(y / scale);
                const edit::TextLayer* top = nullptr;
                for (const edit::TextLayer& l : layers)
                    if (sx >= l.x && sy >= l.y && sx < l.x + static_cast<int32_t>(l.width) &&
                        sy < l.y + static_cast<int32_t>(l.height))
                        top = &l;
                bool textBlock = false;
                for (const edit::TextLayer& l : layers)
                    textBlock = textBlock || (sx / 4 * 4 < l.x + static_cast<int32_t>(l.width) &&
                                              sx / 4 * 4 + 4 > l.x && sy / 4 * 4 + 4 > l.y &&
                                              sy / 4 * 4 < l.y + static_cast<int32_t>(l.height));
                const bool replayed = !info.HasRingFrame && k >= info.FrameCount;
                if (!top && replayed && textBlock) continue;
                if (!top) {
                    ASSERT_EQ(a.indices[at], b.indices[at]) << where << " at " << x << "," << y;
                    continue;
                }
                if (top->coverage[size_t(sy - top->y) * top->width + size_t(sx - top->x)] != 255 ||
                    (b.indices[at] == 0 && y % scale != 0))
                    continue;  // a blend, or an interlaced movie's unwritten line
                auto distance = [&](int i) {
                    const uint8_t* c = b.palette.data() + 3 * i;
                    return (c[0] - top->r) * (c[0] - top->r) + (c[1] - top->g) * (c[1] - top->g) +
                           (c[2] - top->b) * (c[2] - top->b);
                };
                int nearest = INT_MAX;
                for (int i = 0; i < 256; ++i) nearest = std::min(nearest, distance(i));
                ASSERT_EQ(distance(b.indices[at]), nearest) << where << " at " << x << "," << y;
            }
        }
    }
    EXPECT_GT(textFrames, 0u) << name;
}

}  // namespace tavik::test
