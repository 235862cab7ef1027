// Moving an open movie to any frame, for players that seek. Not used by the original player.
#pragma once

#include <cstdint>

#include "tavik/movie.h"

namespace tavik {

// Makes `frame` (below FrameCount) the current, set-up frame, as the rewind at the end of the
// movie does for frame 0: the reader moves there, the sound tracks start over empty (their next
// sound is this frame's) and the pacing starts afresh. The picture in the destination and the
// palette are left alone: the caller puts there what the frame before `frame` showed (the
// movie's Palette is taken as that frame's palette). A pause stays in force.
void MoveToFrame(TavikMovie* movie, uint32_t frame);

}  // namespace tavik
