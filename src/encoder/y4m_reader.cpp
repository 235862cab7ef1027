#include "encoder/y4m_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "encoder/encoder.h"

namespace tavik::enc {

namespace {

constexpr size_t kLongestHeader = 4096;

bool ParseNumber(const std::string& text, uint32_t& value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    value = static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
    return true;
}

uint8_t Clamp8(int32_t fixed) {
    const int32_t v = (fixed + (1 << 15)) >> 16;
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

}  // namespace

bool Y4mReader::ReadLine(std::string& line, size_t limit) {
    line.clear();
    uint8_t c = 0;
    while (line.size() <= limit) {
        if (read_(&c, 1) != 1) return false;
        if (c == '\n') return true;
        line.push_back(static_cast<char>(c));
    }
    return false;
}

bool Y4mReader::SetChroma(const std::string& name, std::string& error) {
    chroma_ = name;
    mono_ = false;
    shiftX_ = shiftY_ = 1;
    sitingX_ = sitingY_ = Siting::kCentred;
    if (name == "420jpeg" || name == "420") {
    } else if (name == "420mpeg2") {
        sitingX_ = Siting::kCosited;
    } else if (name == "420paldv") {
        sitingX_ = sitingY_ = Siting::kCosited;
    } else if (name == "422") {
        shiftY_ = 0;
        sitingX_ = Siting::kCosited;
    } else if (name == "444") {
        shiftX_ = shiftY_ = 0;
    } else if (name == "mono") {
        shiftX_ = shiftY_ = 0;
        mono_ = true;
    } else {
        error = "the chroma layout C" + name +
                " is not supported (420jpeg, 420, 420mpeg2, 420paldv, 422, 444 and mono, 8-bit)";
        return false;
    }
    return true;
}

bool Y4mReader::ReadHeader(std::string& error) {
    std::string line;
    if (!ReadLine(line, kLongestHeader) || line.compare(0, 10, "YUV4MPEG2 ") != 0) {
        error = "not a YUV4MPEG2 stream (no YUV4MPEG2 header line)";
        return false;
    }
    bool haveChroma = false;
    size_t at = 10;
    while (at < line.size()) {
        size_t end = line.find(' ', at);
        if (end == std::string::npos) end = line.size();
        const std::string field = line.substr(at, end - at);
        at = end + 1;
        if (field.empty()) continue;
        const std::string value = field.substr(1);
        switch (field[0]) {
            case 'W':
                if (!ParseNumber(value, width_)) return error = "bad width W" + value, false;
                break;
            case 'H':
                if (!ParseNumber(value, height_)) return error = "bad height H" + value, false;
                break;
            case 'F': {
                const size_t colon = value.find(':');
                if (colon == std::string::npos ||
                    !ParseNumber(value.substr(0, colon), rateNumerator_) ||
                    !ParseNumber(value.substr(colon + 1), rateDenominator_) ||
                    rateNumerator_ == 0 || rateDenominator_ == 0)
                    return error = "bad frame rate F" + value, false;
                break;
            }
            case 'C':
                if (!SetChroma(value, error)) return false;
                haveChroma = true;
                break;
            case 'X':
                if (value == "COLORRANGE=FULL") fullRange_ = true;
                if (value == "COLORRANGE=LIMITED") fullRange_ = false;
                break;
            default:  // interlacing, aspect ratio and comments change nothing here
                break;
        }
    }
    if (!haveChroma) SetChroma("420jpeg", error);
    if (width_ == 0 || height_ == 0) return error = "the header gives no picture size", false;
    if (error = PictureSizeProblem(width_, height_); !error.empty()) return false;
    chromaWidth_ = (width_ + (1u << shiftX_) - 1) >> shiftX_;
    chromaHeight_ = (height_ + (1u << shiftY_) - 1) >> shiftY_;
    BuildTables();
    return true;
}

void Y4mReader::BuildTables() {
    const double yScale = fullRange_ ? 1.0 : 255.0 / 219.0;
    const double cScale = fullRange_ ? 1.0 : 255.0 / 224.0;
    const int yOffset = fullRange_ ? 0 : 16;
    for (int v = 0; v < 256; ++v) {
        const double y = (v - yOffset) * yScale * 65536.0;
        const double c = (v - 128) * cScale * 65536.0;
        luma_[v] = static_cast<int32_t>(std::lround(y));
        redFromCr_[v] = static_cast<int32_t>(std::lround(1.402 * c));
        greenFromCb_[v] = static_cast<int32_t>(std::lround(-0.344136 * c));
        greenFromCr_[v] = static_cast<int32_t>(std::lround(-0.714136 * c));
        blueFromCb_[v] = static_cast<int32_t>(std::lround(1.772 * c));
    }
    // Positions in quarters of a chroma sample: centred siting puts a chroma sample between
    // its luma samples, co-sited on the first of them.
    auto axis = [](uint32_t lumaSize, uint32_t chromaSize, uint32_t shift, Siting siting,
                   std::vector<uint32_t>& first, std::vector<uint32_t>& second,
                   std::vector<uint8_t>& weight) {
        first.resize(lumaSize);
        second.resize(lumaSize);
        weight.resize(lumaSize);
        for (uint32_t i = 0; i < lumaSize; ++i) {
            int64_t quarters = int64_t{i} * 4;
            if (shift == 1)
                quarters = siting == Siting::kCentred ? 2 * int64_t{i} - 1 : 2 * int64_t{i};
            const int64_t whole = quarters < 0 ? -1 : quarters / 4;
            const int64_t low = std::clamp<int64_t>(whole, 0, chromaSize - 1);
            const int64_t high = std::clamp<int64_t>(whole + 1, 0, chromaSize - 1);
            first[i] = static_cast<uint32_t>(low);
            second[i] = static_cast<uint32_t>(high);
            weight[i] = static_cast<uint8_t>(quarters - whole * 4);
        }
    };
    axis(width_, chromaWidth_, shiftX_, sitingX_, column0_, column1_, columnWeight_);
    axis(height_, chromaHeight_, shiftY_, sitingY_, row0_, row1_, rowWeight_);
}

void Y4mReader::Upsample(const uint8_t* plane, std::vector<uint8_t>& full) const {
    full.resize(size_t{width_} * height_);
    for (uint32_t y = 0; y < height_; ++y) {
        const uint8_t* upper = plane + size_t{row0_[y]} * chromaWidth_;
        const uint8_t* lower = plane + size_t{row1_[y]} * chromaWidth_;
        const uint32_t wy = rowWeight_[y];
        uint8_t* out = full.data() + size_t{y} * width_;
        for (uint32_t x = 0; x < width_; ++x) {
            const uint32_t a = column0_[x], b = column1_[x], wx = columnWeight_[x];
            const uint32_t top = upper[a] * (4 - wx) + upper[b] * wx;
            const uint32_t bottom = lower[a] * (4 - wx) + lower[b] * wx;
            out[x] = static_cast<uint8_t>((top * (4 - wy) + bottom * wy + 8) / 16);
        }
    }
}

Y4mReader::Status Y4mReader::ReadFrame(std::vector<uint8_t>& rgb, std::string& error) {
    std::string line;
    uint8_t first = 0;
    if (read_(&first, 1) != 1) return Status::kEnd;
    if (!ReadLine(line, kLongestHeader) || first != 'F' || line.compare(0, 4, "RAME") != 0 ||
        (line.size() > 4 && line[4] != ' ')) {
        error = "frame " + std::to_string(frames_) + " does not start with a FRAME line";
        return Status::kError;
    }
    const size_t lumaBytes = size_t{width_} * height_;
    const size_t chromaBytes = mono_ ? 0 : size_t{chromaWidth_} * chromaHeight_;
    // The buffer grows as the bytes arrive, so that a header promising a huge picture costs
    // nothing until the stream delivers it.
    const size_t frameBytes = lumaBytes + 2 * chromaBytes;
    size_t got = 0;
    while (got < frameBytes) {
        if (planes_.size() < frameBytes)
            planes_.resize(std::min(frameBytes, std::max<size_t>(planes_.size() * 2, 1u << 20)));
        const size_t n = read_(planes_.data() + got, std::min(planes_.size(), frameBytes) - got);
        if (n == 0) break;
        got += n;
    }
    if (got != frameBytes) {
        error = "frame " + std::to_string(frames_) + " is cut short";
        return Status::kError;
    }
    rgb.resize(3 * lumaBytes);
    const uint8_t* luma = planes_.data();
    if (mono_) {
        for (size_t i = 0; i < lumaBytes; ++i)
            rgb[3 * i] = rgb[3 * i + 1] = rgb[3 * i + 2] = Clamp8(luma_[luma[i]]);
    } else {
        Upsample(planes_.data() + lumaBytes, cb_);
        Upsample(planes_.data() + lumaBytes + chromaBytes, cr_);
        for (size_t i = 0; i < lumaBytes; ++i) {
            const int32_t y = luma_[luma[i]];
            rgb[3 * i] = Clamp8(y + redFromCr_[cr_[i]]);
            rgb[3 * i + 1] = Clamp8(y + greenFromCb_[cb_[i]] + greenFromCr_[cr_[i]]);
            rgb[3 * i + 2] = Clamp8(y + blueFromCb_[cb_[i]]);
        }
    }
    ++frames_;
    return Status::kFrame;
}

}  // namespace tavik::enc
