// The sound after a seek. A movie's sound runs ahead of its pictures: its first frame carries
// about a second more than a frame's worth, and every later frame brings the sound of a moment
// that far ahead. A movie moved to frame n would so play, with frame n, the sound of a second
// later. This puts the sound that belongs with frame n, which earlier frames brought, ahead of
// it, so that picture and sound go on together from there.
#pragma once

#include <cstdint>

#include "player/desktop/frame_source.h"
#include "tavik/movie.h"

namespace tavik {

// After MoveToFrame(movie, target). Playing: the sound from target x the track's bytes per
// frame up to where frame target's own sound begins is played first. Paused: the loop shows
// frame target without taking its sound and resuming goes on with the frame after it, so the
// bytes that lead up to that frame's sound are what the resume plays again (as after a pause
// on that frame). Does nothing when the source cannot give the sound.
void PutSoundLead(FrameSource& source, TavikMovie* movie, uint32_t target, bool paused);

}  // namespace tavik
