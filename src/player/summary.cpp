// The playback summary: statistics of the last movie and the display path, in words.
#include "player/summary.h"

#include "display/blitter_link.h"
#include "display/display_buffer.h"
#include "player/messages.h"

namespace tavik {

namespace {

// The box's text is built in a 2048-byte block; the program's own text always fits.
constexpr size_t kSummaryLimit = 2047;

std::string Number(uint32_t value) {
    return std::to_string(static_cast<int32_t>(value));
}

// a / b with one decimal, in unsigned 32-bit arithmetic; b = 0 counts as 1.
std::string OneDecimal(uint32_t a, uint32_t b) {
    if (b == 0) b = 1;
    return Number(a / b) + "." + Number((a * 10u / b) % 10u);
}

std::string Plural(uint32_t count, const char* unit) {
    return Number(count) + " " + unit + (count == 1 ? "" : "s");
}

}  // namespace

std::string FormatDuration(uint32_t ms) {
    if (ms < 1000) return Plural(ms, "millisecond");
    if (ms < 60000) return Plural(ms / 1000, "second");
    if (ms < 3600000) {
        return Plural(ms / 60000, "minute") + " " + Plural((ms % 60000) / 1000, "second");
    }
    return Plural(ms / 3600000, "hour") + " " + Plural((ms % 3600000) / 60000, "minute");
}

std::string DescribeDisplay(const DisplayBuffer* buffer) {
    if (buffer == nullptr) return {};
    static const char* const kNames[] = {"Automatic",
                                         "Full screen 320x240",
                                         "Full screen 320x200",
                                         "Full screen 320x200 direct",
                                         "Standard Windows DIBs",
                                         "WinG"};
    std::string text;
    if (buffer->Method == MethodDibSection && DibSectionsFound()) {
        text = "DIBSection";
    } else if (buffer->Method < 6) {
        text = kNames[buffer->Method];
    }
    if (buffer->Blitter != nullptr && buffer->AreaKnown != 0) {
        text += " with accelerated blitting (" + BlitterModeName(buffer->Blitter) + ")";
    }
    return text;
}

std::string SummaryText(const PlaybackSummary& summary) {
    const TavikSummary& s = summary.stats;
    if (s.FramesPlayed == 0) return {};
    std::string t = "  Frame rate: ";
    t += s.FrameTime == 0 ? std::string("As fast as possible.") : OneDecimal(100000, s.FrameTime);
    t += "\r\n  Frame rate obtained: " + OneDecimal(s.FramesPlayed * 1000u, s.TotalTime);
    t += "\r\n  Total frames played: " + Number(s.FramesPlayed);
    t += "\r\n  Skipped frames: " + Number(s.FramesSkipped);
    t += "\r\n  Sound skips: " + Number(s.SoundSkips);
    t += "\r\n  Total playback time: " + FormatDuration(s.TotalTime);
    t += "\r\n  Total open time: " + FormatDuration(s.OpenTime);
    t += "\r\n\r\n  Average frame size: " + Number(s.AverageFrameSize);
    t += "\r\n  Highest one second data rate: " + Number(summary.highestRate);
    t += "\r\n  Highest one second data rate start frame: " + Number(summary.highestRateFrame);
    t += "\r\n  Speed of playback device: " + Number(s.DeviceSpeed);
    t += "\r\n  Memory used for playback: " + Number(s.MemoryUsed);
    t += "\r\n  Total extra buffering memory: " + Number(s.ExtraBuffer);
    t += "\r\n  Highest extra buffering memory used: " + Number(s.ExtraBufferUsed);
    t += "\r\n\n  Percentage spent decompressing: " + OneDecimal(s.DecompTime * 100u, s.TotalTime);
    t += "\r\n  Percentage spent blitting: " + OneDecimal(s.BlitTime * 100u, s.TotalTime);
    t += "\r\n  Percentage spent reading: " + OneDecimal(s.PlayReadTime * 100u, s.TotalTime);
    t += "\r\n  Percentage spent background reading: " +
         OneDecimal(s.BackReadTime * 100u, s.TotalTime);
    t += " (when idle)\r\n\n  Slowest frame: " + Number(s.SlowestFrame) +
         "  Frame rate: " + OneDecimal(1000, s.SlowestTime);
    if (s.FramesPlayed > 1) {
        t += "\r\n  Second slowest frame: " + Number(s.SecondSlowestFrame) +
             "  Frame rate: " + OneDecimal(1000, s.SecondSlowestTime);
    }
    t += "\r\n\r\n  Screen colors: " + Number(summary.screenColours);
    t += "\r\n  Display blitter: " + summary.display;
    if (t.size() > kSummaryLimit) t.resize(kSummaryLimit);
    return t;
}

void ShowSummary(const PlaybackSummary& summary) {
    const std::string text = SummaryText(summary);
    if (text.empty()) return;
    ShowMessage("Tavik Summary", text.c_str(), nullptr, nullptr, false);
}

}  // namespace tavik
