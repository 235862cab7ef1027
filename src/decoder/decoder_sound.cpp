// Every track's sound: as each frame hands it out, counted frame by frame from the chunk
// headers alone, and read in playing order from any byte of it.
#include <algorithm>
#include <cstring>
#include <new>

#include "audio/audio_decoder.h"
#include "decoder/decoder_internal.h"
#include "format/frame_chunks.h"

namespace tavik {
namespace {

// Decodes a compressed chunk (at its length word, `length` bytes) that announces `unpacked`
// bytes into `into`; false when its stream ended early and silence filled the rest.
bool DecodeCompressed(TavikDecoder& d, int t, const uint8_t* chunk, uint32_t length,
                      uint32_t unpacked, std::vector<uint8_t>& into) {
    if (into.size() < unpacked) into.resize(unpacked);
    const uint32_t decoded = DecodeAudio(chunk + 8, length - 8, unpacked, d.audioTrees.data(),
                                         into.data(), into.data() + unpacked, into.data());
    // Announced bytes that the stream does not deliver are silence.
    const uint8_t silence = d.info.Tracks[t].Bits == 16 ? 0x00 : 0x80;
    std::fill(into.data() + decoded, into.data() + unpacked, silence);
    return decoded == unpacked;
}

// Frame n's chunk headers, read from the source.
FrameLayout ReadLayout(TavikDecoder& d, uint32_t n) {
    const uint64_t at = d.frameOffsets[n];
    return WalkFrameChunks(d.frameSizes[n], d.frameTypes[n], d.header.AudioFormat,
                           [&](uint32_t offset, void* to, uint32_t count) {
                               return d.source->ReadAt(at + offset, to, count);
                           });
}

// Counts the sound of the frames before `frame` that are not counted yet.
TavikStatus CountSoundUpTo(TavikDecoder& d, uint32_t frame) {
    try {
        if (d.soundOffsets.empty()) d.soundOffsets.emplace_back();
        if (d.soundOffsets.capacity() < size_t{frame} + 1) d.soundOffsets.reserve(frame + 1);
        while (d.soundOffsets.size() <= frame) {
            const uint32_t n = static_cast<uint32_t>(d.soundOffsets.size() - 1);
            if (d.frameOffsets[n] + d.frameSizes[n] < d.frameOffsets[n]) return TavikErrorIo;
            const FrameLayout layout = ReadLayout(d, n);
            std::array<uint64_t, TAVIK_MAX_TRACKS> next = d.soundOffsets.back();
            for (int t = 0; t < TAVIK_MAX_TRACKS; ++t)
                if (d.info.Tracks[t].Present && layout.audioAt[t] != FrameLayout::kAbsent)
                    next[t] += ChunkSoundBytes(d, t, layout.audioUnpacked[t]);
            d.soundOffsets.push_back(next);
        }
    } catch (const std::bad_alloc&) {
        return TavikErrorMemory;
    }
    return TavikOk;
}

// Track t's sound of frame n, decoded into its cache.
TavikStatus LoadChunk(TavikDecoder& d, int t, uint32_t n) {
    DecodedChunk& chunk = d.soundChunk[t];
    if (chunk.frame == n) return TavikOk;
    chunk.frame = UINT32_MAX;
    const FrameLayout layout = ReadLayout(d, n);
    const uint32_t bytes = ChunkSoundBytes(d, t, layout.audioUnpacked[t]);
    std::vector<uint8_t> raw;
    const uint64_t at = d.frameOffsets[n] + layout.audioAt[t];
    if (layout.audioAt[t] == FrameLayout::kAbsent || bytes == 0) {
        chunk.bytes.clear();
    } else if (d.header.AudioFormat[t] & TAVIK_AUDIO_COMPRESSED) {
        if (!ReadGrowing(*d.source, at, layout.audioLength[t], raw, 8)) return TavikErrorIo;
        DecodeCompressed(d, t, raw.data(), layout.audioLength[t], bytes, chunk.bytes);
        chunk.bytes.resize(bytes);
    } else if (!ReadGrowing(*d.source, at + 4, bytes, chunk.bytes)) {
        return TavikErrorIo;
    }
    chunk.frame = n;
    return TavikOk;
}

// The frame whose sound of track t holds byte `position` (counting frames as needed), or
// FrameCount when the track's sound ends before it.
TavikStatus FrameHolding(TavikDecoder& d, int t, uint64_t position, uint32_t* frame) {
    const uint32_t count = d.info.FrameCount;
    auto below = [&](uint32_t n) { return d.soundOffsets[n][t] <= position; };
    // Count on until the counted sound passes the position, or every frame is counted.
    while (true) {
        const uint32_t counted =
            static_cast<uint32_t>(d.soundOffsets.empty() ? 0 : d.soundOffsets.size() - 1);
        if (counted >= count || (counted > 0 && !below(counted))) break;
        const uint32_t more = std::min<uint32_t>(count, std::max<uint32_t>(counted * 2, 64));
        if (TavikStatus s = CountSoundUpTo(d, more); s != TavikOk) return s;
    }
    // The last counted frame boundary at or below the position.
    const auto first = d.soundOffsets.begin();
    const auto last = d.soundOffsets.end();
    const auto after = std::upper_bound(first, last, position,
                                        [t](uint64_t p, const auto& o) { return p < o[t]; });
    *frame = static_cast<uint32_t>(std::min<ptrdiff_t>(after - first - 1, count));
    return TavikOk;
}

}  // namespace

uint32_t ChunkSoundBytes(const TavikDecoder& d, int t, uint32_t announced) {
    if (!(d.header.AudioFormat[t] & TAVIK_AUDIO_COMPRESSED)) return announced;
    return announced <= d.largestSoundChunk ? announced : 0;
}

uint32_t TakeFrameSound(TavikDecoder& d, int t, const uint8_t* chunk, TavikFrame* out) {
    const uint32_t length = uint32_t{chunk[0]} | uint32_t{chunk[1]} << 8 |
                            uint32_t{chunk[2]} << 16 | uint32_t{chunk[3]} << 24;
    if (!(d.header.AudioFormat[t] & TAVIK_AUDIO_COMPRESSED)) {
        out->Sound[t] = chunk + 4;
        out->SoundBytes[t] = length - 4;
        return 0;
    }
    const uint32_t announced = uint32_t{chunk[4]} | uint32_t{chunk[5]} << 8 |
                               uint32_t{chunk[6]} << 16 | uint32_t{chunk[7]} << 24;
    const uint32_t bytes = ChunkSoundBytes(d, t, announced);
    if (bytes == 0) return announced == 0 ? 0 : TavikDamageSound;
    try {
        const bool whole = DecodeCompressed(d, t, chunk, length, bytes, d.sound[t]);
        out->Sound[t] = d.sound[t].data();
        out->SoundBytes[t] = bytes;
        return whole ? 0 : TavikDamageSound;
    } catch (const std::bad_alloc&) {
        return TavikDamageSound;  // the frame goes without this track's sound
    }
}

TavikStatus SoundOffsetOf(TavikDecoder& d, uint32_t frame, int t, uint64_t* offset) {
    const TavikStatus status = CountSoundUpTo(d, frame);
    if (status == TavikOk) *offset = d.soundOffsets[frame][t];
    return status;
}

uint64_t SoundPositionAt(const TavikDecoder& d, uint32_t frame, int t) {
    const TavikTrackInfo& track = d.info.Tracks[t];
    const uint64_t sample = uint64_t{track.Channels} * track.Bits / 8;
    const uint64_t perSecond = uint64_t{track.Rate} * sample;
    // n x FrameTime stays below 2^53; split so that the product with the rate cannot wrap.
    const uint64_t ticks = uint64_t{frame} * d.info.FrameTime;
    const uint64_t bytes = ticks / 100000 * perSecond + ticks % 100000 * perSecond / 100000;
    return bytes - bytes % sample;
}

TavikStatus CopySound(TavikDecoder& d, int t, uint64_t position, uint8_t* buffer, size_t bytes,
                      size_t* got) {
    *got = 0;
    try {
        while (*got < bytes) {
            uint32_t n = 0;
            if (TavikStatus s = FrameHolding(d, t, position, &n); s != TavikOk) return s;
            if (n >= d.info.FrameCount) break;  // the end of the track's sound
            if (TavikStatus s = LoadChunk(d, t, n); s != TavikOk) return s;
            const uint64_t start = d.soundOffsets[n][t];
            const std::vector<uint8_t>& chunk = d.soundChunk[t].bytes;
            const size_t count =
                std::min<uint64_t>(bytes - *got, chunk.size() - (position - start));
            std::memcpy(buffer + *got, chunk.data() + (position - start), count);
            *got += count;
            position += count;
        }
    } catch (const std::bad_alloc&) {
        return TavikErrorMemory;
    }
    return TavikOk;
}

}  // namespace tavik

extern "C" {

TavikStatus TavikDecoderReadSound(TavikDecoder* d, uint32_t track, void* buffer, size_t bytes,
                                  size_t* got) {
    using namespace tavik;
    if (got) *got = 0;
    if (!d || !got || track >= TAVIK_MAX_TRACKS || (!buffer && bytes)) return TavikErrorArgument;
    if (!d->info.Tracks[track].Present) return TavikEndOfMovie;
    const int t = static_cast<int>(track);
    const TavikStatus status =
        CopySound(*d, t, d->soundPosition[t], static_cast<uint8_t*>(buffer), bytes, got);
    d->soundPosition[t] += *got;
    if (status != TavikOk) return status;
    return *got == 0 && bytes > 0 ? TavikEndOfMovie : TavikOk;
}

TavikStatus TavikDecoderSoundOffset(TavikDecoder* d, uint32_t frame, uint32_t track,
                                    uint64_t* offset) {
    using namespace tavik;
    if (!d || !offset || frame > d->info.FrameCount || track >= TAVIK_MAX_TRACKS)
        return TavikErrorArgument;
    return SoundOffsetOf(*d, frame, static_cast<int>(track), offset);
}
}
