#include "edit/text_painter.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace tavik::edit {

namespace {

constexpr uint32_t kCacheSlots = 1u << 14;

}  // namespace

TextPainter::TextPainter(uint32_t width, uint32_t height, uint32_t codedWidth, uint32_t codedHeight)
    : width_(width),
      height_(height),
      codedWidth_(codedWidth),
      codedHeight_(codedHeight),
      rgb_(size_t{width} * height * 3),
      covered_(size_t{width} * height, 0),
      cacheKeys_(kCacheSlots, 0),
      cacheEntries_(kCacheSlots, 0) {}

uint8_t TextPainter::Nearest(const uint8_t* palette, uint32_t rgb) {
    if (!cacheValid_ || std::memcmp(cachePalette_.data(), palette, 768) != 0 ||
        cacheUsed_ > kCacheSlots / 2) {
        std::memcpy(cachePalette_.data(), palette, 768);
        std::fill(cacheKeys_.begin(), cacheKeys_.end(), 0);
        cacheUsed_ = 0;
        cacheValid_ = true;
    }
    uint32_t slot = (rgb * 2654435761u) >> 18;
    while (cacheKeys_[slot] != 0) {
        if (cacheKeys_[slot] == rgb + 1) return cacheEntries_[slot];
        slot = (slot + 1) & (kCacheSlots - 1);
    }
    const int r = static_cast<int>(rgb >> 16), g = static_cast<int>(rgb >> 8 & 0xFF),
              b = static_cast<int>(rgb & 0xFF);
    int best = 0, bestDistance = INT_MAX;
    for (int i = 0; i < 256; ++i) {
        const int dr = r - palette[3 * i], dg = g - palette[3 * i + 1], db = b - palette[3 * i + 2];
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    cacheKeys_[slot] = rgb + 1;
    cacheEntries_[slot] = static_cast<uint8_t>(best);
    ++cacheUsed_;
    return static_cast<uint8_t>(best);
}

Box TextPainter::Draw(const std::vector<TextLayer>& layers, const uint8_t* palette,
                      const uint8_t* picture, bool antialias, uint8_t* target) {
    std::memcpy(target, picture, size_t{width_} * height_);
    for (uint32_t y = last_.top; y < last_.bottom; ++y)
        std::memset(covered_.data() + size_t{y} * width_ + last_.left, 0, last_.right - last_.left);

    // The layers clipped to the coded picture, and the box around them.
    Box box{codedWidth_, codedHeight_, 0, 0};
    auto clip = [&](const TextLayer& layer, Box& area) {
        const int64_t left = std::max<int64_t>(layer.x, 0), top = std::max<int64_t>(layer.y, 0);
        const int64_t right = std::min<int64_t>(int64_t{layer.x} + layer.width, codedWidth_);
        const int64_t bottom = std::min<int64_t>(int64_t{layer.y} + layer.height, codedHeight_);
        if (right <= left || bottom <= top) return false;
        area = {static_cast<uint32_t>(left), static_cast<uint32_t>(top),
                static_cast<uint32_t>(right), static_cast<uint32_t>(bottom)};
        return true;
    };
    for (const TextLayer& layer : layers) {
        Box area;
        if (!clip(layer, area)) continue;
        box = {std::min(box.left, area.left), std::min(box.top, area.top),
               std::max(box.right, area.right), std::max(box.bottom, area.bottom)};
    }
    last_ = box.Empty() ? Box{} : box;
    if (box.Empty()) return Box{};

    for (uint32_t y = box.top; y < box.bottom; ++y) {
        for (uint32_t x = box.left; x < box.right; ++x) {
            const size_t at = size_t{y} * width_ + x;
            std::memcpy(rgb_.data() + 3 * at, palette + 3 * picture[at], 3);
        }
    }
    for (const TextLayer& layer : layers) {
        Box area;
        if (!clip(layer, area)) continue;
        const uint8_t colour[3] = {layer.r, layer.g, layer.b};
        for (uint32_t y = area.top; y < area.bottom; ++y) {
            const uint8_t* row = layer.coverage.data() +
                                 size_t(int64_t{y} - layer.y) * layer.width +
                                 size_t(int64_t{area.left} - layer.x);
            for (uint32_t x = area.left; x < area.right; ++x, ++row) {
                uint32_t k = (uint32_t{*row} * layer.opacity + 127) / 255;
                if (!antialias) k = k >= 128 ? 255 : 0;
                if (k == 0) continue;
                const size_t at = size_t{y} * width_ + x;
                covered_[at] = 1;
                uint8_t* blended = rgb_.data() + 3 * at;
                for (int c = 0; c < 3; ++c)
                    blended[c] =
                        static_cast<uint8_t>((k * colour[c] + (255 - k) * blended[c] + 127) / 255);
            }
        }
    }
    for (uint32_t y = box.top; y < box.bottom; ++y) {
        for (uint32_t x = box.left; x < box.right; ++x) {
            const size_t at = size_t{y} * width_ + x;
            if (!covered_[at]) continue;
            const uint8_t* c = rgb_.data() + 3 * at;
            target[at] = Nearest(palette, uint32_t{c[0]} << 16 | uint32_t{c[1]} << 8 | c[2]);
        }
    }
    return box;
}

}  // namespace tavik::edit
