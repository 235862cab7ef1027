// Splitting the list of names and reading the switches.
#include "player/switches.h"

#include "player/messages.h"

namespace tavik {

namespace {

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
char At(const std::string& text, size_t i) {
    return i < text.size() ? text[i] : '\0';
}

}  // namespace

void TrimBlanks(std::string& text) {
    size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) ++begin;
    size_t end = text.size();
    while (end > begin && IsBlank(text[end - 1])) --end;
    text = text.substr(begin, end - begin);
}

std::string SplitFirstName(std::string& list) {
    TrimBlanks(list);
    if (list.empty()) return {};
    std::string name;
    size_t rest = 0;
    const size_t closing = list[0] == '"' ? list.find('"', 1) : std::string::npos;
    if (closing != std::string::npos) {
        name = list.substr(1, closing - 1);
        rest = closing + 1;
    } else {
        size_t end = 0;
        while (end < list.size() && !IsBlank(list[end])) ++end;
        name = list.substr(0, end);
        rest = end;
        while (rest < list.size() && IsBlank(list[rest])) ++rest;
        if (rest < list.size() && list[rest] == ',') ++rest;
    }
    list.erase(0, rest);
    TrimBlanks(list);
    TrimBlanks(name);
    return name;
}

bool HasSwitch(std::string& text, char letter) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '/' || UpperAscii(At(text, i + 1)) != letter) continue;
        if (static_cast<signed char>(At(text, i + 2)) < '0') {
            text.erase(i, 2);
            return true;
        }
    }
    return false;
}

int32_t SwitchValue(std::string& text, char letter, int32_t fallback) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '/' || UpperAscii(At(text, i + 1)) != letter) continue;
        size_t at = i + 2;
        const bool negative = At(text, at) == '-';
        if (negative) ++at;
        if (!IsDigit(At(text, at))) continue;
        // Wraps like the 32-bit arithmetic it stands for, never overflows.
        uint32_t value = 0;
        while (IsDigit(At(text, at))) value = value * 10 + static_cast<uint32_t>(text[at++] - '0');
        if (negative) value = 0u - value;
        text.erase(i, at - i);
        return static_cast<int32_t>(value);
    }
    return fallback;
}

bool ReadSwitches(std::string& text, PlayerSettings& s, DirectSoundRequest useDirectSound) {
    TrimBlanks(text);
    // The order matters: a value form and a plain form of one letter share the letter.
    s.windowX = SwitchValue(text, 'X', s.windowX);
    s.windowY = SwitchValue(text, 'Y', s.windowY);
    if (HasSwitch(text, 'B')) s.displayFlags |= kDisplayDoubleBuffer;
    if (HasSwitch(text, 'C')) s.displayFlags |= kDisplayDontClear;
    if (HasSwitch(text, 'O')) s.soundOnly = true;
    s.readSpeed = SwitchValue(text, 'M', s.readSpeed);
    if (s.readSpeed != 0) {
        s.openFlags |= TavikSimulateSpeed;
    } else {
        s.openFlags &= ~static_cast<uint32_t>(TavikSimulateSpeed);
    }
    s.extraBuffer =
        static_cast<uint32_t>(SwitchValue(text, 'E', static_cast<int32_t>(s.extraBuffer)));
    const int32_t loops = SwitchValue(text, 'L', 0);
    if (loops != 0) {
        s.loopCount = static_cast<uint32_t>(loops);
    } else if (HasSwitch(text, 'L')) {
        s.loopCount = 0xFFFFFFFFu;
    }
    if (HasSwitch(text, 'P')) s.openFlags |= TavikPreload;
    if (HasSwitch(text, 'N')) s.openFlags |= TavikNoSkip;
    s.noMMX = HasSwitch(text, '@');
    if (HasSwitch(text, 'G')) s.openFlags |= TavikFillRing;
    const uint32_t tracks = static_cast<uint32_t>(
        SwitchValue(text, 'T', static_cast<int32_t>((s.openFlags & TavikAllTracks) / TavikTrack0)));
    s.openFlags = (s.openFlags & ~static_cast<uint32_t>(TavikAllTracks)) |
                  ((tracks * TavikTrack0) & TavikAllTracks);
    const int32_t scaling = SwitchValue(text, 'A', 255);
    if (scaling < 255) {
        s.openFlags &= ~static_cast<uint32_t>(TavikNoScale);
        if (scaling == 1) s.openFlags |= TavikInterlace;
        if (scaling == 2) s.openFlags |= TavikDouble;
        if (scaling == 3) s.openFlags |= TavikNoScale;
    }
    s.frameRate = SwitchValue(text, 'F', s.frameRate);
    if (s.frameRate >= -1500 && s.frameRate <= -2) s.frameRate *= 100;
    if (HasSwitch(text, 'F')) s.frameRate = 0;
    if (s.frameRate != -1) s.openFlags |= TavikRateOverride;
    s.disabledControls =
        static_cast<uint32_t>(SwitchValue(text, 'U', static_cast<int32_t>(s.disabledControls)));
    if (HasSwitch(text, 'S')) s.showSummary = true;
    if (HasSwitch(text, 'K')) s.differencesOnly = true;
    if (HasSwitch(text, 'Q')) s.frameInCaption = true;
    s.useDirectSound = HasSwitch(text, 'Z') && useDirectSound != nullptr && useDirectSound();
    const int32_t style = SwitchValue(text, 'I', 255);
    if (style != 255) {
        s.displayFlags &= ~0xC200u;
        if (style == 1) s.displayFlags |= kDisplayNoDialogFrame | kDisplayThinBorder;
        if (style == 2)
            s.displayFlags |= kDisplayNoDialogFrame | kDisplayThinBorder | kDisplayNoCaption;
        if (style == 3) s.displayFlags |= kDisplayNoCaption;
        if (style == 4) s.displayFlags |= kDisplayNoDialogFrame | kDisplayNoCaption;
    }
    s.remapOption = SwitchValue(text, 'R', 0);
    const uint32_t video = static_cast<uint32_t>(SwitchValue(text, 'V', 1024));
    const uint32_t extras = video & 0x180;
    if (extras == 0x180) s.displayFlags |= kDisplayNoDirectDraw;
    if (extras == 0x100) s.displayFlags |= kDisplaySmoothing;
    if (extras == 0x80) s.displayFlags |= kDisplayInterlaced;
    const uint32_t type = video & ~0x180u;
    if (type >= 1 && type <= 4)
        s.displayFlags = (s.displayFlags & ~kDisplayMethodMask) | (21 + type);
    if (HasSwitch(text, 'J')) s.keepPlayingWithoutFocus = true;
    s.stretchHeight = SwitchValue(text, 'H', s.stretchHeight);
    s.stretchWidth = SwitchValue(text, 'W', s.stretchWidth);
    s.displayResolution = SwitchValue(text, 'D', s.displayResolution);
    // Sound only shows a 160 x 1 progress bar through standard DIBs.
    if (s.soundOnly) s.displayFlags = (s.displayFlags & ~7u) | 0x18;
    return text.find('/') == std::string::npos;
}

