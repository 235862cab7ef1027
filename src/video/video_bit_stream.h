// The bit reader of video chunks: a 64-bit window topped up 32 bits at a time, least significant
// bit first. Loads never reach past the chunk's 8 readable bytes of margin; beyond that the
// window fills with zero bits, and the caller notices by Exhausted() that the data ran out.
#pragma once

#include <cstdint>

#include "video/tree_memory.h"

namespace tavik {

class VideoBitStream {
  public:
    VideoBitStream(const uint8_t* data, uint32_t size)
        : data_(data), lastLoad_(static_cast<uint64_t>(size) + 4), sizeBits_(uint64_t{size} * 8) {}

    // Makes at least 32 bits available.
    void TopUp() {
        if (available_ < 32) Refill();
    }
    void Refill() {
        const uint32_t word = next_ <= lastLoad_ ? Load32(data_ + next_) : 0;
        window_ |= static_cast<uint64_t>(word) << available_;
        next_ += 4;
        available_ += 32;
    }

    uint32_t Peek() const { return static_cast<uint32_t>(window_); }
    void Skip(uint32_t count) {
        window_ >>= count;
        available_ -= count;
    }
    // One bit, refilling when the window is empty (walks past the lookup table).
    uint32_t Bit() {
        if (available_ == 0) Refill();
        const uint32_t bit = static_cast<uint32_t>(window_) & 1;
        Skip(1);
        return bit;
    }

    uint64_t Consumed() const { return next_ * 8 - available_; }
    // True once more bits were taken than the chunk holds.
    bool Exhausted() const { return Consumed() > sizeBits_; }

  private:
    const uint8_t* data_;
    uint64_t lastLoad_;  // the last byte offset from which a 4-byte load stays in bounds
    uint64_t sizeBits_;
    uint64_t window_ = 0;
    uint64_t next_ = 0;  // byte offset of the next load
    uint32_t available_ = 0;
};

}  // namespace tavik
