// What a program may add to the player around its main loop (the native program's seeking,
// screenshots, volume, overlay and dropped files). The loop calls these at fixed points and only
// when a program installed them; without them it runs exactly as it always has.
#pragma once

#include <cstdint>
#include <string>

#include "tavik/movie.h"

namespace tavik {

class PlayerExtras {
  public:
    virtual ~PlayerExtras() = default;
    // The movie is open, its window ready and its destination set. `name` as on the command
    // line, `file` the file opened (empty for the self-play movie). May pause (`paused` 0xFF,
    // the movie's sound paused) or seek.
    virtual void MovieStarted(TavikMovie* movie, const std::string& name, const std::string& file,
                              uint8_t& paused) = 0;
    // After a frame was decoded and shown.
    virtual void FrameShown(TavikMovie* movie, bool paused) = 0;
    // A key code the player itself does not act on. True when the wait is to end at once (a
    // seek shows its frame even while paused).
    virtual bool Key(TavikMovie* movie, uint8_t code, bool paused) = 0;
    // Once per pass of the wait between frames.
    virtual void Waiting(TavikMovie* movie, bool paused) = 0;
    // A movie to play next (a file dropped on the window), taken once; empty when there is none.
    virtual std::string TakeNextName() = 0;
    virtual void MovieEnded(TavikMovie* movie) = 0;
};

}  // namespace tavik
