#include "format/header.h"

#include <cstring>

#include "video/trees.h"

namespace tavik {

bool HasMovieMagic(const void* bytes) {
    return std::memcmp(bytes, "TVK2", 4) == 0;
}

uint32_t FrameTimeTicks(int32_t frameRate) {
    if (frameRate < 0) return static_cast<uint32_t>(-static_cast<int64_t>(frameRate));
    return static_cast<uint32_t>(frameRate) * 100u;
}

uint64_t TreeMemoryBytes(const TavikHeader& h) {
    uint64_t bytes = TreeMemorySize();
    for (uint32_t size : h.TreeSizes) bytes += size;
    return bytes;
}

std::string HeaderProblem(const TavikHeader& h) {
    using L = FormatLimits;
    const std::string side = std::to_string(L::kMaxSide);
    if (h.Width == 0 || h.Width > L::kMaxSide)
        return "the width is " + std::to_string(h.Width) + " pixels; movies are 1 to " + side +
               " pixels wide";
    if (h.Height == 0 || h.Height > L::kMaxSide)
        return "the height is " + std::to_string(h.Height) + " pixels; movies are 1 to " + side +
               " pixels high";
    const uint64_t total = uint64_t{h.FrameCount} + (h.Flags & TavikFlagRingFrame);
    if (h.FrameCount == 0 || total > L::kMaxFrameTotal)
        return "the movie has " + std::to_string(total) + " frames; movies have 1 to " +
               std::to_string(L::kMaxFrameTotal) + " frames, the ring frame included";
    // FrameTimeTicks of a positive field that large would wrap: it is checked in 64 bits.
    const int64_t rate = h.FrameRate;
    const uint64_t ticks =
        rate < 0 ? static_cast<uint64_t>(-rate) : static_cast<uint64_t>(rate) * 100;
    if (ticks > L::kMaxFrameTime)
        return "the frame time is " + std::to_string(ticks / 100) +
               " ms; a frame lasts at most one hour";
    for (uint32_t size : h.TreeSizes)
        if (size % 4 != 0 || size < 12)
            return "a tree size of " + std::to_string(size) +
                   " bytes is not a multiple of 4 of at least 12";
    if (h.TreeBlockSize > L::kMaxTreeMemory || TreeMemoryBytes(h) >= L::kMaxTreeMemory)
        return "the trees need " + std::to_string(TreeMemoryBytes(h)) + " bytes; at most " +
               std::to_string(L::kMaxTreeMemory - 1) + " are allowed";
    return {};
}

TrackFormat DescribeTrack(uint32_t word) {
    TrackFormat f;
    f.rate = word & TAVIK_AUDIO_RATE_MASK;
    f.present = (word & TAVIK_AUDIO_PRESENT) && f.rate != 0;
    f.compressed = word & TAVIK_AUDIO_COMPRESSED;
    f.channels = (word & TAVIK_AUDIO_STEREO) ? 2 : 1;
    f.bits = (word & TAVIK_AUDIO_16BIT) ? 16 : 8;
    return f;
}

uint32_t TrackFormatWord(uint32_t rate, bool stereo, bool is16Bit, bool compressed) {
    return (rate & TAVIK_AUDIO_RATE_MASK) | (stereo ? TAVIK_AUDIO_STEREO : 0) |
           (is16Bit ? TAVIK_AUDIO_16BIT : 0) | TAVIK_AUDIO_PRESENT |
           (compressed ? TAVIK_AUDIO_COMPRESSED : 0);
}

}  // namespace tavik
