// Writing 4x4 blocks into the destination, for 8-bit or 16-bit pixels and for one or two lines
// per pixel row. Each block row is stored as whole words: one 32-bit word of 8-bit pixels, or
// one 64-bit word of 16-bit pixels.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace tavik {

static_assert(std::endian::native == std::endian::little,
              "pixel words are assembled with the leftmost pixel in the low bits");

// Per mask byte: bytes 0-3 select the pixels of the upper row (mask bits 0-3), bytes 4-7 those
// of the lower row (bits 4-7); 0xFF picks colour B.
constexpr std::array<uint64_t, 256> MakeRowPairMasks() {
    std::array<uint64_t, 256> table{};
    for (uint32_t m = 0; m < 256; ++m) {
        for (uint32_t bit = 0; bit < 8; ++bit) {
            if (m >> bit & 1) table[m] |= uint64_t{0xFF} << (8 * bit);
        }
    }
    return table;
}
inline constexpr std::array<uint64_t, 256> kRowPairMasks = MakeRowPairMasks();

// Per mask nibble: the 16-bit lanes of one row that take colour B.
constexpr std::array<uint64_t, 16> MakeWideRowMasks() {
    std::array<uint64_t, 16> table{};
    for (uint32_t m = 0; m < 16; ++m) {
        for (uint32_t bit = 0; bit < 4; ++bit) {
            if (m >> bit & 1) table[m] |= uint64_t{0xFFFF} << (16 * bit);
        }
    }
    return table;
}
inline constexpr std::array<uint64_t, 16> kWideRowMasks = MakeWideRowMasks();

template <bool kWide, bool kDoubled>
struct BlockPixels {
    using Row = std::conditional_t<kWide, uint64_t, uint32_t>;
    static constexpr ptrdiff_t kBlockBytes = sizeof(Row);
    static constexpr ptrdiff_t kLinesPerRow = kDoubled ? 2 : 1;
    static constexpr ptrdiff_t kLinesPerBlock = 4 * kLinesPerRow;

    const uint16_t* colours;  // 16-bit pixels only
    ptrdiff_t line;           // bytes from one written line to the next

    void PutRow(uint8_t* block, ptrdiff_t row, Row pixels) const {
        uint8_t* at = block + row * kLinesPerRow * line;
        std::memcpy(at, &pixels, sizeof pixels);
        if constexpr (kDoubled) std::memcpy(at + line, &pixels, sizeof pixels);
    }

    // colourPair: A in the low byte, B in the high byte; mask bit 4r+c set means B at (r, c).
    void TwoColour(uint8_t* block, uint32_t colourPair, uint32_t mask) const {
        if constexpr (kWide) {
            const uint64_t a = colours[colourPair & 0xFF];
            const uint64_t b = colours[colourPair >> 8 & 0xFF];
            const uint64_t base = a * 0x0001000100010001ull;
            const uint64_t flip = (a ^ b) * 0x0001000100010001ull;
            for (ptrdiff_t r = 0; r < 4; ++r) {
                PutRow(block, r, base ^ (flip & kWideRowMasks[mask >> (4 * r) & 15]));
            }
        } else {
            const uint64_t a = colourPair & 0xFF;
            const uint64_t b = colourPair >> 8 & 0xFF;
            const uint64_t base = a * 0x0101010101010101ull;
            const uint64_t flip = (a ^ b) * 0x0101010101010101ull;
            const uint64_t upper = base ^ (flip & kRowPairMasks[mask & 0xFF]);
            const uint64_t lower = base ^ (flip & kRowPairMasks[mask >> 8 & 0xFF]);
            PutRow(block, 0, static_cast<uint32_t>(upper));
            PutRow(block, 1, static_cast<uint32_t>(upper >> 32));
            PutRow(block, 2, static_cast<uint32_t>(lower));
            PutRow(block, 3, static_cast<uint32_t>(lower >> 32));
        }
    }

    // One row of a full block: `right` was decoded first (columns 2, 3), `left` second (0, 1).
    Row FullRow(uint32_t right, uint32_t left) const {
        if constexpr (kWide) {
            return static_cast<uint64_t>(colours[left & 0xFF]) |
                   static_cast<uint64_t>(colours[left >> 8 & 0xFF]) << 16 |
                   static_cast<uint64_t>(colours[right & 0xFF]) << 32 |
                   static_cast<uint64_t>(colours[right >> 8 & 0xFF]) << 48;
        } else {
            return (left & 0xFFFF) | right << 16;
        }
    }

    // `count` blocks of one colour, side by side in one block row, filled line by line.
    void Solid(uint8_t* block, uint32_t count, uint32_t colour) const {
        const size_t bytes = static_cast<size_t>(count) * kBlockBytes;
        if constexpr (kWide) {
            const uint64_t fill = colours[colour & 0xFF] * 0x0001000100010001ull;
            for (ptrdiff_t l = 0; l < kLinesPerBlock; ++l) {
                uint8_t* at = block + l * line;
                for (size_t i = 0; i < bytes; i += 8) std::memcpy(at + i, &fill, 8);
            }
        } else {
            for (ptrdiff_t l = 0; l < kLinesPerBlock; ++l) {
                std::memset(block + l * line, static_cast<int>(colour & 0xFF), bytes);
            }
        }
    }
};

}  // namespace tavik
