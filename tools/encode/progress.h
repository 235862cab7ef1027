// The progress line on standard error: the share of the whole job done (reading the pictures,
// making palettes, mapping the pictures to them, coding them, and coding them again when the
// data-rate cap asks for it), which never runs backwards, and the time left once the coding
// speed is known.
#pragma once

#include <chrono>
#include <cstddef>

namespace tavik::tools {

enum class JobStep { kReading, kPalettes, kMapping, kCoding };

class ProgressLine {
  public:
    // Shown only when `enabled` and standard error is a terminal.
    explicit ProgressLine(bool enabled);
    ~ProgressLine();
    // The frames the job codes (0 while a stream of unknown length is read), and whether the
    // coding may be repeated (under a data-rate cap).
    void Plan(size_t frames, bool mayRepeat);
    // `done` of `total` units of `step`; `pass` counts the coding passes from 1.
    void Update(JobStep step, size_t done, size_t total, int pass = 1);
    void Finish();

  private:
    using Clock = std::chrono::steady_clock;
    double Share(JobStep step, size_t done, size_t total, int pass);
    int PassesAhead() const;
    double SecondsLeft(JobStep step, size_t done, size_t total, int pass, Clock::time_point now);

    bool shown_ = false, drawn_ = false, mayRepeat_ = false;
    size_t frames_ = 0;
    Clock::time_point lastDraw_;
    JobStep lastStep_ = JobStep::kReading;
    int lastPass_ = 0;
    // The share shown is rebased whenever the work ahead grows (another pass), so that it never
    // falls back: from `baseShare_` at `baseWork_` it runs up to 1 at `baseTotal_`.
    double shownShare_ = 0, baseShare_ = 0, baseWork_ = 0, baseTotal_ = 0;
    // The coding speed, measured from the first frame coded.
    Clock::time_point codingStart_;
    size_t codedAtStart_ = 0;
    bool coding_ = false;
};

}  // namespace tavik::tools
