// Copying frames out: the destination picture, changed rectangles and colour remapping.
#include <algorithm>
#include <cstring>

#include "audio/sound_hooks.h"
#include "core/movie_internal.h"
#include "video/dest.h"
#include "video/frame_helpers.h"

namespace tavik {
namespace {

bool Interlaced(const TavikMovie* m) {
    return (m->OpenFlags & TavikNoScale) == TavikInterlace;
}
bool Doubled(const TavikMovie* m) {
    return (m->OpenFlags & TavikNoScale) == TavikDouble;
}

uint32_t CodedHeight(const TavikMovie* m) {
    return (Interlaced(m) || Doubled(m)) ? m->Header.Height / 2 : m->Header.Height;
}

// The descriptor's allocation: the record, then the change map with the room the size
// function gives it, then for 16-bit pixels the colour table.
uint32_t DescriptorSize(const TavikMovie* m, uint32_t bpp) {
    const uint32_t map = (ChangeMapSize(m->Header.Width, CodedHeight(m)) + 35) & ~3u;
    return static_cast<uint32_t>(sizeof(TavikDestDesc)) + map + (bpp == 2 ? 512 : 0);
}

void RemoveDest(TavikMovie* m) {
    if (!m->Dest) return;
    ReleaseCounted(m, m->Dest, m->DestSize);
    m->Dest = nullptr;
    m->DestSize = 0;
    m->ColourTable16 = nullptr;
}

}  // namespace
}  // namespace tavik

extern "C" {

// The picture must hold the whole movie at (x, y): `height` rows of `pitch` bytes, each at
// least (x + Width) pixels wide. A placement that does not fit sets no destination.
void TavikSetDest(TavikMovie* m, uint32_t x, uint32_t y, int32_t pitch, uint32_t height,
                  void* pixels, uint32_t format) {
    using namespace tavik;
    if (!m) return;
    if (!pixels) {
        RemoveDest(m);
        return;
    }
    const uint32_t bpp = (format & 0xC0000000u) ? 2 : 1;
    const uint32_t width = m->Header.Width;
    if (pitch <= 0 || uint64_t{y} + m->Header.Height > height ||
        (uint64_t{x} + width) * bpp > static_cast<uint64_t>(pitch)) {
        RemoveDest(m);
        return;
    }
    int64_t lineStep = pitch;
    uint32_t k = 3;  // lines per block minus 1
    if (Interlaced(m))
        lineStep = 2 * int64_t{pitch};
    else if (Doubled(m))
        k = 7;
    const uint32_t coded = CodedHeight(m);

    const uint32_t size = DescriptorSize(m, bpp);
    TavikDestDesc* old = m->Dest;
    TavikDestDesc* dest = m->Dest;
    if (!old || old->kind != kDestKindLinear || m->DestSize < size) {
        dest = static_cast<TavikDestDesc*>(AllocCounted(m, size, size));
        if (!dest) {
            RemoveDest(m);
            return;
        }
        std::memset(dest, 0, size);
    }
    uint16_t* table = nullptr;
    if (bpp == 2) {
        const uint32_t ownSize = dest == old ? m->DestSize : size;
        table = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(dest) + ownSize - 512);
        if (m->ColourTable16 && m->ColourTable16 != table)
            std::memmove(table, m->ColourTable16, 512);
    }
    if (dest != old) {
        if (old) ReleaseCounted(m, old, m->DestSize);
        m->Dest = dest;
        m->DestSize = size;
    }
    m->ColourTable16 = table;
    m->DestX = x;
    m->DestY = y;

    const bool bottomUp = format & TAVIK_DEST_BOTTOM_UP;
    const uint32_t row = bottomUp ? height - y - 1 : y;
    dest->kind = kDestKindLinear;
    dest->doubled = Doubled(m) ? 1 : 0;
    dest->format = bpp == 2 ? static_cast<uint8_t>(format >> 24) : 0;
    dest->picture = static_cast<uint8_t*>(pixels) + int64_t{pitch} * row + int64_t{x} * bpp;
    dest->blocksPerRow = width / 4;
    dest->blockRows = coded / 4;
    const int64_t widthBytes = int64_t{width} * bpp;
    if (!bottomUp) {
        dest->blockBackStep = static_cast<int32_t>(k * lineStep - 4 * bpp);
        dest->blockHeightStep = static_cast<int32_t>(k * lineStep);
        dest->lineStep = static_cast<int32_t>(lineStep);
        dest->rowStep = static_cast<int32_t>((k + 1) * lineStep - widthBytes);
    } else {
        dest->blockBackStep = static_cast<int32_t>(-(k * lineStep + 4 * bpp));
        dest->blockHeightStep = static_cast<int32_t>(-(k * lineStep));
        dest->lineStep = static_cast<int32_t>(-lineStep);
        dest->rowStep = static_cast<int32_t>(-(k + 1) * lineStep - widthBytes);
    }
    dest->iterator.width = width;
    dest->iterator.height = coded;
    dest->colourTable = table;
}
}
