// Opening a decoder: the header, frame tables and trees, checked as the engine checks them.
#include <algorithm>
#include <cstring>
#include <new>

#include "core/movie_internal.h"
#include "decoder/decoder_state.h"
#include "video/frame_helpers.h"
#include "video/trees.h"

namespace tavik {
namespace {

constexpr uint32_t kScratch = 4096;

TavikStatus ReadTables(TavikDecoder& d) {
    const TavikHeader& h = d.header;
    const uint32_t total = h.FrameCount + (h.Flags & TavikFlagRingFrame);
    std::vector<uint8_t> sizes;
    if (!ReadGrowing(*d.source, TAVIK_HEADER_SIZE, 4ull * total, sizes) ||
        !ReadGrowing(*d.source, TAVIK_HEADER_SIZE + 4ull * total, total, d.frameTypes))
        return TavikErrorFormat;
    d.frameSizes.resize(total);
    std::memcpy(d.frameSizes.data(), sizes.data(), 4ull * total);
    d.frameOffsets.resize(total);
    uint64_t offset = TAVIK_HEADER_SIZE + 5ull * total + h.TreeBlockSize;
    for (uint32_t i = 0; i < total; ++i) {
        d.frameOffsets[i] = offset;
        offset += d.frameSizes[i];
    }
    // As the engine: all frames together stay within 32 bits.
    if (offset - d.frameOffsets[0] > 0xFFFFFF00u) return TavikErrorFormat;
    return TavikOk;
}

TavikStatus ReadTrees(TavikDecoder& d) {
    const TavikHeader& h = d.header;
    uint64_t treeBytes = TreeMemorySize();
    for (uint32_t size : h.TreeSizes) treeBytes += size;
    d.trees.reset(static_cast<uint8_t*>(TavikAlloc(nullptr, static_cast<uint32_t>(treeBytes))));
    d.markerRuns.reset(static_cast<TavikMarkerRuns*>(TavikAlloc(nullptr, sizeof(TavikMarkerRuns))));
    if (!d.trees || !d.markerRuns) return TavikErrorMemory;
    std::memset(d.trees.get(), 0, static_cast<size_t>(treeBytes));
    // The builder wants 4096 bytes of scratch in front of the block and 8192 bytes at least.
    std::vector<uint8_t> block;
    const uint64_t at = TAVIK_HEADER_SIZE + 5ull * d.frameSizes.size();
    if (!ReadGrowing(*d.source, at, h.TreeBlockSize, block)) return TavikErrorFormat;
    std::vector<uint8_t> input(std::max<size_t>(kScratch + block.size(), 8192) + 8, 0);
    if (!block.empty()) std::memcpy(input.data() + kScratch, block.data(), block.size());
    if (!BuildTrees(input.data(), d.trees.get(), h.TreeSizes[0], h.TreeSizes[1], h.TreeSizes[2],
                    h.TreeSizes[3], h.TreeBlockSize))
        return TavikErrorFormat;
    BuildMarkerRuns(d.trees.get(), d.markerRuns.get());
    return TavikOk;
}

// An 8-bit, top-down destination for the decoder's picture (made at the first frame), laid out as
// the engine lays a movie's: interlaced frames on every other line, doubled ones on two lines a
// row.
TavikStatus SetUpPicture(TavikDecoder& d) {
    const uint32_t width = d.info.Width, shown = d.info.Height;
    const uint32_t coded = (d.interlaced || d.doubled) ? shown / 2 : shown;
    const uint32_t map = (ChangeMapSize(width, coded) + 35) & ~3u;
    const uint32_t size = static_cast<uint32_t>(sizeof(TavikDestDesc)) + map;
    d.dest.reset(static_cast<TavikDestDesc*>(TavikAlloc(nullptr, size)));
    if (!d.dest) return TavikErrorMemory;
    std::memset(d.dest.get(), 0, size);
    TavikDestDesc& dest = *d.dest;
    dest.kind = kDestKindLinear;
    dest.doubled = d.doubled ? 1 : 0;
    dest.blocksPerRow = width / 4;
    dest.blockRows = coded / 4;
    const int32_t line = static_cast<int32_t>(d.interlaced ? 2 * width : width);
    const int32_t k = d.doubled ? 7 : 3;
    dest.lineStep = line;
    dest.blockBackStep = k * line - 4;
    dest.blockHeightStep = k * line;
    dest.rowStep = (k + 1) * line - static_cast<int32_t>(width);
    dest.iterator.width = width;
    dest.iterator.height = coded;
    return TavikOk;
}

void FillInfo(TavikDecoder& d) {
    const TavikHeader& h = d.header;
    TavikInfo& info = d.info;
    const uint32_t scaling = h.Flags & (TavikFlagInterlaced | TavikFlagDoubled);
    d.interlaced = scaling == TavikFlagInterlaced;
    d.doubled = scaling == TavikFlagDoubled;
    info.Width = h.Width;
    info.Height = (d.interlaced || d.doubled) ? 2 * h.Height : h.Height;
    info.FrameCount = h.FrameCount;
    info.FrameTime = h.FrameRate < 0   ? static_cast<uint32_t>(-static_cast<int64_t>(h.FrameRate))
                     : h.FrameRate > 0 ? static_cast<uint32_t>(h.FrameRate) * 100
                                       : 0;
    info.HasRingFrame = h.Flags & TavikFlagRingFrame;
    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t) {
        const uint32_t format = h.AudioFormat[t];
        TavikTrackInfo& track = info.Tracks[t];
        track.Rate = format & TAVIK_AUDIO_RATE_MASK;
        track.Present = (format & TAVIK_AUDIO_PRESENT) && track.Rate != 0;
        track.Channels = (format & TAVIK_AUDIO_STEREO) ? 2 : 1;
        track.Bits = (format & TAVIK_AUDIO_16BIT) ? 16 : 8;
    }
}

TavikStatus Open(TavikDecoder& d) {
    TavikHeader& h = d.header;
    if (!d.source->ReadAt(0, &h, TAVIK_HEADER_SIZE) || std::memcmp(h.Magic, "TVK2", 4) != 0 ||
        !HeaderWithinLimits(h))
        return TavikErrorFormat;
    FillInfo(d);
    if (TavikStatus s = ReadTables(d); s != TavikOk) return s;
    if (TavikStatus s = ReadTrees(d); s != TavikOk) return s;
    if (TavikStatus s = SetUpPicture(d); s != TavikOk) return s;
    d.audioTrees.assign(8192, 0);
    const uint64_t pictureBytes = uint64_t{d.info.Width} * d.info.Height;
    const uint64_t spread =
        (uint64_t{h.FrameCount} * pictureBytes + kSnapshotBudget - 1) / kSnapshotBudget;
    d.snapshotInterval =
        static_cast<uint32_t>(std::max<uint64_t>(kShortestSnapshotInterval, spread));
    return TavikOk;
}

TavikStatus OpenWith(std::unique_ptr<ByteSource> source, TavikDecoder** decoder) {
    *decoder = nullptr;
    if (!source) return TavikErrorIo;
    try {
        auto d = std::make_unique<TavikDecoder>();
        d->source = std::move(source);
        if (TavikStatus s = Open(*d); s != TavikOk) return s;
        *decoder = d.release();
        return TavikOk;
    } catch (const std::bad_alloc&) {
        return TavikErrorMemory;
    } catch (const std::length_error&) {
        return TavikErrorMemory;
    }
}

}  // namespace
}  // namespace tavik

extern "C" {

TavikStatus TavikDecoderOpenFile(const char* path, TavikDecoder** decoder) {
    if (!decoder) return TavikErrorArgument;
    *decoder = nullptr;
    if (!path) return TavikErrorArgument;
    return tavik::OpenWith(tavik::FileSource(path), decoder);
}

TavikStatus TavikDecoderOpenMemory(const void* data, size_t size, TavikDecoder** decoder) {
    if (!decoder) return TavikErrorArgument;
    *decoder = nullptr;
    if (!data && size) return TavikErrorArgument;
    return tavik::OpenWith(tavik::MemorySource(data, size), decoder);
}

TavikStatus TavikDecoderOpenReader(const TavikReader* reader, TavikDecoder** decoder) {
    if (!decoder) return TavikErrorArgument;
    *decoder = nullptr;
    if (!reader || !reader->Read) return TavikErrorArgument;
    return tavik::OpenWith(tavik::ReaderSource(*reader), decoder);
}

const TavikInfo* TavikDecoderGetInfo(const TavikDecoder* decoder) {
    return decoder ? &decoder->info : nullptr;
}

void TavikDecoderClose(TavikDecoder* decoder) {
    delete decoder;
}
}
