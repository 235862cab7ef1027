// Bringing rectangles of the display buffer onto the screen, with the rectangle batch.
//
// A frame's changed rectangles are collected first and shown together in one call, so the
// per-call work (palette selection, foreground and visibility tests, surface lock, cursor
// hiding) is done once per frame.
#include <algorithm>
#include <new>

#include "display/blitter_link.h"
#include "display/display_state.h"

namespace tavik {

namespace {

int32_t Cut16(int64_t value) {
    return static_cast<int16_t>(static_cast<uint16_t>(value));
}

uint32_t Scale(uint32_t value, uint32_t to, uint32_t from) {
    return static_cast<uint32_t>(uint64_t{value} * to / (from == 0 ? 1 : from));
}

// One rectangle of a call.
struct Piece {
    int32_t windowX, windowY;
    uint32_t x, y, width, height;
};

// The state of one BufferBlit call.
class BlitCall {
  public:
    BlitCall(DisplayBuffer* b, DrawRef draw) : b_(b), p_(Platform()), draw_(draw) {}

    uint32_t Run(Piece piece);

  private:
    void TakeOwnContext();
    void SelectPalette();
    void WholeBuffer(Piece& piece);
    bool NextEntry(Piece& piece);
    // False when nothing more is to be drawn in this call (an invisible window).
    bool Draw(Piece& piece);
    void DrawStandardDib(const Piece& piece);
    void DrawOffscreen(const Piece& piece);
    bool DrawDirect(Piece& piece);
    void HideCursorForBatch(const Piece& piece);
    bool ClipToArea(Piece& piece, int32_t originX, int32_t originY, const Rect& bounds) const;
    void Finish();

