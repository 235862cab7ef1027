// The blitter and sound-output calls under the library's prefix: the names a shared libtavik
// exports in place of the unprefixed ones that the player and the static library use.
#include "tavik/blitter.h"
#include "tavik/sound.h"

extern "C" {

TavikBlitter* TavikBlitterOpen(uint32_t flags) {
    return BlitterOpen(flags);
}
void TavikBlitterSetPalette(TavikBlitter* blitter, const void* palette, uint32_t layout) {
    BlitterSetPalette(blitter, palette, layout);
}
char* TavikBlitterName(const TavikBlitter* blitter, char* text) {
    return BlitterName(blitter, text);
}
void TavikBlit(TavikBlitter* blitter, void* destination, int32_t destinationPitch,
               uint32_t destinationX, uint32_t destinationY, uint32_t sourceX, int32_t sourcePitch,
               const void* source, uint32_t sourceY, uint32_t width, uint32_t height) {
    Blit(blitter, destination, destinationPitch, destinationX, destinationY, sourceX, sourcePitch,
         source, sourceY, width, height);
}
void TavikBlitterClose(TavikBlitter* blitter) {
    BlitterClose(blitter);
}
const char* TavikBlitterModeName(uint32_t mode) {
    return BlitterModeName(mode);
}
uint32_t TavikUseWaveOut(void) {
    return UseWaveOut();
}
uint32_t TavikUseDirectSound(void* directSound) {
    return UseDirectSound(directSound);
}
void TavikHeadlessSoundCapture(const char* path) {
    HeadlessSoundCapture(path);
}
}
