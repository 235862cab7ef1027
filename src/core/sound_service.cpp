// Small switches of the movie core used from outside it.
#include "audio/sound_hooks.h"
#include "tavik/movie.h"
#include "video/frame_helpers.h"

extern "C" {

void TavikServiceSound(void) {
    tavik::ServiceSound();
}

uint32_t TavikUseMMX(uint32_t on) {
    return tavik::UseMMX(on);
}
}
