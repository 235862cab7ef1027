// Setting up the current frame: the wrap, locating its chunks, taking over its palette.
#include <cstring>

#include "audio/sound_hooks.h"
#include "core/movie_internal.h"
#include "video/palette_decoder.h"

namespace tavik {
namespace {

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Moves the reader to FrameNum after a wrap (it is 0 or 1 then).
void Reposition(TavikMovie* m) {
    if (m->FrameNum == 0) {
        std::memset(m->Palette, 0, sizeof m->Palette);
        ResetSoundOnRewind(m);
    }
    uint32_t offset = 0;
    for (uint32_t i = 0; i < m->FrameNum; ++i) offset += m->FrameSizes[i];
    if (Preloaded(m))
        m->FramePtr = m->IOBuffer + offset;
    else
        TavikSeekFrames(m, offset);
}

// Finds the chunks of the current frame. A chunk whose length runs past the frame's end makes
// the frame malformed: that chunk and every one after it, the video chunk included, are dropped.
void LocateChunks(TavikMovie* m, uint8_t type, uint32_t frameSize, bool& paletteFits) {
    uint8_t* p = m->FramePtr;
    uint8_t* const end = m->FramePtr + frameSize;
    m->PaletteChunk = p;
    for (auto& chunk : m->AudioChunks) chunk = nullptr;
    paletteFits = false;
    bool sound = true;
    if (type & 1) {
        const uint32_t length = p < end ? uint32_t{*p} * 4 : 0;
        sound = length != 0 && length <= static_cast<uint32_t>(end - p);
        if (sound) {
            paletteFits = true;
            p += length;
        }
    }
    for (int t = 0; sound && t < TAVIK_MAX_TRACKS; ++t) {
        if (!(type & (2u << t))) continue;
        const uint32_t left = static_cast<uint32_t>(end - p);
        const uint32_t least = (m->Header.AudioFormat[t] & TAVIK_AUDIO_COMPRESSED) ? 8 : 4;
        const uint32_t length = left >= 4 ? ReadU32(p) : 0;
        if (left < least || length < least || length > left) {
            sound = false;
            break;
        }
        m->AudioChunks[t] = p;
        p += length;
    }
    if (!sound) p = end;
    m->VideoChunk = p;
    m->VideoOffset = static_cast<uint32_t>(p - m->FramePtr);
    m->VideoSize = static_cast<uint32_t>(end - p);
}

}  // namespace

void SetUpFrame(TavikMovie* m) {
    m->WaitDone = 0;
    const TavikHeader& h = m->Header;
    if (m->FrameNum >= h.FrameCount) {
        if ((h.Flags & TavikFlagRingFrame) && m->FrameNum == h.FrameCount) {
            TavikReadFrame(m);
        } else {
            m->FrameNum = (h.Flags & TavikFlagRingFrame) ? 1 : 0;
            Reposition(m);
        }
    }
    const uint32_t frameSize = m->FrameSizes[m->FrameNum];
    const uint8_t type = m->FrameTypes[m->FrameNum];
    bool paletteFits = false;
    LocateChunks(m, type, frameSize, paletteFits);
    m->NewPalette = 0;
    if (type & 1) {
        if (paletteFits) DecodePaletteChunk(m->PaletteChunk, frameSize, m->Palette);
        if (m->PaletteFrame != static_cast<int32_t>(m->FrameNum)) {
            m->NewPalette = 1;
            m->RemapPending = 1;
        }
    }
}

}  // namespace tavik
