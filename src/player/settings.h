// The player's settings: what the switches of the command line and the self-play field set.
#pragma once

#include <cstdint>

#include "tavik/movie.h"

namespace tavik {

// Display flags handed to the player window and the display buffer.
inline constexpr uint32_t kDisplayMethodMask = 0x1F;  // 22..25 name a method, else automatic
inline constexpr uint32_t kDisplayNoDirectDraw = 0x20;
inline constexpr uint32_t kDisplaySmoothing = 0x40;
inline constexpr uint32_t kDisplayInterlaced = 0x80;
inline constexpr uint32_t kDisplayDoubleBuffer = 0x100;
inline constexpr uint32_t kDisplayNoCaption = 0x200;
inline constexpr uint32_t kDisplayDontClear = 0x1000;
inline constexpr uint32_t kDisplayNoDialogFrame = 0x4000;
inline constexpr uint32_t kDisplayThinBorder = 0x8000;

// Bits of the disabled-controls setting.
inline constexpr uint32_t kDisablePause = 1;
inline constexpr uint32_t kDisableSkip = 2;
inline constexpr uint32_t kDisableQuit = 4;

struct PlayerSettings {
    int32_t windowX = -1;
    int32_t windowY = -1;
    int32_t stretchWidth = 0;
    int32_t stretchHeight = 0;
    int32_t readSpeed = 0;
    uint32_t extraBuffer = TAVIK_CHOOSE_RING_SIZE;
    uint32_t loopCount = 1;  // all bits set: for ever
    int32_t frameRate = -1;  // -1: no override
    uint32_t disabledControls = 0;
    bool showSummary = false;
    bool soundOnly = false;
    bool differencesOnly = false;
    bool frameInCaption = false;
    int32_t displayResolution = 0;
    bool useDirectSound = false;
    bool noMMX = false;
    int32_t remapOption = 0;  // 1 remap to the system palette, 2 never remap
    bool keepPlayingWithoutFocus = false;
    bool closingNotice = true;
    uint32_t openFlags = TavikAllTracks;
    uint32_t displayFlags = 0;
};

// The settings at start, with the words of the self-play block taken into account.
PlayerSettings DefaultSettings();

}  // namespace tavik
