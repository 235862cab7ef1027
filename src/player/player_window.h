// The player window: its creation and placement, its events turned into key codes, message
// boxes, and showing frames through the display buffer it owns.
#pragma once

#include <cstdint>
#include <string>

#include "display/display_buffer.h"
#include "player/key_codes.h"
#include "tavik/movie.h"

namespace tavik {

struct PlayerWindowState {
    WindowRef window = nullptr;  // cleared when the message pump meets the quit message
    DisplayBuffer* buffer = nullptr;
    IconRef icon = nullptr;
    bool classRegistered = false;
    std::string className;
    Point clientOffset;  // where the client area starts inside the window
    int32_t extraWidth = 0;
    int32_t extraHeight = 0;
    std::string title = "TavikPlay";
    int32_t stretchWidth = 0;
    int32_t stretchHeight = 0;
    WindowRef owner = nullptr;  // the controlling window, parent and owner of message boxes
    KeyQueue keys;
    // Recorded when the window closes, for the summary.
    std::string displayDescription;
    uint32_t screenColours = 0;
};

PlayerWindowState& WindowState();
// Drops all window state (tests); does not touch a live window.
void ResetWindowState();

void SetAppTitle(const char* title);
void SetStretchSize(int32_t width, int32_t height);

// Creates or reuses the window and its display buffer for a movie of width x height at x, y
// (-1 centres). False on failure.
bool OpenPlayerWindow(uint32_t width, uint32_t height, int32_t x, int32_t y, uint32_t displayFlags);
void PlacePlayerWindow(int32_t x, int32_t y, uint32_t width, uint32_t height);
void PaintPlayerWindow(DrawRef draw);
EventResult PlayerWindowEvent(void* owner, WindowRef window, WindowEvent& event);

void PumpMessages();
uint32_t KeyWaiting();
uint8_t WaitKey();

void ClearAndShow(uint8_t colour);
void SetMovieDestination(TavikMovie* movie, uint32_t x, uint32_t y);
void ShowFrame(TavikMovie* movie);
void ClosePlayerWindow();

}  // namespace tavik
