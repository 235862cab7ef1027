#include "audio/audio_decoder.h"

#include <cstring>

#include "video/bit_reader.h"
#include "video/byte_tree.h"

namespace tavik {
namespace {

constexpr uint32_t kTreeStride = 2048 / sizeof(uint32_t);  // entries between trees in the area

// Stores one sample frame, splitting it at the ring's end when the write position does not sit
// on a sample-frame boundary (only a chunk whose format disagrees with its track does that).
template <uint32_t F>
inline uint8_t* StoreFrame(uint8_t* at, const uint8_t* frame, uint8_t* ringStart,
                           uint8_t* ringEnd) {
    if (static_cast<uint32_t>(ringEnd - at) > F) {
        std::memcpy(at, frame, F);
        return at + F;
    }
    for (uint32_t i = 0; i < F; ++i) {
        *at++ = frame[i];
        if (at == ringEnd) at = ringStart;
    }
    return at;
}

// Decodes `frames` sample frames. The running value of each channel starts from the stored first
// frame; each later frame adds its deltas per channel (8-bit: modulo 256; 16-bit: low byte plus
// 256 x high byte, modulo 65536), so a carry never crosses into the other channel.
template <bool Stereo, bool Wide>
uint32_t DecodeFrames(BitReader& bits, const uint32_t* trees, uint32_t frames, uint8_t* ringStart,
                      uint8_t* ringEnd, uint8_t* at) {
    constexpr uint32_t kChannels = Stereo ? 2 : 1;
    constexpr uint32_t kSampleBytes = Wide ? 2 : 1;
    constexpr uint32_t F = kChannels * kSampleBytes;

    // The first frame is stored as plain bytes, last byte first.
    uint8_t frame[F];
    for (uint32_t i = F; i-- > 0;) frame[i] = static_cast<uint8_t>(bits.Bits(8));
    if (bits.overrun) return 0;
    at = StoreFrame<F>(at, frame, ringStart, ringEnd);

    uint32_t value[kChannels];
    for (uint32_t c = 0; c < kChannels; ++c)
        value[c] = Wide ? frame[2 * c] | (frame[2 * c + 1] << 8) : frame[c];

    uint32_t done = 1;
    for (; done < frames; ++done) {
        for (uint32_t c = 0; c < kChannels; ++c) {
            const uint32_t* tree = trees + c * kSampleBytes * kTreeStride;
            if constexpr (Wide) {
                const uint32_t low = ReadTreeByte(bits, tree);
                const uint32_t high = ReadTreeByte(bits, tree + kTreeStride);
                value[c] = (value[c] + low + (high << 8)) & 0xFFFF;
                frame[2 * c] = static_cast<uint8_t>(value[c]);
                frame[2 * c + 1] = static_cast<uint8_t>(value[c] >> 8);
            } else {
                value[c] = (value[c] + ReadTreeByte(bits, tree)) & 0xFF;
                frame[c] = static_cast<uint8_t>(value[c]);
            }
        }
        // A frame whose bits ran past the chunk is not sound: stop before storing it.
        if (bits.overrun) break;
        at = StoreFrame<F>(at, frame, ringStart, ringEnd);
    }
    return done * F;
}

}  // namespace

uint32_t DecodeAudio(const uint8_t* source, uint32_t sourceSize, uint32_t size, uint8_t* treeArea,
                     uint8_t* ringStart, uint8_t* ringEnd, uint8_t* write) {
    if (!source || !treeArea || reinterpret_cast<uintptr_t>(treeArea) % alignof(uint32_t) ||
        !ringStart || ringEnd <= ringStart || write < ringStart || write >= ringEnd)
        return 0;
    BitReader bits(source, sourceSize);
    if (!bits.Bit()) return 0;  // the chunk holds no sound
    const bool stereo = bits.Bit();
    const bool wide = bits.Bit();
    const uint32_t frameBytes = (stereo ? 2u : 1u) * (wide ? 2u : 1u);

    // The tree area is only a byte array to the caller; the entries need 4-byte alignment.
    uint32_t* trees = reinterpret_cast<uint32_t*>(treeArea);
    for (uint32_t i = 0; i < frameBytes; ++i) {
        bits.Bit();  // every audio tree is present; its presence bit carries nothing
        if (!ReadByteTree(bits, trees + i * kTreeStride)) return 0;
    }

    // More than one ring's worth would only overwrite itself.
    const uint32_t ringBytes = static_cast<uint32_t>(ringEnd - ringStart);
    const uint32_t frames = (size < ringBytes ? size : ringBytes) / frameBytes;
    if (frames == 0) return 0;
    if (stereo)
        return wide ? DecodeFrames<true, true>(bits, trees, frames, ringStart, ringEnd, write)
                    : DecodeFrames<true, false>(bits, trees, frames, ringStart, ringEnd, write);
    return wide ? DecodeFrames<false, true>(bits, trees, frames, ringStart, ringEnd, write)
                : DecodeFrames<false, false>(bits, trees, frames, ringStart, ringEnd, write);
}

}  // namespace tavik
