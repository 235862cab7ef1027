// The view's records, shared by the files of the view (view.cpp: placing and showing the
// picture; view_actions.cpp: full screen, overlay, dropped files, messages).
#pragma once

#include <deque>
#include <string>

#include "platform/win32/windows_api.h"

namespace tavik::win32 {

// A 32-bit top-down picture (0x00RRGGBB) in a memory context: what GDI draws into and the
// view's code reads and writes directly.
class ViewPicture {
  public:
    ViewPicture() = default;
    ViewPicture(const ViewPicture&) = delete;
    ViewPicture& operator=(const ViewPicture&) = delete;
    ~ViewPicture() { Drop(); }
    // Makes it width x height (black) unless it already is that size; false when it cannot.
    bool Fit(int width, int height);
    void Drop();
    HDC dc() const { return dc_; }
    uint32_t* bits() const { return bits_; }
    int width() const { return width_; }
    int height() const { return height_; }

  private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

struct ViewState {
    bool enabled = false;  // the player asked for the additions
    ViewOptions options;
    HWND window = nullptr;      // the player window
    SIZE extra{};               // its frame beyond its client area, as made
    SIZE logical{};             // the client area the player placed, in movie pixels
    RECT request{};             // the frame the player last asked for (left, top, width, height)
    SIZE placedClient{};        // the client area as the view last placed it
    bool userSized = false;     // the user has sized the window since: it keeps that size
    bool placing = false;       // the view is moving the window (no user sizing then)
    bool fullScreen = false;    // covering its monitor
    bool bypassPlayer = false;  // moving to or from full screen
    RECT restoreFrame{};
    LONG restoreStyle = 0;
    LONG restoreExStyle = 0;
    SIZE logicalAtFullScreen{};
    bool scaled = false;  // the window shows `picture` (see view.h)
    ViewPicture picture;  // the player's drawing, in movie pixels
    ViewPicture output;   // the window's client area as shown
    OverlayState overlay;
    bool overlayShown = false;
    DWORD overlayUntil = 0;
    DWORD lastClickTime = 0;
    POINT lastClick{};
    std::deque<std::string> dropped;
};

ViewState& View();

// Works out whether the window shows the view's picture now; on a change the window is
// repainted (into the picture, or directly).
void UpdateViewMode();
// The scaled place of the frame the player asked for last (or kept, when the user sized it).
void PlaceRequested();

}  // namespace tavik::win32
