// Seeking an open movie. A decoder kept beside the movie (over the movie's own tables, trees and
// bytes) restores the picture and palette after the frame before the target from its snapshots
// and finds the sound that plays with the target, which earlier frames brought (a movie's sound
// runs about a second ahead of its pictures). The rewind's repositioning then moves the reader,
// the sound tracks and the pacing to the target, and the sound is queued ahead of the target's
// own. Play goes on from there as if it had reached the target.
#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "audio/seek_sound.h"
#include "audio/sound_hooks.h"
#include "audio/sound_track.h"
#include "core/movie_internal.h"
#include "decoder/decoder_internal.h"
#include "format/header.h"
#include "video/dest.h"
#include "video/frame_helpers.h"

namespace tavik {
namespace {

// The movie's frames, from frame 0's first byte: from the preload buffer, or from the file
// (whose position the seek puts back for the read-ahead ring).
class MovieFrames final : public ByteSource {
  public:
    explicit MovieFrames(TavikMovie* m) : m_(m) {}
    bool ReadAt(uint64_t offset, void* destination, size_t count) override {
        if (offset + count > m_->TotalFrameBytes || offset + count < offset) return false;
        if (Preloaded(m_)) {
            if (offset + count > m_->IOBufferSize) return false;
            std::memcpy(destination, m_->IOBuffer + offset, count);
            return true;
        }
        if (!SeekMovieFile(m_->File, m_->FirstFrameOffset + static_cast<uint32_t>(offset)))
            return false;
        auto* to = static_cast<uint8_t*>(destination);
        while (count > 0) {
            const uint32_t piece = static_cast<uint32_t>(std::min<size_t>(count, 1u << 20));
            const uint32_t got = ReadMovieFile(m_->File, to, piece);
            if (got == 0) return false;
            to += got;
            count -= got;
        }
        return true;
    }

  private:
    TavikMovie* m_;
};

// Puts the file back where the read-ahead ring left it.
class KeepFilePosition {
  public:
    explicit KeepFilePosition(TavikMovie* m)
        : m_(m), position_(Preloaded(m) ? ~0u : TellMovieFile(m->File)) {}
    ~KeepFilePosition() { Restore(); }
    void Restore() {
        if (position_ != ~0u) SeekMovieFile(m_->File, position_);
        position_ = ~0u;
    }

