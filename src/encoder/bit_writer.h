// Writes a bit stream least significant bit first, bytes in order: the first bit written is bit 0
// of the first byte, and a field of n bits is written from its least significant bit up.
#pragma once

#include <cstdint>
#include <vector>

namespace tavik::enc {

class BitWriter {
  public:
    // Appends the low `count` bits of `value` (count at most 32).
    void Put(uint32_t value, unsigned count) {
        if (count == 0) return;
        pending_ |= static_cast<uint64_t>(value & Mask(count)) << pendingBits_;
        pendingBits_ += count;
        while (pendingBits_ >= 8) {
            bytes_.push_back(static_cast<uint8_t>(pending_));
            pending_ >>= 8;
            pendingBits_ -= 8;
        }
        bitCount_ += count;
    }
    void Bit(bool bit) { Put(bit ? 1u : 0u, 1); }

    uint64_t BitCount() const { return bitCount_; }

    // The stream so far, its last byte filled up with 0 bits, then zero bytes up to a multiple
    // of `alignment` bytes.
    std::vector<uint8_t> Finish(unsigned alignment = 1) {
        if (pendingBits_ > 0) bytes_.push_back(static_cast<uint8_t>(pending_));
        pending_ = 0;
        pendingBits_ = 0;
        while (bytes_.size() % alignment != 0) bytes_.push_back(0);
        std::vector<uint8_t> out = std::move(bytes_);
        bytes_.clear();
        bitCount_ = 0;
        return out;
    }

  private:
    static uint32_t Mask(unsigned count) { return count >= 32 ? 0xFFFFFFFFu : (1u << count) - 1; }

    std::vector<uint8_t> bytes_;
    uint64_t pending_ = 0;
    unsigned pendingBits_ = 0;
    uint64_t bitCount_ = 0;
};

}  // namespace tavik::enc
