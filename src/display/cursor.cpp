// Hiding the mouse cursor while writing directly to the screen under it.
//
// Whether that is needed is probed once per cursor, surface and depth: a byte written directly
// under the visible cursor either survives the cursor being hidden again (a hardware cursor,
// nothing to do) or is undone by the cursor restoring what it covered (then the cursor is
// hidden around every direct write beneath it).
#include "display/display_state.h"

namespace tavik {

namespace {

// Lowers the display count until the cursor is hidden; counts the calls into `net`.
void HideCompletely(int32_t* net) {
    int32_t count;
    do {
        count = Platform().primary->ShowCursor(false);
        ++*net;
    } while (count >= 0);
}

bool Overlaps(int32_t ax, int32_t aw, int32_t bx, int32_t bw) {
    return !(int64_t{ax} + aw <= bx || int64_t{bx} + bw <= ax);
}

}  // namespace

uint32_t CursorNeedsHiding(PrimaryRef primary, CursorRef cursor) {
    const PlatformOps& p = Platform();
    DisplayState& d = Display();
    if (!p.primary->HasMouse()) return 0;
    LockedSurface locked;
    if (!LockPrimarySurface(primary, &locked)) return 0;
    p.primary->UnlockPrimary(primary, locked.bits);
    uint8_t* const surface = locked.bits;
    const uint32_t bitsPerPixel = locked.bitsPerPixel;
    if (d.cursorTested && d.testedCursor == cursor && d.testedSurface == surface &&
        d.testedBitsPerPixel == bitsPerPixel) {
        return d.testedResult;
    }

    const Point at = p.primary->CursorPosition();
    const WindowRef probe = p.primary->CreateProbeWindow(at, cursor);
    if (probe == nullptr) return 0;
    p.primary->PeekMessages();
    const Point inProbe = p.windows->ScreenToClient(probe, at);

    int32_t net = 0;  // hiding calls minus showing calls
    HideCompletely(&net);
    const uint32_t before = p.primary->ReadPixel(probe, inProbe);
    const CursorRef previous = p.primary->SetCursor(cursor);
    int32_t count;
    do {
        count = p.primary->ShowCursor(true);
        --net;
    } while (count < 0);
    p.primary->SetCursor(cursor);

    // A failed second lock, or a cursor off the surface, skips the write: no hiding then.
    uint32_t result = 0;
    bool written = false;
    LockedSurface again;
    if (LockPrimarySurface(primary, &again)) {
        const Rect reach = LockedReach(again);
        if (at.x >= reach.left && at.y >= reach.top && at.x < reach.right && at.y < reach.bottom) {
            const int64_t offset = int64_t{at.y - reach.top} * again.pitch +
                                   (int64_t{at.x - reach.left} * again.bitsPerPixel) / 8;
            again.bits[offset] = before == 0 ? 0xFF : 0;
            written = true;
        }
        p.primary->UnlockPrimary(primary, again.bits);
    }
    HideCompletely(&net);
    if (written) {
        const uint32_t after = p.primary->ReadPixel(probe, inProbe);
        if (after != before) {
            p.primary->WritePixel(probe, inProbe, before);
        } else {
            result = 1;
        }
    }
    p.primary->DestroyProbeWindow(probe);
    for (; net > 0; --net) p.primary->ShowCursor(true);
    for (; net < 0; ++net) p.primary->ShowCursor(false);
    p.primary->SetCursor(previous);

    d.cursorTested = true;
    d.testedCursor = cursor;
    d.testedSurface = surface;
    d.testedBitsPerPixel = bitsPerPixel;
    d.testedResult = result;
    return result;
}

uint32_t HideCursorOver(WindowRef window, int32_t x, int32_t y, int32_t width, int32_t height) {
    const PlatformOps& p = Platform();
    DisplayState& d = Display();
    if (!d.cursorSizeKnown) {
        d.cursorSize = p.primary->CursorSize();
        d.cursorSizeKnown = true;
    }
    Point corner{x, y};
    if (window != nullptr) corner = p.windows->ClientToScreen(window, corner);
    // The cursor is taken to cover its size from the hot spot on (touching counts as apart).
    const Point c = p.primary->CursorPosition();
    if (!Overlaps(c.x, d.cursorSize.x, corner.x, width) ||
        !Overlaps(c.y, d.cursorSize.y, corner.y, height)) {
        return 0;
    }
    int32_t calls = 0;
    HideCompletely(&calls);
    return static_cast<uint32_t>(calls);
}

void ShowCursorTimes(uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) Platform().primary->ShowCursor(true);
}

}  // namespace tavik
