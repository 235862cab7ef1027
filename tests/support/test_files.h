// Files for the tool tests, written byte by byte: PNG pictures and WAVE sound.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tavik::test {

inline void PutBig32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void PutLittle(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = crc >> 1 ^ (0xEDB88320u & -(crc & 1u));
    }
    return ~crc;
}

inline void PngChunk(std::vector<uint8_t>& png, const char* type,
                     const std::vector<uint8_t>& data) {
    PutBig32(png, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    PutBig32(png, Crc32(body.data(), body.size()));
}

// A PNG with stored deflate blocks: its rows filled with `pixels` (the raw sample bytes, repeated
// as needed), of any colour type and depth; `rgb` is the palette of an indexed one.
inline std::vector<uint8_t> Png(uint32_t w, uint32_t h, const std::vector<uint8_t>& pixels,
                                const std::vector<uint8_t>& rgb, uint8_t colourType = 3,
                                uint8_t depth = 8) {
    std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBig32(header, w);
    PutBig32(header, h);
    header.insert(header.end(), {depth, colourType, 0, 0, 0});
    PngChunk(png, "IHDR", header);
    if (colourType == 3) PngChunk(png, "PLTE", rgb);
    const uint32_t channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    const uint32_t rowBytes = (w * channels * depth + 7) / 8;
    std::vector<uint8_t> raw;
    for (uint32_t y = 0; y < h; ++y) {
        raw.push_back(0);
        for (uint32_t x = 0; x < rowBytes; ++x)
            raw.push_back(pixels[(size_t{y} * rowBytes + x) % pixels.size()]);
    }
    std::vector<uint8_t> z{0x78, 0x01};
    for (size_t at = 0; at < raw.size(); at += 65535) {
        const uint32_t n = static_cast<uint32_t>(std::min<size_t>(65535, raw.size() - at));
        z.push_back(at + n == raw.size() ? 1 : 0);
        PutLittle(z, n, 2);
        PutLittle(z, ~n & 0xFFFF, 2);
        z.insert(z.end(), raw.begin() + static_cast<long>(at),
                 raw.begin() + static_cast<long>(at + n));
    }
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(z, b << 16 | a);
    PngChunk(png, "IDAT", z);
    PngChunk(png, "IEND", {});
    return png;
}

// `format` 1 is integer PCM, 3 floating point.
inline std::vector<uint8_t> Wav(uint32_t rate, uint16_t channels, uint16_t bits,
                                const std::vector<uint8_t>& pcm, uint16_t format = 1) {
    std::vector<uint8_t> wav{'R', 'I', 'F', 'F'};
    PutLittle(wav, 36 + static_cast<uint32_t>(pcm.size()), 4);
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLittle(wav, 16, 4);
    PutLittle(wav, format, 2);
    PutLittle(wav, channels, 2);
    PutLittle(wav, rate, 4);
    PutLittle(wav, rate * channels * bits / 8, 4);
    PutLittle(wav, channels * bits / 8, 2);
    PutLittle(wav, bits, 2);
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    PutLittle(wav, static_cast<uint32_t>(pcm.size()), 4);
    wav.insert(wav.end(), pcm.begin(), pcm.end());
    return wav;
}

}  // namespace tavik::test
