// Pictures through their palettes into truecolour, and the status texts.
#include <cstring>

#include "decoder/convert_kernels.h"
#include "tavik/decoder.h"

namespace {

// Each pixel is stored as four bytes, the fourth overwritten by the next pixel: one store a
// pixel instead of three; the line's last pixel is stored as three.
void ConvertRgb24(const TavikFrame* frame, const TavikInfo* info, uint8_t* pixels,
                  ptrdiff_t pitch) {
    uint8_t table[256][4] = {};
    for (int i = 0; i < 256; ++i) std::memcpy(table[i], frame->Palette + 3 * i, 3);
    const uint8_t* from = frame->Pixels;
    for (uint32_t y = 0; y < info->Height; ++y, from += info->Width, pixels += pitch) {
        if (info->Width == 0) continue;
        uint32_t x = 0;
        for (; x + 1 < info->Width; ++x) std::memcpy(pixels + 3 * x, table[from[x]], 4);
        std::memcpy(pixels + 3 * x, table[from[x]], 3);
    }
}

// Per output byte, its value for every palette index, in memory order whatever the processor's
// byte order.
void MakeTables(const uint8_t* palette, TavikPixelFormat format, uint8_t (*tables)[256]) {
    for (int i = 0; i < 256; ++i) {
        const uint8_t* c = palette + 3 * i;
        if (format == TavikRGB565) {
            const auto word =
                static_cast<uint16_t>((c[0] >> 3) << 11 | (c[1] >> 2) << 5 | c[2] >> 3);
            uint8_t bytes[2];
            std::memcpy(bytes, &word, 2);
            tables[0][i] = bytes[0];
            tables[1][i] = bytes[1];
        } else {
            const bool bgra = format == TavikBGRA32;
            tables[0][i] = c[bgra ? 2 : 0];
            tables[1][i] = c[1];
            tables[2][i] = c[bgra ? 0 : 2];
        }
    }
}

}  // namespace

extern "C" {

TavikStatus TavikConvertFrame(const TavikFrame* frame, const TavikInfo* info,
                              TavikPixelFormat format, void* pixels, ptrdiff_t pitch) {
    if (!frame || !info || !pixels || !frame->Pixels || !frame->Palette) return TavikErrorArgument;
    if (format != TavikRGB24 && format != TavikRGBA32 && format != TavikBGRA32 &&
        format != TavikRGB565)
        return TavikErrorArgument;
    const uint32_t bytesPerPixel = format == TavikRGB24 ? 3 : format == TavikRGB565 ? 2 : 4;
    const uint64_t lineBytes = uint64_t{info->Width} * bytesPerPixel;
    if (static_cast<uint64_t>(pitch < 0 ? -pitch : pitch) < lineBytes) return TavikErrorArgument;
    auto* out = static_cast<uint8_t*>(pixels);
    if (format == TavikRGB24) {
        ConvertRgb24(frame, info, out, pitch);
        return TavikOk;
    }
    alignas(64) uint8_t tables[3][256];
    MakeTables(frame->Palette, format, tables);
    const tavik::ConvertKernels& kernels = tavik::ChosenConvertKernels();
    const auto run = bytesPerPixel == 4 ? kernels.run32 : kernels.run16;
    if (static_cast<uint64_t>(pitch) == lineBytes) {  // one run over the whole picture
        run(frame->Pixels, size_t{info->Width} * info->Height, tables, out);
        return TavikOk;
    }
    const uint8_t* from = frame->Pixels;
    for (uint32_t y = 0; y < info->Height; ++y, from += info->Width, out += pitch)
        run(from, info->Width, tables, out);
    return TavikOk;
}

const char* TavikStatusText(TavikStatus status) {
    switch (status) {
        case TavikOk:
            return "The call succeeded.";
        case TavikEndOfMovie:
            return "The movie has no more frames.";
        case TavikErrorIo:
            return "The movie could not be read.";
        case TavikErrorFormat:
            return "The data is not a valid Tavik movie, or it is damaged.";
        case TavikErrorMemory:
            return "There was not enough memory.";
        case TavikErrorArgument:
            return "An argument was not valid.";
        case TavikErrorLimit:
            return "The movie is larger than the program's limits allow.";
    }
    return "Unknown status.";
}
}