bool ParseSwitches(std::string& text, PlayerSettings& settings, DirectSoundRequest useDirectSound) {
    if (ReadSwitches(text, settings, useDirectSound)) return true;
    ShowUsage();
    return false;
}

std::string UsageCaption() {
    return std::string("TavikPlay  V 3.2k") + " - " + kMakerNotice;
}

void ShowUsage() {
    ShowMessage(UsageCaption().c_str(), kUsageText, nullptr, nullptr, false);
}

const char* const kAppTitle = "TavikPlay";
const char* const kVersionText = "TavikPlay - V3.2k";
const char* const kMakerNotice = "Free software by the Tavik developers.";
const char* const kClosingNotice =
    "  TavikPlay plays movies in the Tavik format: 8-bit palettised pictures with up to seven "
    "sound tracks, in a window or on the whole screen.\r\n\r\n"
    "  Questions, bug reports and new movies are welcome at the project's issue tracker, "
    "where the Tavik developers answer them.";

const char* const kUsageText =
    "  SYNTAX: TavikPly <Tavik1 Tavik2...> [/Switches]\r\n"
    "  Switches:\r\n"
    "    /P  \t- Preload the entire Tavik animation.\r\n"
    "    /L##\t- Loop the animation (/L for infinite).\r\n"
    "    /F##\t- Use this frame rate (/F for fast).\r\n"
    "    /T##\t- Play the specified sound tracks.\r\n"
    "    /S  \t- Show the playback summary when finished.\r\n"
    "    /X##\t- Specifies the X coordinate of the playback.\r\n"
    "    /Y##\t- Specifies the Y coordinate of the playback.\r\n"
    "    /B  \t- Double-buffer (slower, but reduces tearing).\r\n"
    "    /M##\t- Simulate this read speed (in bytes/second).\r\n"
    "    /E##\t- Use this much extra memory for buffering.\r\n"
    "    /G  \t- Fill the extra memory buffer in TavikOpen.\r\n"
    "    /U##\t- Disable controls: 1=pause, 2=skip, 4=quit.\r\n"
    "    /N  \t- Never skip frames when falling behind.\r\n"
    "    /C  \t- Don't clear the buffer in between animations.\r\n"
    "    /O  \t- Play sound tracks only - no video.\r\n"
    "    /K  \t- Only show differences between frames.\r\n"
    "    /A##\t- Height scaling: 1=Interlace, 2=Double, 3=Force none.\r\n"
    "    /Z  \t- Use DirectSound for sound output.\r\n"
    "    /Q  \t- Show current frame number in caption.\r\n"
    "    /I# \t- Window style: 1=thin border, 2=thin, no caption, 3=no caption, 4=nothing.\r\n"
    "    /J  \t- Don't pause the video when the focus is lost.\r\n"
    "    /R##\t- Remap options: 1=remap to current system palette, 2=don't remap at all.\r\n"
    "    /W##\t- Stretch to this width in pixels (very slow!!)\r\n"
    "    /H##\t- Stretch to this height in pixels (very slow!!)\r\n"
    "    /@  \t- Don't use MMX (even if supported by the CPU).\r\n"
    "    /D##\t- Display resolution: 1=640x400, 2=640x480, 3=800x600, 4=1024x768.\r\n"
    "    /V##\t- Video type: 1=320x240, 2=320x200, 3=Standard, 4=DIBSection.\r\n"
    "        \t    Add 128 for interlaced, 256 for smoothing, or 384 for no DirectDraw.";

}  // namespace tavik
