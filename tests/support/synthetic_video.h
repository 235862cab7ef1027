// Test clips made at run time: a generated photograph-like picture (smooth shapes with detail
// at every scale), pans over it, a still scene with a small moving object, a fade, gradients and
// a speech-like sound. Everything is deterministic for a given seed.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace tavik::test {

struct RgbPicture {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgb;  // width x height triples, top-down
};

// Value noise: a grid of random values every `cell` pixels, smoothly interpolated.
class ValueNoise {
  public:
    ValueNoise(uint32_t width, uint32_t height, uint32_t cell, std::mt19937& random)
        : cell_(cell), columns_(width / cell + 2), rows_(height / cell + 2) {
        std::uniform_real_distribution<float> value(-1, 1);
        grid_.resize(size_t{columns_} * rows_);
        for (float& v : grid_) v = value(random);
    }
    float At(uint32_t x, uint32_t y) const {
        const uint32_t cx = x / cell_, cy = y / cell_;
        const float fx = Smooth(static_cast<float>(x % cell_) / cell_);
        const float fy = Smooth(static_cast<float>(y % cell_) / cell_);
        auto g = [&](uint32_t i, uint32_t j) { return grid_[size_t{j} * columns_ + i]; };
        const float top = g(cx, cy) + (g(cx + 1, cy) - g(cx, cy)) * fx;
        const float bottom = g(cx, cy + 1) + (g(cx + 1, cy + 1) - g(cx, cy + 1)) * fx;
        return top + (bottom - top) * fy;
    }

  private:
    static float Smooth(float t) { return t * t * (3 - 2 * t); }
    uint32_t cell_, columns_, rows_;
    std::vector<float> grid_;
};

inline uint8_t ToByte(float v) {
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// A photograph-like picture: large soft regions of colour, objects with edges, and texture whose
// strength falls with its scale, as in real scenes.
inline RgbPicture MakePhoto(uint32_t width, uint32_t height, uint32_t seed = 1) {
    std::mt19937 random(seed);
    RgbPicture picture{width, height, std::vector<uint8_t>(size_t{width} * height * 3)};
    const uint32_t cells[] = {96, 48, 24, 12, 6, 3};
    const float strength[] = {60, 36, 24, 16, 11, 8};
    std::vector<ValueNoise> layers[3];
    for (auto& channel : layers)
        for (uint32_t cell : cells) channel.emplace_back(width, height, cell, random);
    struct Disc {
        float x, y, r, colour[3];
    };
    std::vector<Disc> discs;
    std::uniform_real_distribution<float> unit(0, 1);
    for (int i = 0; i < 14; ++i)
        discs.push_back({unit(random) * width,
                         unit(random) * height,
                         6 + unit(random) * 40,
                         {unit(random) * 255, unit(random) * 255, unit(random) * 255}});
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            float c[3];
            for (int k = 0; k < 3; ++k) {
                c[k] = 118 + 12 * k;
                for (size_t l = 0; l < layers[k].size(); ++l)
                    c[k] += strength[l] * layers[k][l].At(x, y);
            }
            for (const Disc& d : discs) {
                const float dx = x - d.x, dy = y - d.y;
                const float edge = std::clamp(d.r - std::sqrt(dx * dx + dy * dy), 0.0f, 1.0f);
                const float shade = 0.75f + 0.25f * (dy / d.r);
                for (int k = 0; k < 3; ++k) c[k] += edge * (d.colour[k] * shade - c[k]) * 0.85f;
            }
            uint8_t* out = picture.rgb.data() + 3 * (size_t{y} * width + x);
            const float grain = static_cast<float>(random() % 9) - 4;  // film grain
            for (int k = 0; k < 3; ++k) out[k] = ToByte(c[k] + grain);
        }
    }
    return picture;
}

