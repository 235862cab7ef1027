#include "encode/progress.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#define TAVIK_ISATTY _isatty
#define TAVIK_FILENO _fileno
#else
#include <unistd.h>
#define TAVIK_ISATTY isatty
#define TAVIK_FILENO fileno
#endif

namespace tavik::tools {

namespace {
constexpr auto kRedrawInterval = std::chrono::milliseconds(200);
}

ProgressLine::ProgressLine(bool enabled)
    : shown_(enabled && TAVIK_ISATTY(TAVIK_FILENO(stderr))),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_ - kRedrawInterval) {}

ProgressLine::~ProgressLine() {
    Finish();
}

void ProgressLine::Update(const char* stage, size_t done, size_t total) {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (stage != stage_ || (stage_ && std::strcmp(stage, stage_) != 0)) {
        stage_ = stage;
        start_ = now;
    } else if (now - lastDraw_ < kRedrawInterval && done != total) {
        return;
    }
    lastDraw_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double speed = seconds > 0 ? static_cast<double>(done) / seconds : 0;
    const double left = speed > 0 ? static_cast<double>(total - done) / speed : 0;
    std::fprintf(stderr, "\r%s: frame %zu/%zu, %.1f frames/s, %.0f s left   ", stage, done, total,
                 speed, left);
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressLine::Finish() {
    if (!drawn_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
}

}  // namespace tavik::tools
