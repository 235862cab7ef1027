// The native program's additions to the player: seeking, screenshots, volume, full screen, the
// overlay and status line, and dropped files, with the keys the player leaves unused. The window
// system is reached only through the platform table (its desktop group).
//
// Seeking is one call into the engine (TavikSeek): the movie then stands on the new frame with
// the picture, palette and sound it would have in play, and the main loop decodes that frame and
// shows it whole. Screenshots come from the embedding interface's decoder (FrameSource), never
// from the screen.
#pragma once

#include <cstdint>
#include <string>

#include "player/desktop/frame_source.h"
#include "player/desktop/status_line.h"
#include "player/player_extras.h"

namespace tavik {

struct DesktopStart {
    bool paused = false;  // --pause
    int64_t frame = -1;   // --start-frame=N
    int64_t timeMs = -1;  // --start=TIME
};

// Seconds ("90", "12.5") or MM:SS ("1:30"); -1 when it is neither.
int64_t ParseStartTime(const std::string& text);

class DesktopPlayer : public PlayerExtras {
  public:
    DesktopPlayer(const DesktopStart& start, std::string programPath);

    void MovieStarted(TavikMovie* movie, const std::string& name, const std::string& file,
                      uint8_t& paused) override;
    void FrameShown(TavikMovie* movie, bool paused) override;
    bool Key(TavikMovie* movie, uint8_t code, bool paused) override;
    void Waiting(TavikMovie* movie, bool paused) override;
    std::string TakeNextName() override;
    void MovieEnded(TavikMovie* movie) override;

  private:
    uint32_t FrameMs(const TavikMovie* movie) const;
    bool SeekTo(TavikMovie* movie, int64_t frame, bool paused);
    void Overlay(const TavikMovie* movie, bool paused, bool volume);
    void Screenshot();
    void SetVolume(int32_t percent, bool muted);

    DesktopStart start_;
    std::string programPath_;
    FrameSource source_;
    StatusLine status_;
    std::string movieName_;
    uint32_t shown_ = 0;  // the frame on the screen
    bool lastPaused_ = false;
    bool firstMovie_ = true;
    int32_t volume_ = 100;
    bool muted_ = false;
};

}  // namespace tavik
