#include "y4m_writer.h"

#include <cmath>
#include <numeric>

namespace tavik::tools {

namespace {

uint8_t Round8(double v) {
    return static_cast<uint8_t>(std::lround(v < 0 ? 0 : v > 255 ? 255 : v));
}

}  // namespace

void FrameRateFraction(uint32_t frameTicks, uint32_t& numerator, uint32_t& denominator) {
    if (frameTicks == 0) {
        numerator = 25, denominator = 1;
        return;
    }
    const uint32_t common = std::gcd(100000u, frameTicks);
    numerator = 100000 / common;
    denominator = frameTicks / common;
}

Y4mWriter::Y4mWriter(std::FILE* file, uint32_t width, uint32_t height, uint32_t rateNumerator,
                     uint32_t rateDenominator, bool chroma420)
    : file_(file),
      width_(width),
      height_(height),
      chroma420_(chroma420),
      rateNumerator_(rateNumerator),
      rateDenominator_(rateDenominator) {}

bool Y4mWriter::Write(const uint8_t* rgb) {
    if (!headerWritten_) {
        std::fprintf(file_, "YUV4MPEG2 W%u H%u F%u:%u Ip A1:1 %s XCOLORRANGE=LIMITED\n", width_,
                     height_, rateNumerator_, rateDenominator_, chroma420_ ? "C420jpeg" : "C444");
        headerWritten_ = true;
    }
    const size_t pixels = size_t{width_} * height_;
    y_.resize(pixels);
    cb_.resize(pixels);
    cr_.resize(pixels);
    for (size_t i = 0; i < pixels; ++i) {
        const double r = rgb[3 * i], g = rgb[3 * i + 1], b = rgb[3 * i + 2];
        const double luma = 0.299 * r + 0.587 * g + 0.114 * b;
        y_[i] = Round8(16 + luma * 219 / 255);
        cb_[i] = Round8(128 + (b - luma) / 1.772 * 224 / 255);
        cr_[i] = Round8(128 + (r - luma) / 1.402 * 224 / 255);
    }
    std::fputs("FRAME\n", file_);
    bool ok = std::fwrite(y_.data(), 1, pixels, file_) == pixels;
    if (!chroma420_) {
        ok = ok && std::fwrite(cb_.data(), 1, pixels, file_) == pixels &&
             std::fwrite(cr_.data(), 1, pixels, file_) == pixels;
        return ok && !std::ferror(file_);
    }
    // Each chroma sample is the mean of its 2x2 luma positions (centred siting).
    const uint32_t cw = (width_ + 1) / 2, ch = (height_ + 1) / 2;
    std::vector<uint8_t> plane(size_t{cw} * ch);
    for (const std::vector<uint8_t>* full : {&cb_, &cr_}) {
        for (uint32_t y = 0; y < ch; ++y)
            for (uint32_t x = 0; x < cw; ++x) {
                const uint32_t x0 = 2 * x, y0 = 2 * y;
                const uint32_t x1 = x0 + 1 < width_ ? x0 + 1 : x0,
                               y1 = y0 + 1 < height_ ? y0 + 1 : y0;
                auto at = [&](uint32_t px, uint32_t py) {
                    return (*full)[size_t{py} * width_ + px];
                };
                plane[size_t{y} * cw + x] = static_cast<uint8_t>(
                    (at(x0, y0) + at(x1, y0) + at(x0, y1) + at(x1, y1) + 2) / 4);
            }
        ok = ok && std::fwrite(plane.data(), 1, plane.size(), file_) == plane.size();
    }
    return ok && !std::ferror(file_);
}

}  // namespace tavik::tools
