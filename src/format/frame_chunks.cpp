#include "format/frame_chunks.h"

#include <cstring>

namespace tavik {

FrameChunks LocateFrameChunks(const uint8_t* frame, uint32_t size, uint8_t type,
                              const uint32_t* audioFormats) {
    const FrameLayout layout =
        WalkFrameChunks(size, type, audioFormats, [frame](uint32_t at, void* to, uint32_t n) {
            std::memcpy(to, frame + at, n);
            return true;
        });
    FrameChunks chunks;
    chunks.paletteFits = layout.paletteFits;
    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t)
        if (layout.audioAt[t] != FrameLayout::kAbsent) chunks.audio[t] = frame + layout.audioAt[t];
    chunks.video = frame + layout.videoAt;
    chunks.videoSize = layout.videoSize;
    chunks.damage = layout.damage;
    chunks.damagedTrack = layout.damagedTrack;
    return chunks;
}

}  // namespace tavik
