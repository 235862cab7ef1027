// Reading YUV4MPEG2 streams as video tools write them: 8-bit 4:2:0 (any chroma siting), 4:2:2,
// 4:4:4 or mono, converted to RGB with the BT.601 matrix, limited range unless the header says
// XCOLORRANGE=FULL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavik::enc {

class Y4mReader {
  public:
    // Reads up to `count` bytes; returns how many (0 at the end or on an error).
    using ReadFn = std::function<size_t(uint8_t* destination, size_t count)>;

    explicit Y4mReader(ReadFn read) : read_(std::move(read)) {}

    // Reads the stream header. False with a reason in `error`.
    bool ReadHeader(std::string& error);

    enum class Status { kFrame, kEnd, kError };
    // The next frame as width x height RGB triples.
    Status ReadFrame(std::vector<uint8_t>& rgb, std::string& error);

    uint32_t width() const { return width_; }
    uint32_t height() const { return height_; }
    // The F field: frames per second as rateNumerator / rateDenominator; 0:0 when not given.
    uint32_t rateNumerator() const { return rateNumerator_; }
    uint32_t rateDenominator() const { return rateDenominator_; }
    bool fullRange() const { return fullRange_; }
    const std::string& chroma() const { return chroma_; }

  private:
    enum class Siting { kCentred, kCosited };
    bool ReadLine(std::string& line, size_t limit);
    bool SetChroma(const std::string& name, std::string& error);
    void BuildTables();
    void Upsample(const uint8_t* plane, std::vector<uint8_t>& full) const;

    ReadFn read_;
    uint32_t width_ = 0, height_ = 0;
    uint32_t rateNumerator_ = 0, rateDenominator_ = 0;
    bool fullRange_ = false, mono_ = false;
    std::string chroma_ = "420jpeg";
    uint32_t shiftX_ = 1, shiftY_ = 1;  // chroma subsampling, as a power of 2
    Siting sitingX_ = Siting::kCentred, sitingY_ = Siting::kCentred;
    uint32_t chromaWidth_ = 0, chromaHeight_ = 0;
    size_t frames_ = 0;
    std::vector<uint8_t> planes_;
    std::vector<uint8_t> cb_, cr_;
    // Per luma column / row: the two chroma samples and the weight (of 4) of the second.
    std::vector<uint32_t> column0_, column1_, row0_, row1_;
    std::vector<uint8_t> columnWeight_, rowWeight_;
    // BT.601 in 16.16 fixed point, by component value.
    int32_t luma_[256], redFromCr_[256], greenFromCb_[256], greenFromCr_[256], blueFromCb_[256];
};

}  // namespace tavik::enc
