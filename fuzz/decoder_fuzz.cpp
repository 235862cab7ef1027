// The embedding interface over any bytes: opened from memory (with or without limits), every
// frame decoded (and the play wrapped once), with seeks, sound offsets and sound reads chosen by
// the input; nothing but clean statuses.
#include <cstdint>
#include <vector>

#include "tavik/decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TavikDecoder* d = nullptr;
    const TavikDecoderLimits limits{1024, 1024, 16u << 20};
    if (TavikDecoderOpenMemoryLimited(data, size, (size & 1) ? &limits : nullptr, &d) != TavikOk)
        return 0;
    const TavikInfo* info = TavikDecoderGetInfo(d);
    // Pictures beyond 4 megapixels cost only time here; the limits of opening are tested anyway.
    if (uint64_t{info->Width} * info->Height <= (4u << 20)) {
        TavikDecoderSetLooping(d, 1);
        TavikDecoderSetSoundTracks(d, static_cast<uint32_t>(size));
        std::vector<uint8_t> rgba(size_t{info->Width} * info->Height * 4);
        const uint32_t frames = info->FrameCount < 200 ? info->FrameCount : 200;
        uint32_t choice = static_cast<uint32_t>(size) * 2654435761u;
        TavikFrame frame;
        for (uint32_t i = 0; i < frames + 4; ++i) {
            choice = choice * 1103515245u + 12345u;
            if ((choice >> 28) == 0) TavikDecoderSeek(d, (choice >> 8) % (frames + 1));
            if ((choice >> 28) == 1) {
                uint64_t offset = 0;
                TavikDecoderSoundOffset(d, (choice >> 8) % (frames + 1), choice % 7, &offset);
            }
            if ((choice >> 28) == 2) {
                uint8_t sound[5000];
                size_t got = 0;
                TavikDecoderReadSound(d, choice % 7, sound, (choice >> 8) % sizeof sound, &got);
            }
            if (TavikDecoderNext(d, &frame) == TavikOk) {
                const auto format = static_cast<TavikPixelFormat>((choice >> 4) % 4);
                TavikConvertFrame(&frame, info, format, rgba.data(), info->Width * 4);
            }
        }
    }
    TavikDecoderClose(d);
    return 0;
}
