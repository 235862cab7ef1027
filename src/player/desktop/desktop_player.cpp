// The native program's keys and what they do; see desktop_player.h for the design of seeking.
#include "player/desktop/desktop_player.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/platform.h"
#include "player/desktop/screenshot.h"
#include "player/movie_link.h"
#include "player/player_window.h"
#include "player/self_play.h"
#include "tavik/system.h"

namespace tavik {

namespace {

// Key codes of the player window (cursor keys come as their virtual key + 128).
constexpr uint8_t kKeyHome = 0x24 + 128;
constexpr uint8_t kKeyLeft = 0x25 + 128;
constexpr uint8_t kKeyUp = 0x26 + 128;
constexpr uint8_t kKeyRight = 0x27 + 128;
constexpr uint8_t kKeyDown = 0x28 + 128;

constexpr int64_t kShortSeekMs = 5000;
constexpr int64_t kLongSeekMs = 60000;
constexpr int32_t kVolumeStep = 10;
constexpr uint32_t kFallbackFrameMs = 66;  // a movie played as fast as it goes, seen at 15/s

// What the window system adds for a desktop player: null, as each of its slots may be, where
// it adds nothing (the headless screen).
const DesktopOps* View() {
    return Platform().desktop;
}

uint32_t NowMs() {
    return TavikGetSystem()->Milliseconds(TavikGetSystem()->Context);
}

}  // namespace

int64_t ParseStartTime(const std::string& text) {
    if (text.empty()) return -1;
    const size_t colon = text.find(':');
    const std::string secondsText = colon == std::string::npos ? text : text.substr(colon + 1);
    int64_t minutes = 0;
    if (colon != std::string::npos) {
        if (colon == 0 || text.find_first_not_of("0123456789") < colon) return -1;
        minutes = std::stoll(text.substr(0, colon));
        if (secondsText.size() != 2) return -1;
    }
    char* end = nullptr;
    const double seconds = std::strtod(secondsText.c_str(), &end);
    if (secondsText.empty() || *end != '\0' || !(seconds >= 0) || seconds > 1e7 ||
        secondsText.find_first_not_of("0123456789.") != std::string::npos ||
        (colon != std::string::npos && seconds >= 60) || minutes > 100000) {
        return -1;
    }
    return minutes * 60000 + static_cast<int64_t>(seconds * 1000 + 0.5);
}

DesktopPlayer::DesktopPlayer(const DesktopStart& start, std::string programPath)
    : start_(start), programPath_(std::move(programPath)), status_(stderr) {}

uint32_t DesktopPlayer::FrameMs(const TavikMovie* movie) const {
    uint32_t ticks = movie->FrameTime;
    if (ticks == 0 && source_.Ready()) ticks = source_.Info().FrameTime;
    return ticks != 0 ? std::max<uint32_t>(ticks / 100, 1) : kFallbackFrameMs;
}

void DesktopPlayer::MovieStarted(TavikMovie* movie, const std::string& name,
                                 const std::string& file, uint8_t& paused) {
    movieName_ = file.empty() ? programPath_ : file;
    uint32_t offset = 0;
    if (!file.empty()) {
        source_.Open(file, 0);
    } else if (SelfPlayOffset(name, &offset) && offset != 0) {
        source_.Open(programPath_, offset);
    }
    shown_ = 0;
    if (!firstMovie_) return;
    firstMovie_ = false;
    if (start_.paused && paused == 0) {
        Movies().setPlaying(movie, 0);
        paused = 0xFF;
    }
    lastPaused_ = paused != 0;
    int64_t target = start_.frame;
    if (target < 0 && start_.timeMs >= 0) target = start_.timeMs / FrameMs(movie);
    if (target > 0) SeekTo(movie, target, paused != 0);
}

bool DesktopPlayer::SeekTo(TavikMovie* movie, int64_t frame, bool paused) {
    if (movie->Header.FrameCount == 0) return false;
    const uint32_t target =
        static_cast<uint32_t>(std::clamp<int64_t>(frame, 0, movie->Header.FrameCount - 1));
    if (!Movies().seek(movie, target)) return false;
    shown_ = target;
    Overlay(movie, paused, false);
    return true;
}

void DesktopPlayer::FrameShown(TavikMovie* movie, bool paused) {
    shown_ = movie->FrameNum;
    status_.Update(NowMs(), shown_ * FrameMs(movie), movie->Header.FrameCount * FrameMs(movie),
                   shown_, movie->Header.FrameCount, movie->FramesSkipped, paused);
}

void DesktopPlayer::Overlay(const TavikMovie* movie, bool paused, bool volume) {
    const DesktopOps* view = View();
    if (view == nullptr || view->ShowOverlay == nullptr) return;
    const uint32_t frameMs = FrameMs(movie);
    view->ShowOverlay(OverlayState{shown_ * frameMs, movie->Header.FrameCount * frameMs,
                                   muted_ ? 0 : volume_, paused, volume});
}

void DesktopPlayer::SetVolume(int32_t percent, bool muted) {
    volume_ = std::clamp(percent, 0, 100);
    muted_ = muted;
    if (const DesktopOps* view = View(); view != nullptr && view->SetVolume != nullptr) {
        view->SetVolume(muted_ ? 0 : volume_);
    }
}

void DesktopPlayer::Screenshot() {
    std::string error;
    const std::string saved = SaveScreenshot(source_, movieName_, shown_, error);
    if (saved.empty()) {
        std::fprintf(stderr, "\ntavikplay: no screenshot: %s\n", error.c_str());
    } else {
        std::printf("%s\n", saved.c_str());
        std::fflush(stdout);
    }
}

bool DesktopPlayer::Key(TavikMovie* movie, uint8_t code, bool paused) {
    const int64_t frameMs = FrameMs(movie);
    switch (code) {
        case kKeyLeft:
            return SeekTo(movie, shown_ - kShortSeekMs / frameMs, paused);
        case kKeyRight:
            return SeekTo(movie, shown_ + kShortSeekMs / frameMs, paused);
        case kKeyDown:
            return SeekTo(movie, shown_ - kLongSeekMs / frameMs, paused);
        case kKeyUp:
            return SeekTo(movie, shown_ + kLongSeekMs / frameMs, paused);
        case kKeyHome:
            return SeekTo(movie, 0, paused);
        case 'f':
            if (const DesktopOps* view = View(); view && view->ToggleFullScreen) {
                view->ToggleFullScreen();
            }
            return false;
        case 's':
            Screenshot();
            return false;
        case '9':
            SetVolume(volume_ - kVolumeStep, false);
            break;
        case '0':
            SetVolume(volume_ + kVolumeStep, false);
            break;
        case 'm':
            SetVolume(volume_, !muted_);
            break;
        default:
            return false;
    }
    Overlay(movie, paused, true);
    return false;
}

void DesktopPlayer::Waiting(TavikMovie* movie, bool paused) {
    if (paused != lastPaused_) {
        lastPaused_ = paused;
        Overlay(movie, paused, false);
        status_.Update(NowMs() + 1000, shown_ * FrameMs(movie),
                       movie->Header.FrameCount * FrameMs(movie), shown_, movie->Header.FrameCount,
                       movie->FramesSkipped, paused);
    }
    if (const DesktopOps* view = View(); view != nullptr && view->RefreshView != nullptr) {
        view->RefreshView();
    }
}

std::string DesktopPlayer::TakeNextName() {
    const DesktopOps* view = View();
    return view != nullptr && view->TakeDroppedFile != nullptr ? view->TakeDroppedFile()
                                                               : std::string();
}

void DesktopPlayer::MovieEnded(TavikMovie*) {
    status_.Finish();
    source_.Close();
}

}  // namespace tavik