    DisplayBuffer* b_;
    const PlatformOps& p_;
    DrawRef draw_;
    bool ownContext_ = false;
    PaletteRef previousPalette_ = nullptr;
    uint32_t result_ = 0;
    bool first_ = true;
    int32_t headerHeight_ = 0;  // method 4: the bitmap height handed to DrawBits
    bool gdiOnly_ = false;      // direct writes given up for the rest of this call
    Point origin_;              // the window's client origin on the screen
    LockedSurface locked_;
    bool isLocked_ = false;
    bool cursorTested_ = false;
    uint32_t cursorHidden_ = 0;
};

void BlitCall::TakeOwnContext() {
    if (ownContext_) return;
    if (draw_ != nullptr && previousPalette_ != nullptr)
        p_.pictures->SelectPalette(draw_, previousPalette_);
    draw_ = p_.windows->GetDrawContext(b_->Window);
    ownContext_ = true;
    SelectPalette();
}

void BlitCall::SelectPalette() {
    if (p_.pictures == nullptr) return;
    previousPalette_ = p_.pictures->SelectPalette(draw_, b_->PaletteHandle);
    p_.pictures->RealizePalette(draw_);
}

void BlitCall::WholeBuffer(Piece& piece) {
    piece.x = 0;
    piece.y = 0;
    piece.width = b_->Width;
    piece.height = b_->Height;
    b_->RectState = RectsImmediate;
    result_ = kBlitWholeBuffer;
}

bool BlitCall::NextEntry(Piece& piece) {
    if (b_->RectNext >= b_->RectCapacity) return false;
    const RectEntry& e = b_->RectList[b_->RectNext++];
    piece = {static_cast<int32_t>(e.windowX),
             static_cast<int32_t>(e.windowY),
             e.x,
             e.y,
             e.width,
             e.height};
    return true;
}

uint32_t BlitCall::Run(Piece piece) {
    if (draw_ == nullptr) {
        draw_ = p_.windows->GetDrawContext(b_->Window);
        ownContext_ = true;
    }
    if (b_->PaletteHandle == nullptr) BufferCreatePalette(b_);
    SelectPalette();
    if (b_->RedrawAll) {
        TakeOwnContext();
        WholeBuffer(piece);
        b_->RedrawAll = 0;
    }
    if (b_->RectState == RectsReplaying && (b_->RectCount == 0 || !NextEntry(piece))) {
        Finish();
        return result_;
    }
    for (;;) {
        if (piece.width != 0 && piece.height != 0 && !Draw(piece)) break;
        if (b_->RectState != RectsReplaying) break;
        if (--b_->RectCount == 0 || !NextEntry(piece)) break;
    }
    Finish();
    return result_;
}

bool BlitCall::Draw(Piece& piece) {
    switch (b_->Method) {
        case MethodStandardDib:
            DrawStandardDib(piece);
            break;
        case MethodDibSection:
            if (b_->Blitter != nullptr && !gdiOnly_) return DrawDirect(piece);
            DrawOffscreen(piece);
            break;
        default:
            break;
    }
    first_ = false;
    return true;
}

void BlitCall::DrawStandardDib(const Piece& piece) {
    if (first_) {
        headerHeight_ = static_cast<int32_t>(b_->Height);
        if (!b_->BottomUp) headerHeight_ = -headerHeight_;
    }
    const uint32_t sx = Scale(piece.x, b_->DestWidth, b_->Width);
    const uint32_t sw = Scale(piece.width, b_->DestWidth, b_->Width);
    const uint32_t sy = Scale(piece.y, b_->DestHeight, b_->Height);
    const uint32_t sh = Scale(piece.height, b_->DestHeight, b_->Height);
    // The source row counts from the bottom of the bitmap in both row orders.
    const int64_t sourceY = int64_t{b_->Height} - piece.height - piece.y;
    p_.windows->DrawBits(draw_, Cut16(int64_t{piece.windowX} + sx),
                         Cut16(int64_t{piece.windowY} + sy), Cut16(sw), Cut16(sh), Cut16(piece.x),
                         Cut16(sourceY), Cut16(piece.width), Cut16(piece.height), b_->Bits,
                         static_cast<int32_t>(b_->Pitch), headerHeight_);
}

void BlitCall::DrawOffscreen(const Piece& piece) {
    if (!b_->Stretched) {
        p_.pictures->CopyOffscreen(draw_, piece.windowX + static_cast<int32_t>(piece.x),
                                   piece.windowY + static_cast<int32_t>(piece.y),
                                   static_cast<int32_t>(piece.width),
                                   static_cast<int32_t>(piece.height), b_->MemoryDC,
                                   static_cast<int32_t>(piece.x), static_cast<int32_t>(piece.y));
        return;
    }
    const auto sx = static_cast<int32_t>(Scale(piece.x, b_->DestWidth, b_->Width));
    const auto sw = static_cast<int32_t>(Scale(piece.width, b_->DestWidth, b_->Width));
    const auto sy = static_cast<int32_t>(Scale(piece.y, b_->DestHeight, b_->Height));
    const auto sh = static_cast<int32_t>(Scale(piece.height, b_->DestHeight, b_->Height));
    p_.pictures->StretchOffscreen(draw_, piece.windowX + sx, piece.windowY + sy, sw, sh,
                                  b_->MemoryDC, static_cast<int32_t>(piece.x),
                                  static_cast<int32_t>(piece.y), static_cast<int32_t>(piece.width),
                                  static_cast<int32_t>(piece.height));
}

bool BlitCall::DrawDirect(Piece& piece) {
    if (first_) {
        first_ = false;
        origin_ = p_.windows->ClientToScreen(b_->Window, Point{0, 0});
        if (!p_.windows->IsVisible(b_->Window)) return false;
        if (!p_.windows->IsForeground(b_->Window)) {
            // In the background the window may be covered: draw through the window system.
            if (b_->InForeground) {
                b_->InForeground = 0;
                TakeOwnContext();
                WholeBuffer(piece);
            }
            gdiOnly_ = true;
            DrawOffscreen(piece);
            return true;
        }
        if (!b_->AreaKnown) {
            b_->Area = p_.screen->WorkArea();
            // A window as large as the screen (or inside one) may cover the taskbars too.
            const Point screen = p_.screen->ScreenSize();
            for (WindowRef w = b_->Window; w != nullptr; w = p_.windows->Parent(w)) {
                const Rect r = p_.windows->WindowRect(w);
                if (int64_t{r.right} - r.left >= screen.x &&
                    int64_t{r.bottom} - r.top >= screen.y) {
                    b_->Area = Rect{0, 0, screen.x, screen.y};
                    break;
                }
            }
            b_->AreaKnown = 1;
        }
        if (!b_->InForeground) {
            b_->InForeground = 1;
            WholeBuffer(piece);
            if (b_->BlitterFlags & 8) {
                const DrawRef own = p_.windows->GetDrawContext(b_->Window);
                p_.windows->FillBlack(own, 0, 0, static_cast<int32_t>(b_->DestWidth),
                                      static_cast<int32_t>(b_->DestHeight));
                p_.windows->ReleaseDrawContext(b_->Window, own);
            }
        }
        if (b_->HideCursor) HideCursorForBatch(piece);
    }
    if (gdiOnly_) {
        DrawOffscreen(piece);
        return true;
    }
    const Piece original = piece;
    const int32_t originX = piece.windowX + origin_.x;
    const int32_t originY = piece.windowY + origin_.y;
    const Point screen = p_.screen->ScreenSize();
    if (!ClipToArea(piece, originX, originY, Rect{0, 0, screen.x, screen.y})) return true;
    if (!isLocked_) {
        if (!LockPrimarySurface(b_->Primary, &locked_)) {
            gdiOnly_ = true;
            DrawOffscreen(original);
            return true;
        }
        isLocked_ = true;
    }
    // A surface that is only part of the screen cuts the rectangle once more.
    const Rect reach = LockedReach(locked_);
    if (!ClipToArea(piece, originX, originY, reach)) return true;
    // The rectangle's first byte on the surface; the clips keep it inside the surface.
    const int64_t scale = b_->Stretched ? 2 : 1;
    const int64_t bytes = (b_->BlitterFlags & 0xC0000000u) ? 2 : 1;
    const int64_t offset = (originY + scale * piece.y - reach.top) * int64_t{locked_.pitch} +
                           (originX + scale * piece.x - reach.left) * bytes;
    Blitters().blit(b_->Blitter, locked_.bits + offset, locked_.pitch, 0, 0, piece.x,
                    static_cast<int32_t>(b_->Pitch), b_->Bits, piece.y, piece.width, piece.height);
    return true;
}

void BlitCall::HideCursorForBatch(const Piece& piece) {
    cursorTested_ = true;
    const int64_t scale = b_->Stretched ? 2 : 1;
    auto hideOver = [&](const Piece& r) {
        const int64_t x = int64_t{r.windowX} + origin_.x + scale * r.x;
        const int64_t y = int64_t{r.windowY} + origin_.y + scale * r.y;
        return HideCursorOver(nullptr, static_cast<int32_t>(x), static_cast<int32_t>(y),
                              static_cast<int32_t>(scale * r.width),
                              static_cast<int32_t>(scale * r.height));
    };
    cursorHidden_ = hideOver(piece);
    if (b_->RectState != RectsReplaying) return;
    // The rest of the batch: each collected rectangle once, until one hid the cursor.
    const uint32_t end = std::min(b_->RectNext + b_->RectCount - 1, b_->RectCapacity);
    for (uint32_t i = b_->RectNext; i < end && cursorHidden_ == 0; ++i) {
        const RectEntry& e = b_->RectList[i];
        cursorHidden_ =
            hideOver(Piece{static_cast<int32_t>(e.windowX), static_cast<int32_t>(e.windowY), e.x,
                           e.y, e.width, e.height});
    }
}

// Cuts the rectangle to the buffer and to the area direct writes may reach. False when nothing
// is left. At 2x each cut is halved toward 0, so an odd overlap leaves one screen pixel beyond
// the area's edge; where that edge is one of `bounds` (the surface's), one more source pixel
// goes, so nothing is ever written outside the surface.
bool BlitCall::ClipToArea(Piece& r, int32_t originX, int32_t originY, const Rect& bounds) const {
    if (r.x >= b_->Width || r.y >= b_->Height) return false;
    r.width = std::min(r.width, b_->Width - r.x);
    r.height = std::min(r.height, b_->Height - r.y);
    const int64_t scale = b_->Stretched ? 2 : 1;
    auto clipAxis = [scale](uint32_t& pos, uint32_t& size, int64_t origin, int64_t low,
                            int64_t high, int64_t boundsStart, int64_t boundsEnd) {
        const int64_t start = origin + scale * pos;
        const int64_t end = start + scale * size;
        if (end <= low || start >= high) return false;
        if (start < low) {
            const int64_t cut = (low - start) / scale;
            pos += static_cast<uint32_t>(cut);
            size -= static_cast<uint32_t>(cut);
        }
        if (end > high) size -= static_cast<uint32_t>((end - high) / scale);
        const int64_t before = boundsStart - (origin + scale * pos);  // pixels before bounds
        if (before > 0) {
            const int64_t cut = std::min<int64_t>((before + scale - 1) / scale, size);
            pos += static_cast<uint32_t>(cut);
            size -= static_cast<uint32_t>(cut);
        }
        const int64_t beyond = origin + scale * (int64_t{pos} + size) - boundsEnd;
        if (beyond > 0)
            size -= static_cast<uint32_t>(std::min<int64_t>((beyond + scale - 1) / scale, size));
        return size != 0;
    };
    return clipAxis(r.x, r.width, originX, b_->Area.left, b_->Area.right, bounds.left,
                    bounds.right) &&
           clipAxis(r.y, r.height, originY, b_->Area.top, b_->Area.bottom, bounds.top,
                    bounds.bottom);
}

void BlitCall::Finish() {
    if (isLocked_) p_.primary->UnlockPrimary(b_->Primary, locked_.bits);
    if (cursorTested_) ShowCursorTimes(cursorHidden_);
    if (previousPalette_ != nullptr) p_.pictures->SelectPalette(draw_, previousPalette_);
    if (ownContext_) p_.windows->ReleaseDrawContext(b_->Window, draw_);
}

}  // namespace

uint32_t BufferBlit(DisplayBuffer* b, DrawRef draw, uint32_t windowX, uint32_t windowY, uint32_t x,
                    uint32_t y, uint32_t width, uint32_t height) {
    if (b == nullptr) return 0;
    if (b->RectState == RectsCollecting && b->RectCount < b->RectCapacity) {
        b->RectList[b->RectNext++] = RectEntry{windowX, windowY, x, y, width, height};
        ++b->RectCount;
        b->RectDC = draw;
        return 0;
    }
    b->Shown = 1;
    if (b->FullScreen) {
        if (b->Method == MethodFullScreenDirect) return 0;
        PrepareBitmapHeader(b);
        ShowFullScreenFrame(b);
        return kBlitWholeBuffer;
    }
    BlitCall call(b, draw);
    return call.Run(
        Piece{static_cast<int32_t>(windowX), static_cast<int32_t>(windowY), x, y, width, height});
}

void BufferBeginRects(DisplayBuffer* b) {
    if (b == nullptr) return;
    if (b->RectList == nullptr) {
        b->RectList = new (std::nothrow) RectEntry[b->RectCapacity]();
        if (b->RectList == nullptr) return;
    }
    b->RectState = RectsCollecting;
    b->RectCount = 0;
    b->RectNext = 0;
}

void BufferEndRects(DisplayBuffer* b) {
    if (b == nullptr || b->RectList == nullptr) return;
    b->RectState = RectsReplaying;
    b->RectNext = 0;
    BufferBlit(b, b->RectDC, b->RectList[0].windowX, b->RectList[0].windowY, 0, 0, 0, 0);
    b->RectState = RectsImmediate;
}

uint32_t BufferIsActive(const DisplayBuffer* b) {
    if (b == nullptr) return 0;
    if (b->FullScreen) return b->Active ? 1 : 0;
    return Platform().windows->FocusWindow() == b->Window ? 1 : 0;
}

}  // namespace tavik
