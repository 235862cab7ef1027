// The display side's process-wide state and the run-time loaders of its facilities.
#include "display/display_state.h"

#include <cstring>

namespace tavik {

namespace {

DisplayState g_display;

void PutU32(uint8_t* at, uint32_t value) {
    std::memcpy(at, &value, 4);
}
void PutU16(uint8_t* at, uint16_t value) {
    std::memcpy(at, &value, 2);
}

}  // namespace

bool Offers(DisplayLibrary library) {
    const PlatformOps& p = Platform();
    switch (library) {
        case DisplayLibrary::DibSections:
        case DisplayLibrary::WinG:
            if (p.pictures == nullptr) return false;
            break;
        case DisplayLibrary::DirectDraw:
            if (p.primary == nullptr) return false;
            break;
        case DisplayLibrary::FullScreen:
        case DisplayLibrary::DisplaySettings:
            if (p.fullScreen == nullptr) return false;
            break;
    }
    return p.screen->LoadLibrary(library);
}

DisplayState& Display() {
    return g_display;
}

void ResetDisplayState() {
    g_display = DisplayState{};
}

bool DibSectionsFound() {
    return g_display.dibSections == LibraryState::Loaded;
}

void LoadDibSectionFunctions() {
    if (g_display.dibSections != LibraryState::NotTried) return;
    g_display.dibSections =
        Offers(DisplayLibrary::DibSections) ? LibraryState::Loaded : LibraryState::Absent;
}

void LoadWinG() {
    LoadDibSectionFunctions();
    if (g_display.wing != LibraryState::NotTried) return;
    if (g_display.dibSections == LibraryState::Loaded) {
        g_display.wing = LibraryState::NotNeeded;
        return;
    }
    g_display.wing = Offers(DisplayLibrary::WinG) ? LibraryState::Loaded : LibraryState::Absent;
}

void LoadDirectDraw() {
    if (g_display.directDraw != LibraryState::NotTried) return;
    g_display.directDraw =
        Offers(DisplayLibrary::DirectDraw) ? LibraryState::Loaded : LibraryState::Absent;
}

bool DispDibAvailable() {
    return Offers(DisplayLibrary::FullScreen);
}

void WriteHeaderIndices() {
    uint8_t* colours = g_display.sharedHeader + 40;
    std::memset(colours, 0, kSharedHeaderSize - 40);
    for (uint16_t i = 0; i < 256; ++i) PutU16(colours + 2 * i, i);
}

void PrepareBitmapHeader(const DisplayBuffer* buffer) {
    uint8_t* h = g_display.sharedHeader;
    std::memset(h, 0, 40);
    PutU32(h, 40);
    PutU32(h + 4, buffer->Pitch);
    PutU32(h + 8, buffer->Height);  // positive: rows bottom-up
    PutU16(h + 12, 1);
    PutU16(h + 14, 8);
}

}  // namespace tavik
