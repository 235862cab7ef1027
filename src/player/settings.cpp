// The settings at start.
#include "player/settings.h"

#include "player/self_play.h"

namespace tavik {

PlayerSettings DefaultSettings() {
    PlayerSettings s;
    // These two live in the self-play block, so a patched program can preset them.
    s.frameInCaption = SelfPlayFrameInCaption() != 0;
    s.displayResolution = SelfPlayDisplayResolution();
    return s;
}

}  // namespace tavik
