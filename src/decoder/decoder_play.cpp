// Decoding frames in play order, and seeking by the snapshots that the first pass leaves.
#include <algorithm>
#include <cstring>
#include <new>

#include "decoder/decoder_internal.h"
#include "format/frame_chunks.h"
#include "video/palette_decoder.h"
#include "video/video_decoder.h"

namespace tavik {

uint32_t TakeFrameSound(TavikDecoder& d, int t, const uint8_t* chunk, TavikFrame* out);

namespace {

// The picture, all index 0, made when it is first needed (a header alone costs no picture).
bool EnsurePicture(TavikDecoder& d) {
    if (!d.picture.empty()) return true;
    try {
        d.picture.assign(size_t{d.info.Width} * d.info.Height, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    d.dest->picture = d.picture.data();
    return true;
}

uint32_t DamageOf(ChunkDamage damage) {
    switch (damage) {
        case ChunkDamage::kPalette:
            return TavikDamagePalette | TavikDamagePicture;
        case ChunkDamage::kSound:
            return TavikDamageSound | TavikDamagePicture;
        case ChunkDamage::kNone:
            break;
    }
    return 0;
}

// Decodes frame `n` into the picture and palette; with `out`, also its sound and the record.
TavikStatus DecodeFrame(TavikDecoder& d, uint32_t n, TavikFrame* out) {
    if (!EnsurePicture(d)) return TavikErrorMemory;
    const uint32_t size = d.frameSizes[n];
    try {
        if (!ReadGrowing(*d.source, d.frameOffsets[n], size, d.frame, 8)) return TavikErrorIo;
    } catch (const std::bad_alloc&) {
        return TavikErrorMemory;
    }
    std::memset(d.frame.data() + size, 0, 8);
    const uint8_t type = d.frameTypes[n];
    const FrameChunks chunks = LocateFrameChunks(d.frame.data(), size, type, d.header.AudioFormat);
    if ((type & 1) && chunks.paletteFits)
        DecodePaletteChunk(d.frame.data(), size, d.palette.data());
    DecodeVideoFrame(chunks.video, chunks.videoSize, d.trees.get(), d.markerRuns.get(),
                     d.dest.get());
    ++d.picturesDecoded;
    if (!out) return TavikOk;
    *out = TavikFrame{};
    out->Number = n;
    out->Pixels = d.picture.data();
    out->Palette = d.palette.data();
    out->PaletteChanged = type & 1;
    out->Damage = DamageOf(chunks.damage);
    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t)
        if (d.info.Tracks[t].Present && chunks.audio[t] && (d.soundTracks >> t & 1))
            out->Damage |= TakeFrameSound(d, t, chunks.audio[t], out);
    return TavikOk;
}

// Keeps the picture and palette after frame `n` of the first pass, once per interval.
void KeepSnapshot(TavikDecoder& d, uint32_t n) {
    if ((n + 1) % d.snapshotInterval != 0) return;
    const uint32_t slot = (n + 1) / d.snapshotInterval - 1;
    try {
        if (slot >= d.snapshots.size()) d.snapshots.resize(slot + 1);
        if (!d.snapshots[slot].pixels.empty()) return;
        d.snapshots[slot].pixels = d.picture;
        d.snapshots[slot].palette = d.palette;
    } catch (const std::bad_alloc&) {
        // Seeking then replays from an earlier snapshot.
        if (slot < d.snapshots.size()) d.snapshots[slot].pixels.clear();
    }
}

// Steps the play position past frame `n`.
void Advance(TavikDecoder& d, uint32_t n) {
    if (n == d.info.FrameCount) {  // the ring frame leads on to frame 1
        d.next = 1;
        return;
    }
    if (d.firstPass) KeepSnapshot(d, n);
    d.next = n + 1;
}

}  // namespace

TavikStatus SeekDecoder(TavikDecoder& d, uint32_t target) {
    // The nearest snapshot before the target, or the start.
    uint32_t from = 0;
    if (!EnsurePicture(d)) return TavikErrorMemory;
    std::fill(d.picture.begin(), d.picture.end(), 0);
    d.palette.fill(0);
    for (uint32_t slot = std::min<uint32_t>(target / d.snapshotInterval,
                                            static_cast<uint32_t>(d.snapshots.size()));
         slot-- > 0;) {
        const Snapshot& s = d.snapshots[slot];
        if (s.pixels.empty()) continue;
        std::copy(s.pixels.begin(), s.pixels.end(), d.picture.begin());
        d.palette = s.palette;
        from = (slot + 1) * d.snapshotInterval;
        break;
    }
    d.firstPass = true;
    TavikStatus status = TavikOk;
    for (uint32_t n = from; n < target; ++n) {
        const TavikStatus s = DecodeFrame(d, n, nullptr);
        if (s != TavikOk) status = s;
        Advance(d, n);
    }
    d.next = target;
    return status;
}

}  // namespace tavik

extern "C" {

void TavikDecoderSetLooping(TavikDecoder* decoder, int on) {
    if (decoder) decoder->looping = on != 0;
}

void TavikDecoderSetSoundTracks(TavikDecoder* decoder, uint32_t tracks) {
    if (decoder) decoder->soundTracks = tracks & 0x7F;
}

TavikStatus TavikDecoderNext(TavikDecoder* d, TavikFrame* frame) {
    using namespace tavik;
    if (!d || !frame) return TavikErrorArgument;
    uint32_t n = d->next;
    if (n >= d->info.FrameCount) {
        if (!d->looping) return TavikEndOfMovie;
        d->firstPass = false;
        if (!d->info.HasRingFrame) {
            n = 0;  // play begins again, from a black palette
            d->palette.fill(0);
        }
    }
    const TavikStatus status = DecodeFrame(*d, n, frame);
    Advance(*d, n);
    return status;
}

TavikStatus TavikDecoderSeek(TavikDecoder* d, uint32_t target) {
    using namespace tavik;
    if (!d || target >= d->info.FrameCount) return TavikErrorArgument;
    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t) {
        if (!d->info.Tracks[t].Present) continue;
        if (d->info.FrameTime != 0) {
            d->soundPosition[t] = SoundPositionAt(*d, target, t);
        } else if (SoundOffsetOf(*d, target, t, &d->soundPosition[t]) != TavikOk) {
            d->soundPosition[t] = 0;
        }
    }
    return SeekDecoder(*d, target);
}
}
