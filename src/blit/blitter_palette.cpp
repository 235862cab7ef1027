// Palettes of the blitter and the tables built from them.
#include <cstring>

#include "blit/blitter_record.h"
#include "blit/smoothing_table.h"
#include "tavik/movie.h"
#include "video/frame_helpers.h"

namespace tavik {
namespace {

void RebuildTables(TavikBlitter* blitter) {
    const uint32_t mode = blitter->Mode;
    const bool sixFiveFive = (blitter->Flags & TAVIK_BLITTER_FORMAT_MASK) == TAVIK_BLITTER_565;
    if (IsSixteenBitMode(mode) && blitter->ColourTableVersion != blitter->PaletteVersion) {
        if (sixFiveFive) {
            BuildColourTable565(blitter->ColourTable, blitter->Palette);
        } else {
            BuildColourTable555(blitter->ColourTable, blitter->Palette);
        }
        blitter->ColourTableVersion = blitter->PaletteVersion;
    }
    if (!IsSmoothingMode(mode)) return;
    const uint32_t kind = mode == BlitterMode16Bit2xSmoothing ? 16 : 8;
    if (blitter->SmoothingKind == kind && blitter->SmoothingVersion == blitter->PaletteVersion) {
        return;
    }
    // The build takes long enough for the sound output to run dry without a service pass.
    TavikServiceSound();
    if (kind == 16) {
        BuildSmoothingTable16(static_cast<uint16_t*>(blitter->SmoothingTable), blitter->Palette,
                              sixFiveFive);
    } else {
        BuildSmoothingTable8(static_cast<uint8_t*>(blitter->SmoothingTable), blitter->Palette);
    }
    TavikServiceSound();
    blitter->SmoothingVersion = blitter->PaletteVersion;
    blitter->SmoothingKind = kind;
}

}  // namespace

void ConvertPalette(const uint8_t* palette, uint32_t layout, uint8_t* rgb) {
    const bool wideChannels = (layout & BlitterLayoutWideChannels) != 0;
    const size_t channelBytes = wideChannels ? 2 : 1;
    const bool fourChannels = (layout & BlitterLayoutFourBytes) != 0;
    const size_t entryBytes = (fourChannels ? 4 : 3) * channelBytes;
    // The second-byte bit only means something with four channels per entry.
    const size_t offset = fourChannels && (layout & BlitterLayoutSecondByte) ? channelBytes : 0;
    const bool blueFirst = (layout & BlitterLayoutBlueFirst) != 0;

    for (size_t i = 0; i < 256; ++i) {
        const uint8_t* entry = palette + i * entryBytes + offset;
        uint8_t channels[3];
        for (size_t k = 0; k < 3; ++k) {
            if (wideChannels) {
                uint16_t value;
                std::memcpy(&value, entry + 2 * k, sizeof value);
                channels[k] = static_cast<uint8_t>(value & 0xFF);
            } else {
                channels[k] = entry[k];
            }
        }
        rgb[3 * i] = blueFirst ? channels[2] : channels[0];
        rgb[3 * i + 1] = channels[1];
        rgb[3 * i + 2] = blueFirst ? channels[0] : channels[2];
    }
}

}  // namespace tavik

extern "C" void BlitterSetPalette(TavikBlitter* blitter, const void* palette, uint32_t layout) {
    if (blitter == nullptr || blitter->Palette == nullptr || palette == nullptr) return;
    uint8_t rgb[tavik::kPaletteBytes];
    tavik::ConvertPalette(static_cast<const uint8_t*>(palette), layout, rgb);
    if (blitter->FirstPalette == 0 && std::memcmp(rgb, blitter->Palette, sizeof rgb) == 0) return;
    std::memcpy(blitter->Palette, rgb, sizeof rgb);
    ++blitter->PaletteVersion;
    tavik::RebuildTables(blitter);
    blitter->FirstPalette = 0;
}
