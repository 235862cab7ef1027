// The movie engine's own functions for the player.
#include "player/movie_link.h"

namespace tavik {

const MovieCalls& EngineMovieCalls() {
    static constexpr MovieCalls kEngine = {
        TavikOpen,       TavikClose,        TavikDecodeFrame,  TavikAdvance,    TavikNotYetDue,
        TavikSetPlaying, TavikSetFrameRate, TavikSetReadSpeed, TavikGetSummary, TavikSetDest,
        TavikNextRect,   TavikRemap,        TavikUseMMX,       TavikSeek};
    return kEngine;
}

}  // namespace tavik
