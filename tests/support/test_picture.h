// A picture in memory with its destination descriptor and change map, for driving the video
// decoder directly: 8-bit or 16-bit pixels, normal, doubled or interlaced lines, top-down or
// bottom-up, with guard bytes around the picture to catch stray writes.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "video/dest.h"

namespace tavik::test {

struct PictureOptions {
    uint32_t width = 64;       // pixels, a multiple of 4
    uint32_t codedHeight = 8;  // lines the movie codes, a multiple of 4
    bool wide = false;         // 16-bit pixels
    bool doubled = false;
    bool interlaced = false;
    bool bottomUp = false;
    uint8_t fill = 0xEE;  // initial pixel bytes
};

class TestPicture {
  public:
    static constexpr size_t kGuard = 64;

    explicit TestPicture(const PictureOptions& options) : options_(options) {
        bytesPerPixel_ = options.wide ? 2 : 1;
        pitch_ = options.width * bytesPerPixel_;
        lines_ = options.codedHeight * (options.doubled || options.interlaced ? 2 : 1);
        pixels_.assign(kGuard * 2 + size_t{pitch_} * lines_, options.fill);
        const uint32_t blocks = (options.width / 4) * (options.codedHeight / 4);
        mapBytes_ = (blocks + 15) / 16 + 1;
        descriptor_.assign((sizeof(TavikDestDesc) + mapBytes_ + kGuard + 7) / 8, 0);
        std::memset(ChangeMap(Dest()) + mapBytes_, 0xA5, kGuard);
        colours_.resize(256);
        for (uint32_t i = 0; i < 256; ++i) colours_[i] = static_cast<uint16_t>(i * 0x0101 ^ 0x8421);

        TavikDestDesc& d = *Dest();
        d.kind = kDestKindLinear;
        d.doubled = options.doubled ? 1 : 0;
        d.format = options.wide ? 0x80 : 0;
        const int32_t step = static_cast<int32_t>(pitch_) * (options.interlaced ? 2 : 1);
        d.lineStep = options.bottomUp ? -step : step;
        d.picture = Line(0);
        d.blocksPerRow = options.width / 4;
        d.blockRows = options.codedHeight / 4;
        const int32_t k = options.doubled ? 7 : 3;
        d.blockBackStep = k * d.lineStep - 4 * static_cast<int32_t>(bytesPerPixel_);
        d.blockHeightStep = k * d.lineStep;
        d.rowStep = (k + 1) * d.lineStep - static_cast<int32_t>(pitch_);
        d.iterator.width = options.width;
        d.iterator.height = options.codedHeight;
        d.colourTable = options.wide ? colours_.data() : nullptr;
    }

    TavikDestDesc* Dest() { return reinterpret_cast<TavikDestDesc*>(descriptor_.data()); }
    uint8_t* Map() { return ChangeMap(Dest()); }
    uint32_t MapBytes() const { return mapBytes_; }
    std::vector<uint16_t>& Colours() { return colours_; }

    // Memory line `line` of the whole picture (display order, top first).
    uint8_t* Line(uint32_t line) {
        const uint32_t row = options_.bottomUp && lines_ > 0 ? lines_ - 1 - line : line;
        return pixels_.data() + kGuard + size_t{row} * pitch_;
    }
    // The pixel value (index, or 16-bit pixel) at display position (x, line).
    uint32_t At(uint32_t x, uint32_t line) {
        const uint8_t* p = Line(line) + x * bytesPerPixel_;
        return options_.wide ? static_cast<uint32_t>(p[0] | p[1] << 8) : p[0];
    }
    uint32_t DisplayLines() const { return lines_; }

    bool GuardsIntact() const {
        const uint8_t* map = ChangeMap(const_cast<TestPicture*>(this)->Dest());
        for (size_t i = 0; i < kGuard; ++i) {
            if (pixels_[i] != options_.fill || pixels_[pixels_.size() - 1 - i] != options_.fill ||
                map[mapBytes_ + i] != 0xA5) {
                return false;
            }
        }
        return true;
    }

  private:
    PictureOptions options_;
    uint32_t bytesPerPixel_ = 1;
    uint32_t pitch_ = 0;
    uint32_t lines_ = 0;
    uint32_t mapBytes_ = 0;
    std::vector<uint8_t> pixels_;
    std::vector<uint64_t> descriptor_;
    std::vector<uint16_t> colours_;
};

}  // namespace tavik::test
