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
