// The bit reader of video chunks: a 64-bit window refilled with whole 64-bit loads, least
// significant bit first. The stream is the chunk's bytes up to `end` (the chunk rounded down to
// whole 32-bit words, plus 8 bytes of the readable margin), then zero bits; the caller notices by
// Exhausted() that the data ran out.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace tavik {

class VideoBitStream {
  public:
    VideoBitStream(const uint8_t* data, uint32_t size)
        : data_(data), end_(uint64_t{size / 4} * 4 + 8), sizeBits_(uint64_t{size} * 8) {}

    // Makes at least 56 bits available without a loop: the window takes the next 8 bytes above
    // its unread bits and keeps the whole bytes that fit. Bits above the unread ones are always
    // the stream's next bits, so loading them again changes nothing.
    [[gnu::always_inline]] void Refill() {
        const uint64_t word =
            next_ + 8 <= end_ ? Load64(data_ + next_) : TailWord(data_, next_, end_);
        window_ |= word << available_;
        next_ += (63 - available_) >> 3;
        available_ |= 56;
    }
    // Makes at least `count` bits (at most 56) available.
    [[gnu::always_inline]] void TopUp(uint32_t count) {
        if (available_ < count) Refill();
    }

    uint64_t Peek() const { return window_; }
    uint32_t Available() const { return available_; }
    // Takes `count` bits, at most as many as are available.
    [[gnu::always_inline]] void Skip(uint32_t count) {
        window_ >>= count;
        available_ -= count;
    }
    // One bit, refilling when the window is empty (walks past the lookup table).
    [[gnu::always_inline]] uint32_t Bit() {
        if (available_ == 0) Refill();
        const uint32_t bit = static_cast<uint32_t>(window_) & 1;
        Skip(1);
        return bit;
    }

    uint64_t Consumed() const { return next_ * 8 - available_; }
    // True once more bits were taken than the chunk holds.
    bool Exhausted() const { return Consumed() > sizeBits_; }

  private:
    static uint64_t Load64(const uint8_t* p) {
        uint64_t v;
        std::memcpy(&v, p, 8);
        if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
        return v;
    }
    // The 8 stream bytes at `next` near the end: zero from `end` on. Out of line and given
    // plain values, so that the reader itself can stay in registers.
    [[gnu::noinline]] static uint64_t TailWord(const uint8_t* data, uint64_t next, uint64_t end) {
        uint64_t word = 0;
        for (uint64_t i = 0; i < 8 && next + i < end; ++i) {
            word |= uint64_t{data[next + i]} << (8 * i);
        }
        return word;
    }

    const uint8_t* data_;
    uint64_t end_;  // byte offset where the zero bits begin
    uint64_t sizeBits_;
    uint64_t window_ = 0;
    uint64_t next_ = 0;  // byte offset of the first byte not yet in the unread bits
    uint32_t available_ = 0;
};

}  // namespace tavik
