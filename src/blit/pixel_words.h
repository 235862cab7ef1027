// Whole-word loads and stores for the pixel loops, in either byte order.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace tavik {

inline constexpr bool kLittleEndian = std::endian::native == std::endian::little;
static_assert(kLittleEndian || std::endian::native == std::endian::big);

template <typename Word>
inline Word LoadWord(const uint8_t* p) {
    Word word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

template <typename Word>
inline void StoreWord(uint8_t* p, Word word) {
    std::memcpy(p, &word, sizeof word);
}

// Doubles every byte of a loaded 32-bit word: memory order b0 b1 b2 b3 becomes
// b0 b0 b1 b1 b2 b2 b3 b3. The spread works on numeric byte positions, and a native load and a
// native store map those to memory order the same way, so it holds in both byte orders.
inline uint64_t DoubleBytes(uint32_t four) {
    uint64_t word = four;
    word = (word | word << 16) & 0x0000FFFF0000FFFFull;
    word = (word | word << 8) & 0x00FF00FF00FF00FFull;
    return word | word << 8;
}

// The half of a loaded 64-bit word that holds its first (or last) four bytes in memory order.
inline uint32_t FirstHalf(uint64_t word) {
    return static_cast<uint32_t>(kLittleEndian ? word : word >> 32);
}
inline uint32_t SecondHalf(uint64_t word) {
    return static_cast<uint32_t>(kLittleEndian ? word >> 32 : word);
}

// A native 64-bit word holding four 16-bit pixels in memory order.
inline uint64_t JoinPixels(uint64_t p0, uint64_t p1, uint64_t p2, uint64_t p3) {
    return kLittleEndian ? p0 | p1 << 16 | p2 << 32 | p3 << 48
                         : p0 << 48 | p1 << 32 | p2 << 16 | p3;
}

// A 16-bit pixel twice side by side.
inline uint32_t PixelPair(uint32_t pixel) {
    return pixel | pixel << 16;
}

// A native 64-bit word holding two 32-bit pairs in memory order.
inline uint64_t JoinPairs(uint64_t first, uint64_t second) {
    return kLittleEndian ? first | second << 32 : first << 32 | second;
}

}  // namespace tavik
