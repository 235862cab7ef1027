// The blitter record: opening, closing, modes and names.
#include <cstdio>
#include <cstring>
#include <new>

#include "blit/blitter_record.h"
#include "video/frame_helpers.h"

namespace tavik {
namespace {

constexpr std::align_val_t kAlignment{32};

}  // namespace

uint32_t BlitterModeFromFlags(uint32_t flags) {
    uint32_t mode =
        (flags & TAVIK_BLITTER_FORMAT_MASK) != 0 ? BlitterMode16Bit1x : BlitterMode8Bit1x;
    if (flags & BlitterSmoothing) {
        mode += 3;
    } else if (flags & BlitterInterlaced) {
        mode += 2;
    } else if (flags & BlitterDouble) {
        mode += 1;
    }
    return mode;
}

size_t BlitterAllocationSize(uint32_t mode) {
    size_t size = kBlitterRecordBytes;
    if (IsSixteenBitMode(mode)) size += kColourTableBytes;
    if (IsSixteenBitMode(mode) || IsSmoothingMode(mode)) size += kPaletteBytes;
    if (IsSmoothingMode(mode)) size += kSmoothingTableBytes;
    return size;
}

bool WideLoopsChosen() {
    uint32_t answer = ProcessorAnswer();
    if (answer == 0) answer = ProcessorCheck();
    return answer == 2;
}

}  // namespace tavik

using namespace tavik;

extern "C" {

TavikBlitter* BlitterOpen(uint32_t flags) {
    // Bit 30 alone names no pixel format.
    if ((flags & TAVIK_BLITTER_FORMAT_MASK) == 0x40000000u) return nullptr;
    const uint32_t mode = BlitterModeFromFlags(flags);
    const size_t size = BlitterAllocationSize(mode);
    auto* block = static_cast<uint8_t*>(::operator new(size, kAlignment, std::nothrow));
    if (block == nullptr) return nullptr;
    // Tables start cleared so that a blit before the first palette writes defined pixels.
    std::memset(block, 0, size);

    auto* blitter = new (block) TavikBlitter{};
    blitter->Flags = flags;
    blitter->Mode = mode;
    blitter->FirstPalette = 1;
    uint8_t* next = block + kBlitterRecordBytes;
    if (IsSixteenBitMode(mode)) {
        blitter->ColourTable = reinterpret_cast<uint16_t*>(next);
        next += kColourTableBytes;
    }
    if (IsSixteenBitMode(mode) || IsSmoothingMode(mode)) {
        blitter->Palette = next;
        next += kPaletteBytes;
    }
    if (IsSmoothingMode(mode)) blitter->SmoothingTable = next;
    return blitter;
}

void BlitterClose(TavikBlitter* blitter) {
    if (blitter == nullptr) return;
    blitter->~TavikBlitter();
    ::operator delete(static_cast<void*>(blitter), kAlignment);
}

const char* BlitterModeName(uint32_t mode) {
    switch (mode) {
        case BlitterMode8Bit1x:
            return "8-bit 1x";
        case BlitterMode8Bit2x:
            return "8-bit 2x";
        case BlitterMode8Bit2xInterlaced:
            return "8-bit 2x Interlaced";
        case BlitterMode8Bit2xSmoothing:
            return "8-bit 2x Smoothing";
        case BlitterMode16Bit1x:
            return "16-bit 1x";
        case BlitterMode16Bit2x:
            return "16-bit 2x";
        case BlitterMode16Bit2xInterlaced:
            return "16-bit 2x Interlaced";
        case BlitterMode16Bit2xSmoothing:
            return "16-bit 2x Smoothing";
        default:
            return "";  // 4 and 5 never come out of the flags
    }
}

char* BlitterName(const TavikBlitter* blitter, char* text) {
    if (text == nullptr) return nullptr;
    if (blitter == nullptr) {
        text[0] = '\0';
        return text;
    }
    // UseMMX(2) asks without changing the setting.
    const bool wide = HasWideLoops(blitter->Mode) && UseMMX(2) == 1;
    std::snprintf(text, TAVIK_BLITTER_NAME_SIZE, "%s%s", BlitterModeName(blitter->Mode),
                  wide ? " using MMX" : "");
    return text;
}

}  // extern "C"
