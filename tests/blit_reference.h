// A pixel-by-pixel model of the blitter's output, written from the rules rather than the loops,
// and the random pictures and palettes the blitter tests feed it.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace tavik::testing {

// Everything a rectangle's output depends on besides the mode.
struct BlitTables {
    const uint16_t* colours = nullptr;   // palette index to 16-bit pixel
    const uint8_t* smooth8 = nullptr;    // 256 x 256
    const uint16_t* smooth16 = nullptr;  // 256 x 256
};

inline std::vector<uint8_t> RandomBytes(std::mt19937& random, size_t count) {
    std::vector<uint8_t> bytes(count);
    for (auto& byte : bytes) byte = static_cast<uint8_t>(random());
    return bytes;
}

inline uint16_t ReferencePixel(int r, int g, int b, bool sixFiveFive) {
    return static_cast<uint16_t>(sixFiveFive ? (r / 8) * 2048 + (g / 4) * 32 + b / 8
                                             : (r / 8) * 1024 + (g / 8) * 32 + b / 8);
}

inline std::vector<uint16_t> ReferenceColourTable(const uint8_t* palette, bool sixFiveFive) {
    std::vector<uint16_t> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] =
            ReferencePixel(palette[3 * i], palette[3 * i + 1], palette[3 * i + 2], sixFiveFive);
    return table;
}

// Writes what Blit writes, one output pixel at a time. Rows of the destination are pitch bytes
// apart starting at destination; rows of the source sourcePitch apart starting at source.
inline void ReferenceBlit(uint32_t mode, const BlitTables& tables, uint8_t* destination,
                          ptrdiff_t pitch, uint32_t destinationX, uint32_t destinationY,
                          uint32_t sourceX, ptrdiff_t sourcePitch, const uint8_t* source,
                          uint32_t sourceY, uint32_t width, uint32_t height) {
    const bool sixteen = mode >= 6;
    const uint32_t kind = mode % 6;  // 0 1x, 1 2x, 2 interlaced, 3 smoothing
    const ptrdiff_t scale = kind == 0 ? 1 : 2;
    auto put = [&](ptrdiff_t row, ptrdiff_t column, uint32_t value) {
        const uint16_t pixel = static_cast<uint16_t>(value);  // little-endian: low byte first
        std::memcpy(destination + row * pitch + column * (sixteen ? 2 : 1), &pixel,
                    sixteen ? 2 : 1);
    };
    auto pixelAt = [&](uint32_t row, uint32_t column) {
        return source[ptrdiff_t(sourceY + row) * sourcePitch + sourceX + column];
    };
    for (uint32_t j = 0; j < height; ++j) {
        for (uint32_t i = 0; i < width; ++i) {
            const uint32_t c = pixelAt(j, i);
            const ptrdiff_t row = scale * (destinationY + j);
            const ptrdiff_t column = scale * (destinationX + i);
            if (kind == 3) {
                const uint32_t l = i == 0 ? c : pixelAt(j, i - 1);
                const uint32_t u = j == 0 ? c : pixelAt(j - 1, i);
                auto t = [&](uint32_t a, uint32_t b) -> uint32_t {
                    return sixteen ? tables.smooth16[a * 256 + b] : tables.smooth8[a * 256 + b];
                };
                put(row, column, t(l, u));
                put(row, column + 1, t(c, u));
                put(row + 1, column, t(c, l));
                put(row + 1, column + 1, sixteen ? t(c, c) : c);
                continue;
            }
            const uint32_t value = sixteen ? tables.colours[c] : c;
            for (ptrdiff_t dy = 0; dy < (kind == 1 ? 2 : 1); ++dy)
                for (ptrdiff_t dx = 0; dx < scale; ++dx) put(row + dy, column + dx, value);
        }
    }
}

}  // namespace tavik::testing
