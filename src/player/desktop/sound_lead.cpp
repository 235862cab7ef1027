#include "player/desktop/sound_lead.h"

#include <algorithm>
#include <array>
#include <vector>

#include "audio/seek_sound.h"
#include "audio/sound_track.h"

namespace tavik {

void PutSoundLead(FrameSource& source, TavikMovie* movie, uint32_t target, bool paused) {
    if (movie == nullptr || !source.Ready()) return;
    const uint32_t next = paused ? target + 1 : target;  // the frame whose sound comes next
    if (next > source.Info().FrameCount) return;
    struct Span {
        uint64_t from = 0, to = 0;  // bytes of the track's sound
    };
    std::array<Span, TAVIK_MAX_TRACKS> spans{};
    uint32_t tracks = 0;
    uint32_t first = next;  // the earliest frame that brought any of it
    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t) {
        const TavikSoundTrack* track = movie->Tracks[t];
        Span& span = spans[t];
        if (track == nullptr || !source.SoundOffset(next, t, &span.to)) continue;
        if (paused) {
            span.from = span.to - std::min<uint64_t>(span.to, track->MaxChunk);
        } else {
            const uint32_t sample = (track->IsStereo ? 2u : 1u) * (track->Is16Bit ? 2u : 1u);
            span.from = uint64_t{target} * track->FrameBytes / 1024;
            span.from -= span.from % sample;
        }
        if (span.from >= span.to) continue;
        // Offsets only grow from frame to frame: step back to the frame that holds `from`.
        uint32_t n = next;
        uint64_t at = span.to;
        while (n > 0 && at > span.from && source.SoundOffset(n - 1, t, &at)) --n;
        first = std::min(first, n);
        tracks |= 1u << t;
    }
    if (tracks == 0) return;
    std::array<std::vector<uint8_t>, 7> sound;
    if (!source.CollectSound(first, next, tracks, sound)) return;
    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t) {
        if (movie->Tracks[t] == nullptr) continue;
        const uint8_t* bytes = nullptr;
        uint64_t start = 0, count = 0;
        if ((tracks >> t & 1) && source.SoundOffset(first, t, &start)) {
            const uint64_t skip = spans[t].from - std::min(spans[t].from, start);
            count = spans[t].to - std::max(spans[t].from, start);
            if (skip + count <= sound[t].size()) {
                bytes = sound[t].data() + skip;
            } else {
                count = 0;
            }
        }
        // Paused, every track gets its replay, silence where there is no sound to put.
        if (bytes != nullptr || paused)
            PutSeekSound(movie, t, bytes, static_cast<uint32_t>(count), paused);
    }
    // A resume plays the ring's last bytes again only on the frame the movie paused at.
    if (paused) movie->PauseFrame = next;
}

}  // namespace tavik
