// Direct writes to the primary surface: setting them up for method 5.
#include "display/blitter_link.h"
#include "display/display_state.h"

namespace tavik {

namespace {

constexpr uint32_t kFormat565 = 0xC0000000;
constexpr uint32_t kFormat555 = 0x80000000;
constexpr uint32_t kFormatUnusable = 0xFFFFFFFF;

}  // namespace

uint32_t SurfaceFormatFlags(PrimaryRef primary) {
    PixelFormat format;
    if (!Platform().primary->PrimaryFormat(primary, &format)) return kFormatUnusable;
    if (format.bitsPerPixel == 8) return 0;
    if (format.redMask == 0xF800 && format.greenMask == 0x07E0 && format.blueMask == 0x001F) {
        return kFormat565;
    }
    if (format.redMask == 0x7C00 && format.greenMask == 0x03E0 && format.blueMask == 0x001F) {
        return kFormat555;
    }
    return kFormatUnusable;
}

bool LockPrimarySurface(PrimaryRef primary, LockedSurface* locked) {
    const PlatformOps& p = Platform();
    for (;;) {
        const LockResult result = p.primary->LockPrimary(primary, locked);
        if (result == LockResult::Locked) return locked->bits != nullptr;
        if (result != LockResult::Lost || !p.primary->RestorePrimary(primary)) return false;
    }
}

Rect LockedReach(const LockedSurface& locked) {
    const Rect& r = locked.reach;
    if (r.right > r.left && r.bottom > r.top) return r;
    const Point screen = Platform().screen->ScreenSize();
    return Rect{0, 0, screen.x, screen.y};
}

void SetUpDirectDraw(DisplayBuffer* b, uint32_t methodFlags) {
    const PlatformOps& p = Platform();
    b->Primary = p.primary->OpenPrimary(b->Window);
    if (b->Primary == nullptr) return;
    auto giveUp = [&] {
        p.primary->ClosePrimary(b->Primary);
        b->Primary = nullptr;
    };
    uint32_t flags = 1;
    if (b->Stretched) {
        flags = (methodFlags & Smoothing) ? 4 : (methodFlags & Interlaced) ? 8 : 2;
    }
    const uint32_t format = SurfaceFormatFlags(b->Primary);
    if (format == kFormatUnusable) return giveUp();
    b->BlitterFlags = flags + format;

    LockedSurface locked;
    const LockResult result = p.primary->LockPrimary(b->Primary, &locked);
    if (result == LockResult::CannotLock) return giveUp();
    if (result == LockResult::Locked) p.primary->UnlockPrimary(b->Primary, locked.bits);

    // HideCursor stays set when the blitter then cannot be had; without one it has no effect.
    b->HideCursor = CursorNeedsHiding(b->Primary, p.primary->WindowCursor(b->Window));
    b->Blitter = OpenBlitter(b->BlitterFlags);
    if (b->Blitter == nullptr) giveUp();
}

}  // namespace tavik
