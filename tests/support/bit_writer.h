// Writes a bit stream least significant bit first, bytes in order: the bit order of tree
// blocks and of video and audio chunks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavik::test {

class BitWriter {
  public:
    void Bit(uint32_t bit) {
        if (count_ % 8 == 0) bytes_.push_back(0);
        if (bit & 1) bytes_.back() |= static_cast<uint8_t>(1u << (count_ % 8));
        ++count_;
    }
    // A field of `width` bits: the value's least significant bit first (zeros beyond 64).
    void Bits(uint64_t value, unsigned width) {
        for (unsigned i = 0; i < width; ++i)
            Bit(i < 64 ? static_cast<uint32_t>(value >> i) & 1 : 0);
    }
    // Bits in stream order, written as '0' and '1' characters.
    void Code(const std::string& bits) {
        for (char c : bits) Bit(c == '1');
    }

    size_t BitCount() const { return count_; }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
    size_t count_ = 0;
};

}  // namespace tavik::test
