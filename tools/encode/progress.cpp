#include "encode/progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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
// What a frame costs in each step against coding it once: rough, they only share out the
// percentage. The time left comes from the measured coding speed.
constexpr double kStepCost[] = {0.3, 0.5, 0.2, 1.0};
const char* const kStepName[] = {"reading the pictures", "making palettes", "mapping the pictures",
                                 "coding"};
// The coding speed is trusted once this much coding has been timed.
constexpr double kLeastTimedSeconds = 0.5;

}  // namespace

ProgressLine::ProgressLine(bool enabled)
    : shown_(enabled && TAVIK_ISATTY(TAVIK_FILENO(stderr))),
      lastDraw_(Clock::now() - kRedrawInterval) {}

ProgressLine::~ProgressLine() {
    Finish();
}

void ProgressLine::Plan(size_t frames, bool mayRepeat) {
    frames_ = frames;
    mayRepeat_ = mayRepeat;
}

double ProgressLine::Share(JobStep step, size_t done, size_t total, int pass) {
    const auto index = static_cast<size_t>(step);
    const double frames = static_cast<double>(frames_);
    double work = 0;
    for (size_t i = 0; i < index; ++i) work += kStepCost[i] * frames;
    if (step == JobStep::kCoding) work += (pass - 1) * kStepCost[index] * frames;
    if (total > 0)
        work += kStepCost[index] * frames * static_cast<double>(std::min(done, total)) /
                static_cast<double>(total);
    const double all = (kStepCost[0] + kStepCost[1] + kStepCost[2] +
                        kStepCost[3] * (std::max(pass, 1) + PassesAhead())) *
                       frames;
    if (all != baseTotal_) {
        baseShare_ = shownShare_;
        baseWork_ = work;
        baseTotal_ = all;
    }
    const double ahead = baseTotal_ - baseWork_;
    const double share = ahead > 0 ? baseShare_ + (1 - baseShare_) * (work - baseWork_) / ahead : 1;
    shownShare_ = std::clamp(share, shownShare_, 1.0);
    return shownShare_;
}

// Under a data-rate cap one more pass is counted on until the job ends, so that the share slows
// down pass by pass instead of standing near the end while passes follow.
int ProgressLine::PassesAhead() const {
    return mayRepeat_ ? 1 : 0;
}

// The rest of the work at the speed the coding has shown; negative while it is not known.
double ProgressLine::SecondsLeft(JobStep step, size_t done, size_t total, int pass,
                                 Clock::time_point now) {
    if (step != JobStep::kCoding) return -1;
    const size_t coded = static_cast<size_t>(pass - 1) * frames_ + done;
    if (!coding_) {
        coding_ = true;
        codingStart_ = now;
        codedAtStart_ = coded;
        return -1;
    }
    const double seconds = std::chrono::duration<double>(now - codingStart_).count();
    if (seconds < kLeastTimedSeconds || coded <= codedAtStart_) return -1;
    return seconds / static_cast<double>(coded - codedAtStart_) *
           static_cast<double>(total - std::min(done, total) + PassesAhead() * frames_);
}

void ProgressLine::Update(JobStep step, size_t done, size_t total, int pass) {
    if (!shown_) return;
    const auto now = Clock::now();
    const bool moved = step != lastStep_ || pass != lastPass_;
    const double left = SecondsLeft(step, done, total, pass, now);
    if (!moved && now - lastDraw_ < kRedrawInterval) return;
    lastStep_ = step;
    lastPass_ = pass;
    lastDraw_ = now;
    if (frames_ == 0) {
        std::fprintf(stderr, "\r%s: frame %zu\033[K", kStepName[0], done);
    } else {
        const int percent = static_cast<int>(std::floor(100 * Share(step, done, total, pass)));
        std::fprintf(stderr, "\r%d%% %s", percent, kStepName[static_cast<size_t>(step)]);
        if (pass > 1) std::fprintf(stderr, " again for --max-rate (pass %d)", pass);
        if (left >= 0)
            std::fprintf(stderr, ", %s%.0f s left", mayRepeat_ ? "about " : "", std::ceil(left));
        std::fputs("\033[K", stderr);
    }
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
