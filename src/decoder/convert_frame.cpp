// Pictures through their palettes into truecolour, and the status texts.
#include <cstring>

#include "tavik/decoder.h"

namespace {

template <typename Word>
void ConvertLines(const TavikFrame* frame, const TavikInfo* info, const Word* table,
                  uint8_t* pixels, ptrdiff_t pitch) {
    const uint8_t* from = frame->Pixels;
    for (uint32_t y = 0; y < info->Height; ++y, from += info->Width, pixels += pitch) {
        Word* to = reinterpret_cast<Word*>(pixels);
        for (uint32_t x = 0; x < info->Width; ++x) to[x] = table[from[x]];
    }
}

void ConvertRgb24(const TavikFrame* frame, const TavikInfo* info, uint8_t* pixels,
                  ptrdiff_t pitch) {
    const uint8_t* from = frame->Pixels;
    for (uint32_t y = 0; y < info->Height; ++y, from += info->Width, pixels += pitch)
        for (uint32_t x = 0; x < info->Width; ++x)
            std::memcpy(pixels + 3 * x, frame->Palette + 3 * from[x], 3);
}

}  // namespace

extern "C" {

TavikStatus TavikConvertFrame(const TavikFrame* frame, const TavikInfo* info,
                              TavikPixelFormat format, void* pixels, ptrdiff_t pitch) {
    if (!frame || !info || !pixels || !frame->Pixels || !frame->Palette) return TavikErrorArgument;
    const uint32_t bytesPerPixel = format == TavikRGB24 ? 3 : format == TavikRGB565 ? 2 : 4;
    if (format != TavikRGB24 && format != TavikRGBA32 && format != TavikBGRA32 &&
        format != TavikRGB565)
        return TavikErrorArgument;
    const uint64_t lineBytes = uint64_t{info->Width} * bytesPerPixel;
    if (static_cast<uint64_t>(pitch < 0 ? -pitch : pitch) < lineBytes) return TavikErrorArgument;
    auto* out = static_cast<uint8_t*>(pixels);
    const uint8_t* p = frame->Palette;
    switch (format) {
        case TavikRGB24:
            ConvertRgb24(frame, info, out, pitch);
            break;
        case TavikRGB565: {
            uint16_t table[256];
            for (int i = 0; i < 256; ++i)
                table[i] = static_cast<uint16_t>((p[3 * i] >> 3) << 11 | (p[3 * i + 1] >> 2) << 5 |
                                                 p[3 * i + 2] >> 3);
            ConvertLines(frame, info, table, out, pitch);
            break;
        }
        default: {
            // Bytes in memory order, whatever the processor's byte order.
            const bool bgra = format == TavikBGRA32;
            uint32_t table[256];
            for (int i = 0; i < 256; ++i) {
                const uint8_t bytes[4] = {p[3 * i + (bgra ? 2 : 0)], p[3 * i + 1],
                                          p[3 * i + (bgra ? 0 : 2)], 255};
                std::memcpy(&table[i], bytes, 4);
            }
            ConvertLines(frame, info, table, out, pitch);
            break;
        }
    }
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
    }
    return "Unknown status.";
}
}
