#include "audio/sound_ring.h"

#include <algorithm>
#include <cstring>

namespace tavik {

// Each routine works piecewise up to the ring's end, so any count stays inside the ring; a count
// beyond the ring's size simply goes round again. An empty ring takes and gives nothing.

uint8_t* CopyFromRing(uint8_t* destination, uint8_t* read, uint8_t* ringStart, uint8_t* ringEnd,
                      uint32_t count) {
    if (ringEnd <= ringStart) return read;
    while (count) {
        if (read == ringEnd) read = ringStart;
        const uint32_t piece = std::min(count, static_cast<uint32_t>(ringEnd - read));
        std::memcpy(destination, read, piece);
        destination += piece;
        read += piece;
        count -= piece;
        if (read == ringEnd) read = ringStart;
    }
    return read;
}

uint8_t* CopyIntoRing(uint8_t* write, const uint8_t* source, uint8_t* ringStart, uint8_t* ringEnd,
                      uint32_t count) {
    if (ringEnd <= ringStart) return write;
    while (count) {
        if (write == ringEnd) write = ringStart;
        const uint32_t piece = std::min(count, static_cast<uint32_t>(ringEnd - write));
        std::memcpy(write, source, piece);
        source += piece;
        write += piece;
        count -= piece;
        if (write == ringEnd) write = ringStart;
    }
    return write;
}

uint8_t* FillRing(uint8_t* write, uint8_t value, uint8_t* ringStart, uint8_t* ringEnd,
                  uint32_t count) {
    if (ringEnd <= ringStart) return write;
    while (count) {
        if (write == ringEnd) write = ringStart;
        const uint32_t piece = std::min(count, static_cast<uint32_t>(ringEnd - write));
        std::memset(write, value, piece);
        write += piece;
        count -= piece;
        if (write == ringEnd) write = ringStart;
    }
    return write;
}

}  // namespace tavik
