// Sound for a movie that was moved to another frame. A movie's sound runs ahead of its
// pictures (its first frame carries a lead), so after a move the sound that belongs with the
// new frame came with earlier frames; the program that moved the movie hands it in here.
#pragma once

#include <cstdint>

#include "tavik/movie.h"

namespace tavik {

// Puts `count` bytes of track t's sound into its ring, which the move emptied. Playing, they
// play first, ahead of the sound of the frame the movie now stands on, and the pacing counts
// from them as it does from the start of play. Paused (`replay`), they become the last bytes
// of the ring (at most MaxChunk, silence before them), which resuming on the frame the movie
// paused at plays again (`sound` may be null when `count` is 0). False, and nothing written, when
// the track is not open or its ring is not empty (a move that could not reset the sound leaves it
// alone).
bool PutSeekSound(TavikMovie* movie, int t, const uint8_t* sound, uint32_t count, bool replay);

}  // namespace tavik
