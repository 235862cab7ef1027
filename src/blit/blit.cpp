// Blit: the addresses and steps of a rectangle, handed to the scaler of the blitter's mode.
#include "blit/blitter_record.h"
#include "blit/scalers.h"

extern "C" void Blit(TavikBlitter* blitter, void* destination, int32_t destinationPitch,
                     uint32_t destinationX, uint32_t destinationY, uint32_t sourceX,
                     int32_t sourcePitch, const void* source, uint32_t sourceY, uint32_t width,
                     uint32_t height) {
    using namespace tavik;
    if (blitter == nullptr || destination == nullptr || source == nullptr) return;
    if (width == 0 || height == 0) return;

    const uint32_t mode = blitter->Mode;
    const ScalerTable& scalers =
        HasWideLoops(mode) && WideLoopsChosen() ? WideScalers() : PlainScalers();
    const Scaler scaler = mode < 10 ? scalers.byMode[mode] : nullptr;
    if (scaler == nullptr) return;

    // Address arithmetic in ptrdiff_t: pitch x line can pass 32 bits on large surfaces.
    const ptrdiff_t pitch = destinationPitch;
    const ptrdiff_t w = width;
    const ptrdiff_t sourceLine = sourcePitch;
    const uint8_t* first = static_cast<const uint8_t*>(source) +
                           sourceLine * static_cast<ptrdiff_t>(sourceY) + sourceX;
    const ptrdiff_t sourceSkip = sourceLine - w;
    const ptrdiff_t lineOffset = pitch * static_cast<ptrdiff_t>(destinationY);
    const ptrdiff_t x = destinationX;
    auto* base = static_cast<uint8_t*>(destination);

    switch (mode) {
        case BlitterMode8Bit1x:
            scaler(base + lineOffset + x, pitch - w, first, sourceSkip, width, height, nullptr);
            break;
        case BlitterMode8Bit2x:
            scaler(base + 2 * (lineOffset + x), pitch, first, sourceSkip, width, height, nullptr);
            break;
        case BlitterMode8Bit2xInterlaced:
            scaler(base + 2 * (lineOffset + x), 2 * (pitch - w), first, sourceSkip, width, height,
                   nullptr);
            break;
        case BlitterMode8Bit2xSmoothing:
            scaler(base + 2 * (lineOffset + x), pitch, first, sourceLine, width, height,
                   blitter->SmoothingTable);
            break;
        case BlitterMode16Bit1x:
            scaler(base + lineOffset + 2 * x, pitch - 2 * w, first, sourceSkip, width, height,
                   blitter->ColourTable);
            break;
        case BlitterMode16Bit2x:
            scaler(base + 2 * (lineOffset + 2 * x), pitch, first, sourceSkip, width, height,
                   blitter->ColourTable);
            break;
        case BlitterMode16Bit2xInterlaced:
            scaler(base + 2 * (lineOffset + 2 * x), 2 * (pitch - 2 * w), first, sourceSkip, width,
                   height, blitter->ColourTable);
            break;
        case BlitterMode16Bit2xSmoothing:
            scaler(base + 2 * (lineOffset + 2 * x), pitch, first, sourceLine, width, height,
                   blitter->SmoothingTable);
            break;
        default:
            break;
    }
}
