// Remapping the movie's colours onto a display palette that cannot take them, by rewriting
// the values the trees produce: later frames then decode straight into the display's indices.
#include <algorithm>
#include <utility>

#include "audio/sound_hooks.h"
#include "core/movie_internal.h"
#include "video/frame_helpers.h"

namespace tavik {
namespace {

struct EntryLayout {
    uint32_t size = 3, red = 0, green = 1, blue = 2;
};

EntryLayout LayoutFor(uint32_t format) {
    EntryLayout l;
    if (format & 4) {
        l.size = 4;
        if (format & 8) l.red = 1, l.green = 2, l.blue = 3;
    }
    if (format & 2) std::swap(l.red, l.blue);
    if (format & 1) l.size *= 2, l.red *= 2, l.green *= 2, l.blue *= 2;
    return l;
}

uint32_t Square(int32_t v) {
    return static_cast<uint32_t>(v * v);
}

}  // namespace
}  // namespace tavik

extern "C" {

void TavikRemap(TavikMovie* m, const void* entries, uint32_t count, uint32_t format,
                uint32_t reserved) {
    using namespace tavik;
    if (!m || !entries) return;
    ServiceSound();
    if (count > 256) count = 256;
    if (count == 0) return;  // nothing to map onto
    const EntryLayout l = LayoutFor(format);
    const auto* table = static_cast<const uint8_t*>(entries);
    uint8_t map[256];
    for (uint32_t i = 0; i < 256; ++i) {
        if (i == reserved) {
            map[i] = static_cast<uint8_t>(i);
            continue;
        }
        const uint8_t* colour = m->Palette + 3 * i;
        const uint32_t first = i < count ? i : 0;
        const uint8_t* e = table + first * l.size;
        if (e[l.red] >> 2 == colour[0] >> 2 && e[l.green] >> 2 == colour[1] >> 2 &&
            e[l.blue] >> 2 == colour[2] >> 2) {
            map[i] = static_cast<uint8_t>(first);
            continue;
        }
        uint32_t best = first;
        uint32_t bestDistance = ~0u;
        for (uint32_t k = 0; k < count; ++k) {
            const uint32_t j = (first + k) % count;
            if (j == reserved) continue;
            e = table + j * l.size;
            const uint32_t d = Square(e[l.red] - colour[0]) + Square(e[l.green] - colour[1]) +
                               Square(e[l.blue] - colour[2]);
            if (d < bestDistance) {
                bestDistance = d;
                best = j;
                if (d == 0) break;
            }
        }
        map[i] = static_cast<uint8_t>(best);
    }

    ServiceSound();
    if (!m->ColoursKnown) {
        std::fill(m->ColourUsed, m->ColourUsed + 256, uint8_t{0});
        FindUsedColours(m->Trees, m->ColourUsed);
        m->ColoursKnown = 1;
    }
    bool changes = false;
    for (uint32_t c = 0; c < 256 && !changes; ++c) changes = m->ColourUsed[c] && map[c] != c;
    if (changes) {
        RemapTreeColours(m->Trees, map);
        m->TreesRemapped = 1;
        return;
    }
    if (m->TreesRemapped) {
        RemapTreeColours(m->Trees, map);
        m->TreesRemapped = 0;
    }
    ServiceSound();
}
}
