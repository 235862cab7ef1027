// The default blitter calls: the engine's blitter.
#include "display/blitter_link.h"

#include <cstdio>

#include "tavik/blitter.h"

namespace tavik {

namespace {

void EngineName(TavikBlitter* blitter, char* text) {
    char name[TAVIK_BLITTER_NAME_SIZE] = {};
    BlitterName(blitter, name);
    std::snprintf(text, 64, "%s", name);
}

void EngineBlit(TavikBlitter* blitter, uint8_t* destination, int32_t destinationPitch,
                uint32_t destinationX, uint32_t destinationY, uint32_t sourceX, int32_t sourcePitch,
                const uint8_t* source, uint32_t sourceY, uint32_t width, uint32_t height) {
    Blit(blitter, destination, destinationPitch, destinationX, destinationY, sourceX, sourcePitch,
         source, sourceY, width, height);
}

void EnginePalette(TavikBlitter* blitter, const uint8_t* palette, uint32_t layout) {
    BlitterSetPalette(blitter, palette, layout);
}

constexpr BlitterCalls kEngineBlitter = {BlitterOpen, BlitterClose, EnginePalette, EngineName,
                                         EngineBlit};
const BlitterCalls* g_calls = &kEngineBlitter;

}  // namespace

const BlitterCalls& Blitters() {
    return *g_calls;
}
void SetBlitters(const BlitterCalls* calls) {
    g_calls = calls != nullptr ? calls : &kEngineBlitter;
}

std::string BlitterModeName(TavikBlitter* blitter) {
    char text[64] = {};
    Blitters().name(blitter, text);
    text[63] = '\0';
    return text;
}

}  // namespace tavik
