// Playing any bytes as a movie: the last input byte picks preloading or a ring, the pixel format
// and the height scaling; the rest is the file. Frames are decoded, their rectangles handed out
// and the movie stepped past its wrap, with seeks on the way.
#include <vector>

#include "memory_system.h"
#include "tavik/tavik.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t choice = data[size - 1];
    tavik::fuzz::InstallMemorySystem(data, size - 1);
    static const uint32_t kScaling[4] = {0, TavikInterlace, TavikDouble, TavikNoScale};
    const uint32_t flags = ((choice & 1) ? TavikPreload : 0) | kScaling[(choice >> 1) & 3];
    TavikMovie* m = TavikOpen("movie", flags | ((choice & 128) ? TavikTrack0 | TavikTrack3 : 0),
                              (choice & 8) ? 8192 : TAVIK_CHOOSE_RING_SIZE);
    if (!m) return 0;
    const bool wide = choice & 16;
    const uint32_t width = m->Header.Width + 3, height = m->Header.Height + 1;
    const uint32_t pitch = width * (wide ? 2 : 1);
    if (uint64_t{pitch} * height <= (1u << 24)) {
        std::vector<uint8_t> picture(size_t{pitch} * height);
        TavikSetDest(m, 3, 1, static_cast<int32_t>(pitch), height, picture.data(),
                     (wide ? TAVIK_DEST_565 : 0) | ((choice & 32) ? TAVIK_DEST_BOTTOM_UP : 0));
        const uint32_t frames = (m->Header.FrameCount < 40 ? m->Header.FrameCount : 40) + 3;
        for (uint32_t i = 0; i < frames; ++i) {
            TavikDecodeFrame(m);
            if (i == 1) TavikRemap(m, m->Palette, 200, 0, 1000);
            if (i % 7 == 3) TavikSeek(m, (i * 5 + choice) % (m->Header.FrameCount + 1));
            for (int r = 0; r < 64 && TavikNextRect(m, (choice >> 6) & 1); ++r) {
            }
            TavikAdvance(m);
            TavikNotYetDue(m);
        }
    }
    TavikClose(m);
    return 0;
}
