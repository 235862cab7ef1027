// The SDL backend of the platform table: the player's window, drawing, keys and message boxes
// over SDL2, and a sound output over SDL's audio devices.
#pragma once

#include <string>

#include "platform/platform.h"

namespace tavik {

// Starts SDL's video. The screen format follows the desktop (true colour, or 5-6-5 or 5-5-5 on
// a 16- or 15-bit desktop) unless the environment variable TAVIK_SDL_SCREEN names one: "565",
// "555" or "888". False, with SDL's reason, when there is no display.
bool StartSdlVideo(std::string* error);
// The table; valid after StartSdlVideo succeeded.
const PlatformOps& SdlPlatform();
// Whether message boxes are shown (they always are printed by the program as well).
void ShowSdlMessageBoxes(bool shown);
void StopSdl();

// Makes the SDL sound output the one UseWaveOut installs, when SDL finds a sound device.
void RegisterSdlSound();

}  // namespace tavik

namespace tavik {

// What the native program adds to the SDL window (sdl_view.cpp, sdl_overlay.cpp).
struct SdlViewOptions {
    int32_t scale = 0;    // 0: the largest whole-number scale that fits half the screen
    bool centred = true;  // the player centres the window (no -X, -Y)
};
void SetSdlViewOptions(const SdlViewOptions& options);
// Full screen on the window's screen, or back to the window.
void ToggleSdlFullScreen();
// The overlay shown for a while: the position and length (milliseconds), the volume (percent),
// whether paused.
struct SdlOverlay {
    uint32_t positionMs = 0;
    uint32_t lengthMs = 0;
    int32_t volume = 100;
    bool paused = false;
    bool showVolume = false;
};
void ShowSdlOverlay(const SdlOverlay& overlay);
// Takes the overlay off the screen once its time is over; call it often.
void RefreshSdlView();
// The oldest file dropped on the window not yet taken, or "".
std::string TakeSdlDroppedFile();
// The volume of every SDL sound track, 0 to 100 percent (100 at start).
void SetSdlVolume(int32_t percent);

}  // namespace tavik
