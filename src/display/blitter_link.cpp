// The default blitter calls. Until the engine's blitter is part of the build none can be
// opened, and the display buffer never writes to the screen surface directly.
#include "display/blitter_link.h"

namespace tavik {

namespace {

TavikBlitter* NoOpen(uint32_t) {
    return nullptr;
}
void NoClose(TavikBlitter*) {}
void NoPalette(TavikBlitter*, const uint8_t*, uint32_t) {}
void NoName(TavikBlitter*, char* text) {
    text[0] = '\0';
}
void NoBlit(TavikBlitter*, uint8_t*, int32_t, uint32_t, uint32_t, uint32_t, int32_t, const uint8_t*,
            uint32_t, uint32_t, uint32_t) {}

constexpr BlitterCalls kEngineBlitter = {NoOpen, NoClose, NoPalette, NoName, NoBlit};
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
