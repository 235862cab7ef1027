// A movie read back through the engine's decoder interface: every frame in play order (ring
// frame included), as indices, palette and truecolour, with each track's sound.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tavik/decoder.h"

namespace tavik::test {

struct DecodedFrame {
    std::vector<uint8_t> indices, palette, rgb;
    bool paletteChanged = false;
    std::array<std::vector<uint8_t>, 7> sound;
};

struct DecodedMovie {
    bool ok = false;
    TavikInfo info{};
    std::vector<DecodedFrame> frames;
};

// Decodes `count` frames (default: the frame count plus the ring frame).
inline DecodedMovie DecodeMovie(const std::vector<uint8_t>& movie, int count = -1) {
    DecodedMovie out;
    TavikDecoder* decoder = nullptr;
    if (TavikDecoderOpenMemory(movie.data(), movie.size(), &decoder) != TavikOk) return out;
    out.info = *TavikDecoderGetInfo(decoder);
    const uint32_t total =
        count >= 0 ? static_cast<uint32_t>(count) : out.info.FrameCount + out.info.HasRingFrame;
    TavikDecoderSetLooping(decoder, 1);
    out.ok = true;
    for (uint32_t i = 0; i < total && out.ok; ++i) {
        TavikFrame frame{};
        if (TavikDecoderNext(decoder, &frame) != TavikOk) {
            out.ok = false;
            break;
        }
        DecodedFrame d;
        const size_t pixels = size_t{out.info.Width} * out.info.Height;
        d.indices.assign(frame.Pixels, frame.Pixels + pixels);
        d.palette.assign(frame.Palette, frame.Palette + 768);
        d.paletteChanged = frame.PaletteChanged;
        d.rgb.resize(pixels * 3);
        out.ok = TavikConvertFrame(&frame, &out.info, TavikRGB24, d.rgb.data(),
                                   static_cast<ptrdiff_t>(out.info.Width) * 3) == TavikOk;
        for (int t = 0; t < 7; ++t)
            if (frame.Sound[t])
                d.sound[t].assign(frame.Sound[t], frame.Sound[t] + frame.SoundBytes[t]);
        out.frames.push_back(std::move(d));
    }
    TavikDecoderClose(decoder);
    return out;
}

}  // namespace tavik::test
