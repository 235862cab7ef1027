// A bounds-checked least-significant-bit-first reader for tree blocks and audio chunks.
// Reading past the end yields zero bits and sets `overrun`; nothing outside the data is touched.
#pragma once

#include <cstdint>
#include <cstring>

namespace tavik {

struct BitReader {
    const uint8_t* data = nullptr;
    uint32_t size = 0;  // bytes that belong to the stream
    uint64_t pos = 0;   // bit position
    bool overrun = false;

    BitReader() = default;
    BitReader(const uint8_t* d, uint32_t n) : data(d), size(n) {}

    uint32_t Bit() {
        const uint64_t byte = pos >> 3;
        if (byte >= size) {
            overrun = true;
            return 0;
        }
        const uint32_t bit = (data[byte] >> (pos & 7)) & 1u;
        ++pos;
        return bit;
    }

    // Up to 32 bits, the first read as the least significant.
    uint32_t Bits(unsigned count) {
        uint32_t value = 0;
        for (unsigned i = 0; i < count; ++i) value |= Bit() << i;
        return value;
    }

    // The next `count` bits (at most 32) without taking them; zeros past the end.
    uint32_t Peek(unsigned count) const {
        const uint64_t byte = pos >> 3;
        uint64_t window = 0;
        if (byte + 8 <= size) {
            uint8_t bytes[8];
            std::memcpy(bytes, data + byte, 8);
            for (int i = 7; i >= 0; --i) window = window << 8 | bytes[i];
        } else {
            for (uint64_t i = 0; byte + i < size && i < 8; ++i) {
                window |= static_cast<uint64_t>(data[byte + i]) << (8 * i);
            }
        }
        window >>= pos & 7;
        return count >= 32 ? static_cast<uint32_t>(window)
                           : static_cast<uint32_t>(window) & ((1u << count) - 1);
    }
    // Takes `count` bits that Peek showed; taking bits past the end sets `overrun`.
    void Skip(unsigned count) {
        pos += count;
        if (pos > static_cast<uint64_t>(size) * 8) overrun = true;
    }

    uint64_t BitsLeft() const {
        const uint64_t total = static_cast<uint64_t>(size) * 8;
        return pos >= total ? 0 : total - pos;
    }
};

}  // namespace tavik
