// The main loop: open each movie, then decode, show, step and wait frame by frame while the
// keys and the focus are answered; at the end the summary or the closing notice.
#include "player/main_loop.h"

#include <algorithm>
#include <cstring>

#include "player/command_line.h"
#include "player/messages.h"
#include "player/movie_link.h"
#include "player/player_window.h"
#include "player/self_play.h"
#include "player/summary.h"
#include "tavik/system.h"

namespace tavik {

namespace {

// The command line is copied into 256 bytes and the names into 128; longer texts are refused
// with the usage message rather than cut into names nobody typed.
constexpr size_t kCommandLineLimit = 255;
constexpr size_t kListLimit = 127;

constexpr uint32_t kSoundOnlyWidth = 160;
constexpr uint8_t kProgressColour = 9;

enum class MovieEnd { Next, EndList };

struct Player {
    PlayerSettings s;
    const PlayerRun* run = nullptr;
    std::string fullList;
    std::string rest;
    bool listMode = false;
    uint8_t paused = 0;  // 0 running, 0xFF paused; lasts over all movies
    bool focusPlaying = true;
    PlaybackSummary summary;

    MovieEnd PlayMovie(const std::string& name);
    TavikMovie* Open(const std::string& name, TavikFile* ownFile);
    void FrameLoop(TavikMovie* movie);
    void Quit() {
        rest.clear();
        fullList.clear();
    }
};

// A name without an extension (no dot after the last separator) gets ".Tvk".
std::string WithExtension(const std::string& name) {
    const size_t separator = name.find_last_of(":\\/");
    const size_t dot = name.find('.', separator == std::string::npos ? 0 : separator);
    return dot == std::string::npos ? name + ".Tvk" : name;
}

void DrawProgressBar(TavikMovie* movie) {
    DisplayBuffer* b = WindowState().buffer;
    if (b == nullptr) return;
    const uint32_t frames = std::max<uint32_t>(movie->Header.FrameCount, 1);
    const auto filled =
        static_cast<uint8_t>(uint64_t{movie->FrameNum} * kSoundOnlyWidth / frames + 1);
    const uint32_t count = std::min<uint32_t>(filled, b->Width);
    std::memset(b->Bits, kProgressColour, count);
    std::memset(b->Bits + count, 0, b->Width - count);
    BufferBlit(b, nullptr, 0, 0, 0, 0, b->Width, b->Height);
}

TavikMovie* Player::Open(const std::string& name, TavikFile* ownFile) {
    const MovieCalls& m = Movies();
    if (IsSelfPlayName(name)) {
        uint32_t offset = 0;
        const TavikSystem* system = TavikGetSystem();
        if (!SelfPlayOffset(name, &offset)) return nullptr;
        *ownFile = system->OpenFile(system->Context, run->programPath.c_str());
        if (*ownFile == TAVIK_INVALID_FILE) return nullptr;
        if (!system->SeekFile(system->Context, *ownFile, offset)) return nullptr;
        return m.open(reinterpret_cast<const void*>(*ownFile), s.openFlags | TavikFileHandle,
                      s.extraBuffer);
    }
    const std::string file = MovieFileName(name);
    return m.open(file.c_str(), s.openFlags, s.extraBuffer);
}

MovieEnd Player::PlayMovie(const std::string& name) {
    const MovieCalls& m = Movies();
    m.setReadSpeed(static_cast<uint32_t>(s.readSpeed));
    m.setFrameRate(s.frameRate);
    TavikFile ownFile = TAVIK_INVALID_FILE;
    TavikMovie* movie = Open(name, &ownFile);
    auto closeOwnFile = [&] {
        if (ownFile != TAVIK_INVALID_FILE) {
            TavikGetSystem()->CloseFile(TavikGetSystem()->Context, ownFile);
        }
    };
    if (movie == nullptr) {
        closeOwnFile();
        ShowMessage(nullptr, "  Error opening file: ", NativeName(name).c_str(), ".", true);
        return MovieEnd::EndList;
    }
    if (s.displayResolution != 0) SetDisplayResolution(static_cast<uint32_t>(s.displayResolution));
    const uint32_t width = s.soundOnly ? kSoundOnlyWidth : movie->Header.Width;
    const uint32_t height = s.soundOnly ? 1 : movie->Header.Height;
    if (!OpenPlayerWindow(width, height, s.windowX, s.windowY, s.displayFlags)) {
        ShowMessage(nullptr, "  Error opening graphics buffer.", nullptr, nullptr, true);
        Quit();
    } else {
        if (s.useDirectSound && run->setSoundWindow != nullptr) {
            run->setSoundWindow(WindowState().window);
        }
        if (!s.soundOnly) SetMovieDestination(movie, 0, 0);
        if (run->extras != nullptr) {
            const std::string file = IsSelfPlayName(name) ? std::string() : MovieFileName(name);
            run->extras->MovieStarted(movie, name, file, paused);
        }
        FrameLoop(movie);
        if (run->extras != nullptr) run->extras->MovieEnded(movie);
    }
    m.getSummary(movie, &summary.stats);
    summary.highestRate = movie->HighestRate;
    summary.highestRateFrame = movie->HighestRateFrame;
    m.close(movie);
    closeOwnFile();
    return MovieEnd::Next;
}

void Player::FrameLoop(TavikMovie* movie) {
    const MovieCalls& m = Movies();
    const PlatformOps& p = Platform();
    const uint32_t last = movie->Header.FrameCount - 1;
    bool done = false;
    while (!done) {
        DisplayBuffer* b = WindowState().buffer;
        if (movie->NewPalette && !s.soundOnly && b != nullptr) {
            if (s.remapOption == 1) {
                uint8_t system[768];
                ReadSystemPalette(system);
                BufferSetPalette(b, system, 0);
            } else {
                BufferSetPalette(b, movie->Palette, 0);
            }
            if (b->FreeCount < 256 && s.remapOption != 2) {
                m.remap(movie, b->ColourTable, b->PaletteSize, b->ColourTableLayout, 1000);
            }
        }
        if (s.differencesOnly) ClearAndShow(0);
        m.decodeFrame(movie);
        if (s.soundOnly) {
            DrawProgressBar(movie);
        } else {
            ShowFrame(movie);
        }
        if (run->extras != nullptr) run->extras->FrameShown(movie, paused != 0);
        if (s.frameInCaption && WindowState().window != nullptr) {
            const std::string title = "TavikPlay - Frame: " + std::to_string(movie->FrameNum + 1);
            p.windows->SetTitle(WindowState().window, title.c_str());
        }
        if (movie->FrameNum == last) {
            if (!listMode && --s.loopCount != 0) {
                m.advance(movie);
            } else {
                done = true;
            }
        } else {
            m.advance(movie);
        }

        bool step = false;
        for (;;) {
            if (KeyWaiting()) {
                const uint8_t code = WaitKey();
                switch (code) {
                    case kKeyEnter:
                        if (paused) step = true;
                        break;
                    case kKeyEscape:
                    case kKeyClose:
                        if (!(s.disabledControls & kDisableQuit)) {
                            Quit();
                            return;
                        }
                        break;
                    case kKeySpace:
                        if (!(s.disabledControls & kDisablePause)) {
                            m.setPlaying(movie, paused);
                            paused = paused ? 0 : 0xFF;
                        }
                        break;
                    case kKeyPeriod:
                        if (!(s.disabledControls & kDisableSkip)) return;
                        break;
                    default:
                        if (run->extras != nullptr && run->extras->Key(movie, code, paused != 0)) {
                            step = true;
                        }
                        break;
                }
            }
            if (run->extras != nullptr) {
                run->extras->Waiting(movie, paused != 0);
                const std::string next = run->extras->TakeNextName();
                if (!next.empty()) {
                    rest = "\"" + next + "\" " + rest;
                    return;
                }
            }
            const bool active = BufferIsActive(WindowState().buffer) == 1;
            if ((s.keepPlayingWithoutFocus || active) && !focusPlaying) {
                if (m.setPlaying(movie, 1)) focusPlaying = true;
            }
            if (!s.keepPlayingWithoutFocus && !active && focusPlaying) {
                focusPlaying = false;
                m.setPlaying(movie, 0);
            }
            if (m.notYetDue(movie) != 0) continue;
            if (!focusPlaying || (paused && !step)) {
                p.windows->Yield();
                continue;
            }
            break;
        }
    }
}

}  // namespace

std::string MovieFileName(const std::string& name) {
    return NativeName(WithExtension(name));
}

void PlayerMain(const PlayerRun& run) {
    SetAppTitle(kAppTitle);
    Player player;
    player.run = &run;
    PlayerSettings& s = player.s;
    s = DefaultSettings();
    s.closingNotice = run.closingNotice;

    std::string commandLine = run.commandLine;
    if (commandLine.size() > kCommandLineLimit) return ShowUsage();
    std::string field = SelfPlayField();
    if (!field.empty()) {
        if (!ParseSwitches(field, s, run.useDirectSound)) return;
        field += " " + commandLine;
        // The field holds the joined text; what does not fit it is refused.
        if (field.size() >= kSelfPlayFieldSize) return ShowUsage();
        commandLine = field;
    }
    if (!ParseSwitches(commandLine, s, run.useDirectSound)) return;
    TrimBlanks(commandLine);  // blanks the switches left behind are no names
    SetStretchSize(s.stretchWidth, s.stretchHeight);
    if (commandLine.empty() || commandLine.size() > kListLimit) return ShowUsage();
    if (s.noMMX) Movies().useMMX(0);

    player.fullList = commandLine;
    player.rest = commandLine;
    std::string name = SplitFirstName(player.rest);
    player.summary.stats.FramesPlayed = 0;
    player.listMode = !player.rest.empty();

    while (!name.empty()) {
        if (player.PlayMovie(name) == MovieEnd::EndList) break;
        if (player.listMode && player.rest.empty() && --s.loopCount != 0) {
            player.rest = player.fullList;
        }
        name = SplitFirstName(player.rest);
    }

    ClosePlayerWindow();
    if (s.displayResolution != 0) SetDisplayResolution(0);
    if (s.showSummary) {
        player.summary.screenColours = WindowState().screenColours;
        player.summary.display = WindowState().displayDescription;
        ShowSummary(player.summary);
    } else if (s.closingNotice) {
        ShowMessage(kVersionText, kClosingNotice, nullptr, nullptr, false);
    }
}

uint32_t TakeControllingWindow(std::string& commandLine) {
    const size_t at = commandLine.find("/#");
    if (at == std::string::npos) return 0;
    size_t end = at + 2;
    uint64_t number = 0;
    while (end < commandLine.size() && commandLine[end] >= '0' && commandLine[end] <= '9') {
        number = std::min<uint64_t>(number * 10 + static_cast<uint64_t>(commandLine[end] - '0'),
                                    0xFFFFFFFFu);
        ++end;
    }
    commandLine.erase(at, end - at);
    return static_cast<uint32_t>(number);
}

bool HasControllingWindow(const std::string& commandLine) {
    std::string rest = commandLine;
    const uint32_t number = TakeControllingWindow(rest);
    const ControllerOps* controller = Platform().controller;
    return number != 0 && controller != nullptr && controller->WindowFromNumber(number) != nullptr;
}

int PlayerEntry(PlayerRun run) {
    const PlatformOps& p = Platform();
    const uint32_t number = TakeControllingWindow(run.commandLine);
    PlayerWindowState& w = WindowState();
    const ControllerOps* controller = p.controller;
    if (number != 0 && controller != nullptr) w.owner = controller->WindowFromNumber(number);
    if (w.owner != nullptr) {
        run.extras = nullptr;  // a controlling program gets the player as it always was
        char title[31] = {};
        controller->WindowTitle(w.owner, title, sizeof title);
        static const char kController[] = "Tavik for Windows";
        if (std::strncmp(title, kController, sizeof kController - 1) == 0) {
            if (controller->SendQuery(w.owner, 10019) == 8995) w.owner = nullptr;
            run.closingNotice = false;
        }
    }
    PumpMessages();
    PlayerMain(run);
    if (w.owner != nullptr && p.windows->IsWindow(w.owner)) {
        std::string notice = std::string(kVersionText) + "  " + kMakerNotice;
        const auto length = static_cast<uint32_t>(notice.size());
        notice.append(17, '\0');  // the terminator and the 16 zero bytes counted after it
        controller->SendCopyData(w.owner, 0x1234, notice.data(), length + 16);
    }
    return 0;
}

}  // namespace tavik
