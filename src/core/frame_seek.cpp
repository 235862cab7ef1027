// Seeking an open movie: the rewind's repositioning, to any frame.
#include "core/frame_seek.h"

#include "audio/sound_hooks.h"
#include "core/movie_internal.h"

namespace tavik {

void MoveToFrame(TavikMovie* m, uint32_t frame) {
    if (!m || frame >= m->Header.FrameCount) return;
    CloseFrameTimes(m);
    // A paused movie's tracks are resumed for the reset and paused again after it, so that
    // their records stay as a pause leaves them.
    const bool paused = m->Paused != 0;
    if (paused) SetSoundPlaying(m, 1);
    ResetSoundOnRewind(m);
    m->SyncPending = 0;
    m->NextDue = TAVIK_NOT_STARTED;
    m->ReadError = 0;
    uint32_t offset = 0;
    for (uint32_t i = 0; i < frame; ++i) offset += m->FrameSizes[i];
    m->FrameNum = frame;
    // The palette in force is the caller's; a palette chunk of this frame is news again.
    m->PaletteFrame = -1;
    if (Preloaded(m)) {
        m->FramePtr = m->IOBuffer + offset;
    } else {
        TavikSeekFrames(m, offset);
    }
    SetUpFrame(m);
    if (paused) SetSoundPlaying(m, 0);
}

}  // namespace tavik
