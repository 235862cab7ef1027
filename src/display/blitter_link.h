// The display buffer's calls into the blitter, kept in one table so that they are swappable.
#pragma once

#include <cstdint>
#include <string>

struct TavikBlitter;

namespace tavik {

struct BlitterCalls {
    // Null when no blitter can be opened (then direct writes are not used).
    TavikBlitter* (*open)(uint32_t flags);
    void (*close)(TavikBlitter* blitter);
    // palette: 256 entries in the blitter's layout word.
    void (*setPalette)(TavikBlitter* blitter, const uint8_t* palette, uint32_t layout);
    // Writes the mode name (at most 63 characters) into `text`.
    void (*name)(TavikBlitter* blitter, char* text);
    // Copies (sourceX, sourceY, width, height) of the 8-bit source to destination + (x, y).
    void (*blit)(TavikBlitter* blitter, uint8_t* destination, int32_t destinationPitch,
                 uint32_t destinationX, uint32_t destinationY, uint32_t sourceX,
                 int32_t sourcePitch, const uint8_t* source, uint32_t sourceY, uint32_t width,
                 uint32_t height);
};

// The blitter in use (the engine's own by default); tests install a recording one.
const BlitterCalls& Blitters();
void SetBlitters(const BlitterCalls* calls);

inline TavikBlitter* OpenBlitter(uint32_t flags) {
    return Blitters().open(flags);
}
inline void CloseBlitter(TavikBlitter* blitter) {
    if (blitter != nullptr) Blitters().close(blitter);
}
inline void SetBlitterPalette(TavikBlitter* blitter, const uint8_t* palette, uint32_t layout) {
    Blitters().setPalette(blitter, palette, layout);
}
std::string BlitterModeName(TavikBlitter* blitter);

}  // namespace tavik
