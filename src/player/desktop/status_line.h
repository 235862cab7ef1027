// The line a terminal shows while a movie plays: position / length, frame, dropped frames,
// rewritten in place a few times a second.
#pragma once

#include <cstdint>
#include <cstdio>

namespace tavik {

class StatusLine {
  public:
    // Writes nothing unless `out` is a terminal.
    explicit StatusLine(std::FILE* out);
    void Update(uint32_t nowMs, uint32_t positionMs, uint32_t lengthMs, uint32_t frame,
                uint32_t frames, uint32_t dropped, bool paused);
    // Ends the line (at the end of a movie).
    void Finish();

  private:
    std::FILE* out_;
    bool terminal_;
    bool written_ = false;
    uint32_t lastMs_ = 0;
};

// MM:SS, or H:MM:SS from an hour on.
void FormatClock(char* text, size_t size, uint32_t ms);

}  // namespace tavik