// `frames` views of a wider picture, moving `step` pixels right per frame.
inline std::vector<RgbPicture> MakePan(uint32_t width, uint32_t height, uint32_t frames,
                                       uint32_t step, uint32_t seed = 1) {
    const RgbPicture wide = MakePhoto(width + step * frames, height, seed);
    std::vector<RgbPicture> clip;
    for (uint32_t f = 0; f < frames; ++f) {
        RgbPicture& view = clip.emplace_back(
            RgbPicture{width, height, std::vector<uint8_t>(size_t{width} * height * 3)});
        for (uint32_t y = 0; y < height; ++y)
            std::copy_n(wide.rgb.data() + 3 * (size_t{y} * wide.width + f * step), 3 * width,
                        view.rgb.data() + 3 * size_t{y} * width);
    }
    return clip;
}

// A still photograph with a small ball crossing it.
inline std::vector<RgbPicture> MakeStillWithObject(uint32_t width, uint32_t height, uint32_t frames,
                                                   uint32_t seed = 2) {
    const RgbPicture still = MakePhoto(width, height, seed);
    std::vector<RgbPicture> clip;
    for (uint32_t f = 0; f < frames; ++f) {
        RgbPicture picture = still;
        const int cx = static_cast<int>(20 + f * 5 % (width - 40)),
                  cy = static_cast<int>(height / 2);
        for (int y = -8; y <= 8; ++y)
            for (int x = -8; x <= 8; ++x)
                if (x * x + y * y <= 64) {
                    uint8_t* p = picture.rgb.data() + 3 * (size_t(cy + y) * width + size_t(cx + x));
                    p[0] = 230, p[1] = static_cast<uint8_t>(200 - 4 * (x + y)), p[2] = 40;
                }
        clip.push_back(std::move(picture));
    }
    return clip;
}

// The picture fading from black to full brightness.
inline std::vector<RgbPicture> MakeFade(const RgbPicture& picture, uint32_t frames) {
    std::vector<RgbPicture> clip;
    for (uint32_t f = 0; f < frames; ++f) {
        RgbPicture p = picture;
        const float level = frames > 1 ? static_cast<float>(f) / (frames - 1) : 1;
        for (uint8_t& v : p.rgb) v = ToByte(v * level);
        clip.push_back(std::move(p));
    }
    return clip;
}

inline RgbPicture MakeGradient(uint32_t width, uint32_t height) {
    RgbPicture p{width, height, std::vector<uint8_t>(size_t{width} * height * 3)};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* out = p.rgb.data() + 3 * (size_t{y} * width + x);
            out[0] = static_cast<uint8_t>(x * 255 / (width - 1));
            out[1] = static_cast<uint8_t>(y * 255 / (height - 1));
            out[2] = static_cast<uint8_t>(255 - out[0] / 2);
        }
    return p;
}

// Speech-like 8-bit mono sound: voiced syllables of a few formants at a syllable rate, with
// pauses between words.
inline std::vector<uint8_t> MakeSpeech(uint32_t rate, double seconds, uint32_t seed = 3) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    const size_t count = static_cast<size_t>(rate * seconds);
    std::vector<uint8_t> pcm(count);
    double pitch = 120, phase = 0, f1 = 700, f2 = 1200;
    const double pi = 3.14159265358979;
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double syllable = std::fmod(t * 4, 1.0);
        const bool pause = std::fmod(t, 1.7) > 1.35;
        if (i % (rate / 4) == 0) {
            f1 = 300 + unit(random) * 600;
            f2 = 900 + unit(random) * 1500;
            pitch = 100 + unit(random) * 60;
        }
        phase += 2 * pi * pitch / rate;
        const double envelope = pause ? 0 : std::sin(pi * syllable);
        double v = 0;
        for (int h = 1; h < 30; ++h) {
            const double f = h * pitch;
            const double gain =
                1 / (1 + std::pow((f - f1) / 120, 2)) + 0.6 / (1 + std::pow((f - f2) / 150, 2));
            v += gain * std::sin(h * phase) / h;
        }
        pcm[i] = static_cast<uint8_t>(
            std::clamp(128 + 90 * envelope * v + (unit(random) - 0.5) * 4, 0.0, 255.0));
    }
    return pcm;
}

inline double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double error = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) error += (a[i] - b[i]) * (a[i] - b[i]);
    if (error == 0) return 99;
    return 10 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / error);
}

}  // namespace tavik::test