  private:
    TavikMovie* m_;
    uint32_t position_;
};

TavikDecoder* EnsureSeeker(TavikMovie* m) {
    if (m->Seeker) return m->Seeker;
    // The header as stored, with the height scaling in force.
    TavikHeader h = m->Header;
    if (m->OpenFlags & TavikNoScale) h.Height /= 2;
    const uint64_t treeBytes = TreeMemoryBytes(h);
    AlignedBlock<uint8_t> trees(
        static_cast<uint8_t*>(TavikAlloc(nullptr, static_cast<uint32_t>(treeBytes))));
    if (!trees) return nullptr;
    std::memcpy(trees.get(), m->Trees, static_cast<size_t>(treeBytes));
    if (m->TreesRemapped) {  // back to the values as the file has them
        uint8_t identity[256];
        for (uint32_t i = 0; i < 256; ++i) identity[i] = static_cast<uint8_t>(i);
        RemapTreeColours(trees.get(), identity);
    }
    m->Seeker = DecoderOverMovie(h, m->FrameSizes, m->FrameTypes, 0, std::move(trees),
                                 std::make_unique<MovieFrames>(m))
                    .release();
    return m->Seeker;
}

// The decoder's picture into the movie's destination, in the destination's layout and pixel
// format, through the colours the trees decode to now (a remapped movie's picture holds screen
// indices). Only the coded rows and whole blocks are written, as a decoded frame writes them.
void PutPicture(TavikMovie* m, const TavikDecoder& d) {
    TavikDestDesc* dest = m->Dest;
    if (!dest || !dest->picture || d.picture.empty()) return;
    uint8_t map[256];
    TreeColourMap(m->Trees, map);
    uint16_t table[256] = {};
    const bool wide = dest->format & 0x80;
    if (dest->format == 0x80) BuildColourTable555(table, d.palette.data());
    if (dest->format == 0xC0) BuildColourTable565(table, d.palette.data());
    const uint32_t width = dest->blocksPerRow * 4, rows = dest->blockRows * 4;
    const size_t sourceRow = size_t{d.info.Width} * ((d.interlaced || d.doubled) ? 2 : 1);
    const int64_t step = int64_t{dest->lineStep} * (dest->doubled ? 2 : 1);
    for (uint32_t y = 0; y < rows; ++y) {
        const uint8_t* from = d.picture.data() + y * sourceRow;
        for (uint32_t copy = 0; copy < (dest->doubled ? 2u : 1u); ++copy) {
            uint8_t* to = dest->picture + y * step + copy * int64_t{dest->lineStep};
            if (wide) {
                auto* pixels = reinterpret_cast<uint16_t*>(to);
                for (uint32_t x = 0; x < width; ++x) pixels[x] = table[map[from[x]]];
            } else {
                for (uint32_t x = 0; x < width; ++x) to[x] = map[from[x]];
            }
        }
    }
}

// The rewind's repositioning, to any frame: the reader, the sound tracks (emptied) and the
// pacing start over at `frame`; the palette in force is the caller's.
void MoveToFrame(TavikMovie* m, uint32_t frame) {
    CloseFrameTimes(m);
    // A paused movie's tracks are resumed for the reset and paused again after it, so that
    // their records stay as a pause leaves them.
    const bool paused = m->Paused != 0;
    if (paused) SetSoundPlaying(m, 1);
    ResetSoundOnRewind(m);
    m->SyncPending = 0;
    m->NextDue = TAVIK_NOT_STARTED;
    m->ReadError = 0;
    uint32_t offset = 0;
    for (uint32_t i = 0; i < frame; ++i) offset += m->FrameSizes[i];
    m->FrameNum = frame;
    // A palette chunk of this frame is news again.
    m->PaletteFrame = -1;
    if (Preloaded(m)) {
        m->FramePtr = m->IOBuffer + offset;
    } else {
        TavikSeekFrames(m, offset);
    }
    SetUpFrame(m);
    if (paused) SetSoundPlaying(m, 0);
}

// The sound each open track plays first after the seek. Playing: from the target's time (the
// track's bytes per frame times the target) up to where the target's own sound begins. Paused:
// the loop shows the target without taking its sound and resuming goes on with the frame after
// it, so the bytes that lead up to that frame's sound are what the resume plays again (as after
// a pause on that frame).
using LeadSound = std::array<std::vector<uint8_t>, TAVIK_MAX_TRACKS>;
bool TakeLeadSound(TavikMovie* m, TavikDecoder& d, uint32_t target, bool paused, LeadSound& lead) {
    const uint32_t next = paused ? target + 1 : target;  // the frame whose sound comes next
    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t) {
        const TavikSoundTrack* track = m->Tracks[t];
        uint64_t to = 0;
        if (!track || SoundOffsetOf(d, next, t, &to) != TavikOk) continue;
        uint64_t from = 0;
        if (paused) {
            from = to - std::min<uint64_t>(to, track->MaxChunk);
        } else {
            const uint32_t sample = (track->IsStereo ? 2u : 1u) * (track->Is16Bit ? 2u : 1u);
            from = uint64_t{target} * track->FrameBytes / 1024;
            from -= from % sample;
        }
        if (from >= to) continue;
        // No more than the ring holds: the rest could not be queued.
        const uint64_t count =
            std::min<uint64_t>(to - from, std::max(track->BufSize, track->MaxChunk));
        lead[t].resize(count);
        size_t got = 0;
        if (CopySound(d, t, from, lead[t].data(), count, &got) != TavikOk) return false;
        lead[t].resize(got);
    }
    return true;
}

void PutLeadSound(TavikMovie* m, const LeadSound& lead, uint32_t target, bool paused) {
    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t) {
        if (!m->Tracks[t]) continue;
        // Paused, every track gets its replay, silence where there is no sound to put.
        if (!lead[t].empty() || paused)
            PutSeekSound(m, t, lead[t].data(), static_cast<uint32_t>(lead[t].size()), paused);
    }
    // A resume plays the ring's last bytes again only on the frame the movie paused at.
    if (paused) m->PauseFrame = target + 1;
}

}  // namespace
}  // namespace tavik

extern "C" {

uint32_t TavikSeek(TavikMovie* m, uint32_t frame) {
    using namespace tavik;
    if (!m || frame >= m->Header.FrameCount) return 0;
    TavikDecoder* d = EnsureSeeker(m);
    if (!d) return 0;
    const bool paused = m->Paused != 0;
    LeadSound lead;
    {
        KeepFilePosition keep(m);
        try {
            if (SeekDecoder(*d, frame) != TavikOk || !TakeLeadSound(m, *d, frame, paused, lead))
                return 0;
        } catch (const std::bad_alloc&) {
            return 0;
        }
    }
    PutPicture(m, *d);
    std::memcpy(m->Palette, d->palette.data(), sizeof m->Palette);
    MoveToFrame(m, frame);
    PutLeadSound(m, lead, frame, paused);
    m->NewPalette = 1;
    m->RemapPending = 1;
    m->ShowWholeFrame = 1;
    return 1;
}
}
