// The terminal's status line.
#include "player/desktop/status_line.h"

#include <unistd.h>

namespace tavik {

namespace {

constexpr uint32_t kEveryMs = 250;

}  // namespace

void FormatClock(char* text, size_t size, uint32_t ms) {
    const uint32_t s = ms / 1000;
    if (s >= 3600) {
        std::snprintf(text, size, "%u:%02u:%02u", s / 3600, s / 60 % 60, s % 60);
    } else {
        std::snprintf(text, size, "%02u:%02u", s / 60, s % 60);
    }
}

StatusLine::StatusLine(std::FILE* out) : out_(out), terminal_(isatty(fileno(out)) != 0) {}

void StatusLine::Update(uint32_t nowMs, uint32_t positionMs, uint32_t lengthMs, uint32_t frame,
                        uint32_t frames, uint32_t dropped, bool paused) {
    if (!terminal_ || (written_ && nowMs - lastMs_ < kEveryMs)) return;
    lastMs_ = nowMs;
    written_ = true;
    char position[16], length[16];
    FormatClock(position, sizeof position, positionMs);
    FormatClock(length, sizeof length, lengthMs);
    std::fprintf(out_, "\r%s / %s  frame %u/%u  dropped %u%s  ", position, length, frame, frames,
                 dropped, paused ? "  (paused)" : "          ");
    std::fflush(out_);
}

void StatusLine::Finish() {
    if (!written_) return;
    std::fputc('\n', out_);
    std::fflush(out_);
    written_ = false;
}

}  // namespace tavik
