// Handing out the changed rectangles of the frame just decoded: merged, bounded, or none.
#include <algorithm>
#include <cstring>

#include "core/movie_internal.h"
#include "video/dest.h"
#include "video/frame_helpers.h"

namespace tavik {
namespace {

struct Rect {
    uint32_t left, top, right, bottom;
};

Rect* ListAt(TavikMovie* m, uint32_t index) {
    return reinterpret_cast<Rect*>(m->Rects) + index;
}

// Produces the next rectangle (left, top, right, bottom in the destination) or returns false.
bool ProduceRect(TavikMovie* m, uint32_t mode, Rect& out) {
    if (m->RectState == 3) {
        m->RectState = 0;
        return false;
    }
    if (m->RectState == 0 || !m->Dest) return false;
    if (m->RectState == 1) {
        if (!NextChangeRect(m->Dest, m->BlockRect)) {
            m->RectState = 0;
            if (!m->NewPalette) return false;
            // Only the palette changed: one empty rectangle, so the caller still shows it.
            out = Rect{0, 0, 0, 0};
            return true;
        }
        m->RectState = 2;
    }
    uint32_t x0 = m->BlockRect[0], y0 = m->BlockRect[1];
    uint32_t x1 = x0 + m->BlockRect[2], y1 = y0 + m->BlockRect[3];
    if (mode == TavikRectsBounding) {
        uint32_t r[4];
        while (NextChangeRect(m->Dest, r)) {
            x0 = std::min(x0, r[0]);
            x1 = std::max(x1, r[0] + r[2]);
            y1 = r[1] + r[3];
        }
        m->RectState = 3;
    } else {
        uint64_t budget = (uint64_t{m->BlockRect[2]} * m->BlockRect[3] * 5) >> 2;
        for (;;) {
            if (!NextChangeRect(m->Dest, m->BlockRect)) {
                m->RectState = 3;
                break;
            }
            const uint32_t* r = m->BlockRect;
            budget += (uint64_t{r[2]} * r[3] * 5) >> 2;
            const uint32_t cx0 = std::min(x0, r[0]);
            const uint32_t cx1 = std::max(x1, r[0] + r[2]);
            const uint32_t cy1 = r[1] + r[3];
            // Too much unchanged area: emit what we have; the new one starts the next union.
            if (uint64_t{cx1 - cx0} * (cy1 - y0) > budget) break;
            x0 = cx0, x1 = cx1, y1 = cy1;
        }
    }
    if (m->OpenFlags & TavikNoScale) y0 *= 2, y1 *= 2;
    // Align to 8 columns of the destination, where the picture allows it.
    uint32_t width = x1 - x0;
    uint32_t left = x0 + m->DestX;
    const uint32_t aligned = left & ~7u;
    if (left % 8 != 0 && m->DestX < aligned) {
        const uint32_t d = left - aligned;
        left -= d;
        x0 -= d;
        width += d;
    }
    const uint32_t roundedWidth = (width + 7) & ~7u;
    if (width % 8 != 0 && int64_t{m->Header.Width} - x0 > int64_t{roundedWidth})
        width = roundedWidth;
    out = Rect{left, m->DestY + y0, left + width, m->DestY + y1};
    return true;
}

// Joins the rectangle at `index` with list partners that share a whole edge, repeatedly.
void MergeIntoList(TavikMovie* m, uint32_t index) {
    for (;;) {
        const uint32_t count = m->RectCount / 4;
        const Rect n = *ListAt(m, index);
        uint32_t partner = count;
        for (uint32_t j = 0; j < count && partner == count; ++j) {
            if (j == index) continue;
            Rect& o = *ListAt(m, j);
            if (o.left == n.left && o.right == n.right) {
                if (n.top == o.bottom) {
                    o.bottom = n.bottom;
                    partner = j;
                } else if (n.bottom == o.top) {
                    o.top = n.top;
                    partner = j;
                }
            } else if (o.top == n.top && o.bottom == n.bottom) {
                if (n.left == o.right) {
                    o.right = n.right;
                    partner = j;
                } else if (n.right == o.left) {
                    o.left = n.left;
                    partner = j;
                }
            }
        }
        if (partner == count) return;
        std::memmove(ListAt(m, index), ListAt(m, index + 1), (count - index - 1) * sizeof(Rect));
        m->RectCount -= 4;
        index = partner > index ? partner - 1 : partner;
    }
}

}  // namespace
}  // namespace tavik

extern "C" {

uint32_t TavikNextRect(TavikMovie* m, uint32_t mode) {
    using namespace tavik;
    if (!m) return 0;
    if (m->BlitStart == 0) {
        m->BlitStart = NowMs();
        if (m->DecompStart) {
            m->DecompTime += m->BlitStart - m->DecompStart;
            m->DecompStart = 0;
        }
    }
    if (m->RectState != 0) {
        if (mode == TavikRectsNone) return 0;
        while (m->RectCount < 16) {
            Rect r;
            if (!ProduceRect(m, mode, r)) break;
            *ListAt(m, m->RectCount / 4) = r;
            m->RectCount += 4;
            MergeIntoList(m, m->RectCount / 4 - 1);
        }
        if (m->RectCount == 0) return 0;
    }
    if (m->RectCount == 0) return 0;
    const Rect first = *ListAt(m, 0);
    std::memmove(ListAt(m, 0), ListAt(m, 1), (m->RectCount / 4 - 1) * sizeof(Rect));
    m->RectCount -= 4;
    m->LastRect[0] = first.left;
    m->LastRect[1] = first.top;
    m->LastRect[2] = first.right - first.left;
    m->LastRect[3] = first.bottom - first.top;
    return 1;
}
}
