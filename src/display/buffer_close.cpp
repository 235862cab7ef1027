// Closing the display buffer and releasing the facilities loaded for it.
#include "display/blitter_link.h"
#include "display/display_state.h"

namespace tavik {

void BufferClose(DisplayBuffer* b) {
    if (b == nullptr) return;
    const PlatformOps& p = Platform();
    switch (b->Method) {
        case MethodFullScreen240:
        case MethodFullScreen200:
        case MethodFullScreenDirect:
            if (b->Method == MethodFullScreenDirect) {
                delete[] b->ScreenSave;
            } else {
                delete[] b->Bits;
            }
            if (b->FullScreenWindow != nullptr)
                p.fullScreen->CloseFullScreenWindow(b->FullScreenWindow);
            if (Display().fullScreenBuffer == b) Display().fullScreenBuffer = nullptr;
            break;
        case MethodStandardDib:
            delete[] b->Bits;
            break;
        case MethodDibSection:
            if (b->HasBitmap) {
                p.pictures->DestroyOffscreenBitmap(b->MemoryDC);
                p.pictures->DestroyOffscreen(b->MemoryDC);
                if (b->Primary != nullptr) p.primary->ClosePrimary(b->Primary);
                CloseBlitter(b->Blitter);
            }
            break;
    }
    delete[] b->RectList;
    if (b->PaletteHandle != nullptr) p.pictures->DeletePalette(b->PaletteHandle);
    delete b;
}

void FreeDisplayLibraries() {
    DisplayState& d = Display();
    if (d.wing == LibraryState::Loaded) {
        Platform().screen->FreeLibrary(DisplayLibrary::WinG);
        d.wing = LibraryState::NotTried;
    }
    if (d.directDraw == LibraryState::Loaded) {
        Platform().screen->FreeLibrary(DisplayLibrary::DirectDraw);
        d.directDraw = LibraryState::NotTried;
    }
}

}  // namespace tavik
