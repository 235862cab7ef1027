// Full-screen output: the request sequence to the full-screen window and its activation.
//
// Requests: the bitmap format once, the palette at each change, the whole frame at each blit
// and at every reactivation, and a close at the end. The direct method writes straight into
// the window's 320 x 200 screen memory, saved on deactivation and put back on reactivation.
#include <cstring>

#include "display/display_state.h"

namespace tavik {

namespace {

constexpr uint32_t kFormatRequest240 = 0x8AD50400;
constexpr uint32_t kFormatRequest200 = 0x8AD10400;
constexpr uint32_t kPaletteRequest240 = 0x8AC50400;
constexpr uint32_t kPaletteRequest200 = 0x8AC10400;
constexpr uint32_t kFrameRequest = 0x0A500401;
constexpr uint32_t kScreenBytes = 64000;

void OnFullScreenActivation(void* owner, bool activated) {
    auto* b = static_cast<DisplayBuffer*>(owner);
    if (b == nullptr || Display().fullScreenBuffer != b) return;
    WindowEvent notice;
    notice.kind = WindowEventKind::FullScreenNotice;
    notice.code = activated ? 1 : 0;
    Platform().windows->SendEvent(b->Window, notice);
    if (activated) {
        b->Active = 1;
        if (b->Method == MethodFullScreenDirect) {
            std::memcpy(b->Bits, b->ScreenSave, kScreenBytes);
        } else {
            ShowFullScreenFrame(b);
        }
    } else {
        b->Active = 0;
        if (b->Method == MethodFullScreenDirect) std::memcpy(b->ScreenSave, b->Bits, kScreenBytes);
    }
}

}  // namespace

bool SwitchToFullScreen(DisplayBuffer* b) {
    const PlatformOps& p = Platform();
    b->FullScreenWindow =
        p.fullScreen->CreateFullScreenWindow(b->Window, OnFullScreenActivation, b);
    if (b->FullScreenWindow == nullptr) return false;
    Display().fullScreenBuffer = b;
    PrepareBitmapHeader(b);
    p.fullScreen->SendFullScreenData(
        b->FullScreenWindow,
        b->Method == MethodFullScreen240 ? kFormatRequest240 : kFormatRequest200, kSharedHeaderSize,
        Display().sharedHeader);
    p.windows->ShowWindow(b->Window, ShowCommand::Minimise);
    p.fullScreen->ShowFullScreenTopmost(b->FullScreenWindow);
    return true;
}

void ShowFullScreenFrame(DisplayBuffer* b) {
    if (b->FullScreenWindow == nullptr) return;
    Platform().fullScreen->SendFullScreenData(b->FullScreenWindow, kFrameRequest,
                                              b->Width * b->Height, b->Bits);
}

void SendFullScreenPalette(DisplayBuffer* b) {
    if (b->FullScreenWindow == nullptr) return;
    PrepareBitmapHeader(b);
    std::memcpy(Display().sharedHeader + 40, b->ColourTable, sizeof b->ColourTable);
    Platform().fullScreen->SendFullScreenData(
        b->FullScreenWindow,
        b->Method == MethodFullScreen240 ? kPaletteRequest240 : kPaletteRequest200,
        kSharedHeaderSize, Display().sharedHeader);
    WriteHeaderIndices();
}

uint32_t SetDisplayResolution(uint32_t mode) {
    static constexpr Point kModes[] = {{0, 0}, {640, 400}, {640, 480}, {800, 600}, {1024, 768}};
    if (mode > 4) return 0;
    DisplayState& d = Display();
    if (d.displaySettings == LibraryState::NotTried) {
        d.displaySettings =
            Offers(DisplayLibrary::DisplaySettings) ? LibraryState::Loaded : LibraryState::Absent;
    }
    if (d.displaySettings != LibraryState::Loaded) return 0;
    return Platform().fullScreen->ChangeResolution(static_cast<uint32_t>(kModes[mode].x),
                                                   static_cast<uint32_t>(kModes[mode].y))
               ? 1
               : 0;
}

}  // namespace tavik
