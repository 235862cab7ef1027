// The progress line on standard error: frames done, speed and time left, redrawn in place.
#pragma once

#include <chrono>
#include <cstddef>

namespace tavik::tools {

class ProgressLine {
  public:
    // Shown only when `enabled` and standard error is a terminal.
    explicit ProgressLine(bool enabled);
    ~ProgressLine();
    void Update(const char* stage, size_t done, size_t total);
    void Finish();

  private:
    bool shown_ = false, drawn_ = false;
    std::chrono::steady_clock::time_point start_, lastDraw_;
    const char* stage_ = nullptr;
};

}  // namespace tavik::tools
