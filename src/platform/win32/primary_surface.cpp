// The DirectDraw primary surface for windowed direct writes. The object is only ever used in
// normal (windowed) co-operation: the program never takes the screen for itself.
#include <ddraw.h>

#include <cstring>
#include <new>

#include "platform/win32/libraries.h"
#include "platform/win32/operations.h"
#include "platform/win32/view.h"

namespace tavik::win32 {

namespace {

constexpr DWORD kBankSwitched = 0x08000000;  // DDCAPS_BANKSWITCHED

struct Primary {
    IDirectDraw* directDraw = nullptr;
    IDirectDrawSurface* surface = nullptr;
};

Primary* ToPrimary(PrimaryRef primary) {
    return reinterpret_cast<Primary*>(primary);
}

// The size fields carry the size of the structure as this build has it (pointers make them
// larger than on 32-bit Windows), which is what the system checks.
DDSURFACEDESC PrimaryDescription() {
    DDSURFACEDESC description;
    std::memset(&description, 0, sizeof description);
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    return description;
}

void ReleaseAll(Primary& primary) {
    if (primary.surface != nullptr) primary.surface->Release();
    if (primary.directDraw != nullptr) primary.directDraw->Release();
    primary.surface = nullptr;
    primary.directDraw = nullptr;
}

}  // namespace

PrimaryRef OpenPrimary(WindowRef window) {
    if (DirectDraw().create == nullptr) return nullptr;
    Primary opened;
    void* object = nullptr;
    if (DirectDraw().create(nullptr, &object, nullptr) != DD_OK || object == nullptr) {
        return nullptr;
    }
    opened.directDraw = static_cast<IDirectDraw*>(object);
    bool usable = opened.directDraw->SetCooperativeLevel(ToHwnd(window), DDSCL_NORMAL) == DD_OK;
    if (usable) {
        DDCAPS driver, emulation;
        std::memset(&driver, 0, sizeof driver);
        std::memset(&emulation, 0, sizeof emulation);
        driver.dwSize = emulation.dwSize = sizeof(DDCAPS);
        usable = opened.directDraw->GetCaps(&driver, &emulation) == DD_OK &&
                 (driver.dwCaps & kBankSwitched) == 0;
    }
    if (usable) {
        DDSURFACEDESC description = PrimaryDescription();
        usable =
            opened.directDraw->CreateSurface(&description, &opened.surface, nullptr) == DD_OK &&
            opened.surface != nullptr;
    }
    Primary* kept = usable ? new (std::nothrow) Primary(opened) : nullptr;
    if (kept == nullptr) ReleaseAll(opened);
    return reinterpret_cast<PrimaryRef>(kept);
}

bool PrimaryFormat(PrimaryRef ref, PixelFormat* format) {
    Primary* primary = ToPrimary(ref);
    if (primary == nullptr || format == nullptr) return false;
    DDPIXELFORMAT pixels;
    std::memset(&pixels, 0, sizeof pixels);
    pixels.dwSize = sizeof pixels;
    pixels.dwFlags = DDPF_RGB;
    if (primary->surface->GetPixelFormat(&pixels) != DD_OK) return false;
    format->bitsPerPixel = pixels.dwRGBBitCount;
    format->redMask = pixels.dwRBitMask;
    format->greenMask = pixels.dwGBitMask;
    format->blueMask = pixels.dwBBitMask;
    return true;
}

LockResult LockPrimary(PrimaryRef ref, LockedSurface* locked) {
    Primary* primary = ToPrimary(ref);
    if (primary == nullptr || locked == nullptr) return LockResult::Failed;
    // A window showing the view's picture is drawn through the window system meanwhile.
    if (ViewRefusesDirectWrites()) return LockResult::Failed;
    DDSURFACEDESC description = PrimaryDescription();
    const HRESULT result = primary->surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr);
    if (result == DDERR_SURFACELOST) return LockResult::Lost;
    if (result == DDERR_CANTLOCKSURFACE) return LockResult::CannotLock;
    if (result != DD_OK) return LockResult::Failed;
    locked->bits = static_cast<uint8_t*>(description.lpSurface);
    locked->pitch = description.lPitch;
    locked->bitsPerPixel = description.ddpfPixelFormat.dwRGBBitCount;
    return LockResult::Locked;
}

bool RestorePrimary(PrimaryRef ref) {
    Primary* primary = ToPrimary(ref);
    return primary != nullptr && primary->surface->Restore() == DD_OK;
}

void UnlockPrimary(PrimaryRef ref, uint8_t* bits) {
    if (Primary* primary = ToPrimary(ref)) primary->surface->Unlock(bits);
}

void ClosePrimary(PrimaryRef ref) {
    Primary* primary = ToPrimary(ref);
    if (primary == nullptr) return;
    ReleaseAll(*primary);
    delete primary;
}

}  // namespace tavik::win32
