// Setting up the current frame: the wrap, locating its chunks, taking over its palette.
#include <cstring>

#include "audio/sound_hooks.h"
#include "format/frame_chunks.h"
#include "core/movie_internal.h"
#include "video/palette_decoder.h"

namespace tavik {
namespace {

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

void LocateChunks(TavikMovie* m, uint8_t type, uint32_t frameSize, bool& paletteFits) {
    const FrameChunks chunks =
        LocateFrameChunks(m->FramePtr, frameSize, type, m->Header.AudioFormat);
    m->PaletteChunk = m->FramePtr;
    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t)
        m->AudioChunks[t] = const_cast<uint8_t*>(chunks.audio[t]);
    paletteFits = chunks.paletteFits;
    m->VideoChunk = const_cast<uint8_t*>(chunks.video);
    m->VideoOffset = static_cast<uint32_t>(chunks.video - m->FramePtr);
    m->VideoSize = chunks.videoSize;
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
