// Decoding frames in play order, and seeking by the snapshots that the first pass leaves.
#include <algorithm>
#include <cstring>
#include <new>

#include "audio/audio_decoder.h"
#include "core/frame_chunks.h"
#include "decoder/decoder_state.h"
#include "video/palette_decoder.h"
#include "video/video_decoder.h"

namespace tavik {
namespace {

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// The bytes of sound that track t's chunk brings (0: none is handed out).
uint32_t SoundBytesOf(const TavikDecoder& d, int t, const uint8_t* chunk) {
    const uint32_t length = ReadU32(chunk);
    if (!(d.header.AudioFormat[t] & TAVIK_AUDIO_COMPRESSED)) return length - 4;
    const uint32_t unpacked = ReadU32(chunk + 4);
    return unpacked <= kMaxSoundChunk ? unpacked : 0;
}

// One track's sound of the frame as the sound tracks receive it.
void TakeSound(TavikDecoder& d, int t, const uint8_t* chunk, TavikFrame* out) {
    if (!(d.header.AudioFormat[t] & TAVIK_AUDIO_COMPRESSED)) {
        out->Sound[t] = chunk + 4;
        out->SoundBytes[t] = SoundBytesOf(d, t, chunk);
        return;
    }
    const uint32_t length = ReadU32(chunk);
    const uint32_t unpacked = SoundBytesOf(d, t, chunk);
    if (unpacked == 0) return;
    std::vector<uint8_t>& sound = d.sound[t];
    try {
        if (sound.size() < unpacked) sound.resize(unpacked);
    } catch (const std::bad_alloc&) {
        return;  // the frame goes without this track's sound
    }
    const uint32_t decoded = DecodeAudio(chunk + 8, length - 8, unpacked, d.audioTrees.data(),
                                         sound.data(), sound.data() + unpacked, sound.data());
    // Announced bytes that the stream does not deliver are silence.
    std::fill(sound.data() + decoded, sound.data() + unpacked,
              ((chunk[8] >> 2) & 1) ? uint8_t{0x00} : uint8_t{0x80});
    out->Sound[t] = sound.data();
    out->SoundBytes[t] = unpacked;
}

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
    if (!out) return TavikOk;
    *out = TavikFrame{};
    out->Number = n;
    out->Pixels = d.picture.data();
    out->Palette = d.palette.data();
    out->PaletteChanged = type & 1;
    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t)
        if (d.info.Tracks[t].Present && chunks.audio[t] && (d.soundTracks >> t & 1))
            TakeSound(d, t, chunks.audio[t], out);
    return TavikOk;
}

// Counts the sound of the frames before `frame` that are not counted yet.
TavikStatus CountSoundUpTo(TavikDecoder& d, uint32_t frame) {
    try {
        if (d.soundOffsets.empty()) d.soundOffsets.emplace_back();
        if (d.soundOffsets.capacity() < size_t{frame} + 1) d.soundOffsets.reserve(frame + 1);
        while (d.soundOffsets.size() <= frame) {
            const uint32_t n = static_cast<uint32_t>(d.soundOffsets.size() - 1);
            const uint32_t size = d.frameSizes[n];
            if (!ReadGrowing(*d.source, d.frameOffsets[n], size, d.scan)) return TavikErrorIo;
            const FrameChunks chunks =
                LocateFrameChunks(d.scan.data(), size, d.frameTypes[n], d.header.AudioFormat);
            std::array<uint64_t, TAVIK_MAX_TRACKS> next = d.soundOffsets.back();
            for (int t = 0; t < TAVIK_MAX_TRACKS; ++t)
                if (d.info.Tracks[t].Present && chunks.audio[t])
                    next[t] += SoundBytesOf(d, t, chunks.audio[t]);
            d.soundOffsets.push_back(next);
        }
    } catch (const std::bad_alloc&) {
        return TavikErrorMemory;
    }
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

TavikStatus TavikDecoderSoundOffset(TavikDecoder* d, uint32_t frame, uint32_t track,
                                    uint64_t* offset) {
    using namespace tavik;
    if (!d || !offset || frame > d->info.FrameCount || track >= TAVIK_MAX_TRACKS)
        return TavikErrorArgument;
    const TavikStatus status = CountSoundUpTo(*d, frame);
    if (status != TavikOk) return status;
    *offset = d->soundOffsets[frame][track];
    return TavikOk;
}

TavikStatus TavikDecoderSeek(TavikDecoder* d, uint32_t target) {
    using namespace tavik;
    if (!d || target >= d->info.FrameCount) return TavikErrorArgument;
    // The nearest snapshot before the target, or the start.
    uint32_t from = 0;
    if (!EnsurePicture(*d)) return TavikErrorMemory;
    std::fill(d->picture.begin(), d->picture.end(), 0);
    d->palette.fill(0);
    for (uint32_t slot = std::min<uint32_t>(target / d->snapshotInterval,
                                            static_cast<uint32_t>(d->snapshots.size()));
         slot-- > 0;) {
        const Snapshot& s = d->snapshots[slot];
        if (s.pixels.empty()) continue;
        std::copy(s.pixels.begin(), s.pixels.end(), d->picture.begin());
        d->palette = s.palette;
        from = (slot + 1) * d->snapshotInterval;
        break;
    }
    d->firstPass = true;
    TavikStatus status = TavikOk;
    for (uint32_t n = from; n < target; ++n) {
        const TavikStatus s = DecodeFrame(*d, n, nullptr);
        if (s != TavikOk) status = s;
        Advance(*d, n);
    }
    d->next = target;
    return status;
}
}
