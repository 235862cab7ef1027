#include "core/frame_chunks.h"

namespace tavik {
namespace {

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

FrameChunks LocateFrameChunks(const uint8_t* frame, uint32_t size, uint8_t type,
                              const uint32_t* audioFormats) {
    FrameChunks chunks;
    const uint8_t* p = frame;
    const uint8_t* const end = frame + size;
    bool sound = true;
    if (type & 1) {
        const uint32_t length = p < end ? uint32_t{*p} * 4 : 0;
        sound = length != 0 && length <= static_cast<uint32_t>(end - p);
        if (sound) {
            chunks.paletteFits = true;
            p += length;
        }
    }
    for (int t = 0; sound && t < TAVIK_MAX_TRACKS; ++t) {
        if (!(type & (2u << t))) continue;
        const uint32_t left = static_cast<uint32_t>(end - p);
        const uint32_t least = (audioFormats[t] & TAVIK_AUDIO_COMPRESSED) ? 8 : 4;
        const uint32_t length = left >= 4 ? ReadU32(p) : 0;
        if (left < least || length < least || length > left) {
            sound = false;
            break;
        }
        chunks.audio[t] = p;
        p += length;
    }
    if (!sound) p = end;
    chunks.video = p;
    chunks.videoSize = static_cast<uint32_t>(end - p);
    return chunks;
}

}  // namespace tavik
