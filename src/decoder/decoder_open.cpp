// Opening a decoder: the header, frame tables and trees, checked against the format's limits as
// the engine checks them, and against the program's own limits before anything large is made.
#include <algorithm>
#include <cstring>
#include <new>

#include "decoder/decoder_internal.h"
#include "format/frame_table.h"
#include "format/header.h"
#include "format/tree_block.h"
#include "video/frame_helpers.h"

namespace tavik {
namespace {

constexpr uint64_t kAudioTreeArea = 8192;

TavikStatus ReadTables(TavikDecoder& d) {
    const TavikHeader& h = d.header;
    const uint32_t total = FrameTotalOf(h);
    std::vector<uint8_t> sizes;
    if (!ReadGrowing(*d.source, TAVIK_HEADER_SIZE, 4ull * total, sizes) ||
        !ReadGrowing(*d.source, TypeTableOffset(h), total, d.frameTypes))
        return TavikErrorFormat;
    d.frameSizes.resize(total);
    std::memcpy(d.frameSizes.data(), sizes.data(), 4ull * total);
    return TavikOk;
}

void PlaceFrames(TavikDecoder& d, uint64_t firstFrameOffset) {
    d.frameOffsets.resize(d.frameSizes.size());
    uint64_t offset = firstFrameOffset;
    for (size_t i = 0; i < d.frameSizes.size(); ++i) {
        d.frameOffsets[i] = offset;
        offset += d.frameSizes[i];
    }
}

TavikStatus ReadTrees(TavikDecoder& d) {
    const TavikHeader& h = d.header;
    const uint64_t treeBytes = TreeMemoryBytes(h);
    d.trees.reset(static_cast<uint8_t*>(TavikAlloc(nullptr, static_cast<uint32_t>(treeBytes))));
    d.markerRuns.reset(static_cast<TavikMarkerRuns*>(TavikAlloc(nullptr, sizeof(TavikMarkerRuns))));
    if (!d.trees || !d.markerRuns) return TavikErrorMemory;
    std::memset(d.trees.get(), 0, static_cast<size_t>(treeBytes));
    std::vector<uint8_t> block;
    if (!ReadGrowing(*d.source, TreeBlockOffset(h), h.TreeBlockSize, block))
        return TavikErrorFormat;
    std::vector<uint8_t> input(TreeInputBytes(h.TreeBlockSize) + 8, 0);
    if (!block.empty()) std::memcpy(input.data() + kTreeBlockScratch, block.data(), block.size());
    return BuildMovieTrees(input.data(), h, d.trees.get(), d.markerRuns.get()) ? TavikOk
                                                                               : TavikErrorFormat;
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
    info.FrameTime = FrameTimeTicks(h.FrameRate);
    info.HasRingFrame = h.Flags & TavikFlagRingFrame;
    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t) {
        const TrackFormat track = DescribeTrack(h.AudioFormat[t]);
        info.Tracks[t] = {track.present ? 1u : 0u, track.rate, track.channels, track.bits};
    }
}

// Snapshots every interval frames, the interval grown until they fit `budget`.
void PlanSnapshots(TavikDecoder& d, uint64_t budget) {
    const uint64_t pictureBytes = uint64_t{d.info.Width} * d.info.Height;
    budget = std::max<uint64_t>(budget, 1);
    const uint64_t spread = (uint64_t{d.header.FrameCount} * pictureBytes + budget - 1) / budget;
    d.snapshotInterval = static_cast<uint32_t>(
        std::min<uint64_t>(std::max<uint64_t>(kShortestSnapshotInterval, spread), UINT32_MAX));
}

// What the decoder holds whatever it plays: the tables, frame offsets and sound counts, the
// trees, the picture and its descriptor, and the audio trees.
uint64_t FixedBytes(const TavikDecoder& d) {
    const TavikHeader& h = d.header;
    const uint64_t frames = FrameTotalOf(h);
    const uint64_t picture = uint64_t{d.info.Width} * d.info.Height;
    return frames * (4 + 1 + 8) + (uint64_t{h.FrameCount} + 1) * 8 * TAVIK_MAX_TRACKS +
           TreeMemoryBytes(h) + sizeof(TavikMarkerRuns) + picture + picture / 8 + kAudioTreeArea;
}

// The program's limits: the picture before anything is read beyond the header, the memory once
// the largest frame is known (`tables`: it is read twice over, for its picture and for its
// sound). The sound buffers and the snapshots share what is left.
TavikStatus ApplyLimits(TavikDecoder& d, const TavikDecoderLimits& limits,
                        const FrameTableFacts* tables) {
    if ((limits.MaxWidth && d.info.Width > limits.MaxWidth) ||
        (limits.MaxHeight && d.info.Height > limits.MaxHeight))
        return TavikErrorLimit;
    const bool tablesRead = tables != nullptr;
    uint64_t fixed = FixedBytes(d);
    if (tablesRead) fixed += 2 * (uint64_t{tables->largest} + 8);
    if (limits.MaxMemory == 0) {
        PlanSnapshots(d, kSnapshotBudget);
        return TavikOk;
    }
    if (fixed > limits.MaxMemory) return TavikErrorLimit;
    if (!tablesRead) return TavikOk;
    // Half of what is left for the sound of the present tracks (two buffers each), half for the
    // snapshots.
    const uint64_t left = limits.MaxMemory - fixed;
    uint32_t tracks = 0;
    for (const TavikTrackInfo& track : d.info.Tracks) tracks += track.Present;
    if (tracks) {
        d.largestSoundChunk = static_cast<uint32_t>(
            std::min<uint64_t>(FormatLimits::kMaxSoundChunk, left / 2 / (2 * tracks)));
    }
    PlanSnapshots(d, std::min<uint64_t>(kSnapshotBudget, tracks ? left / 2 : left));
    return TavikOk;
}

TavikStatus Open(TavikDecoder& d, const TavikDecoderLimits& limits) {
    TavikHeader& h = d.header;
    if (!d.source->ReadAt(0, &h, TAVIK_HEADER_SIZE) || !HasMovieMagic(h.Magic) ||
        !HeaderProblem(h).empty())
        return TavikErrorFormat;
    FillInfo(d);
    if (TavikStatus s = ApplyLimits(d, limits, nullptr); s != TavikOk) return s;
    if (TavikStatus s = ReadTables(d); s != TavikOk) return s;
    // As the engine: all frames together stay within the format's limit.
    const FrameTableFacts facts = MeasureFrameTable(d.frameSizes.data(), FrameTotalOf(h));
    if (!FrameTableProblem(facts, FrameDataOffset(h), UINT64_MAX).empty()) return TavikErrorFormat;
    if (TavikStatus s = ApplyLimits(d, limits, &facts); s != TavikOk) return s;
    PlaceFrames(d, FrameDataOffset(h));
    if (TavikStatus s = ReadTrees(d); s != TavikOk) return s;
    if (TavikStatus s = SetUpPicture(d); s != TavikOk) return s;
    d.audioTrees.assign(kAudioTreeArea, 0);
    return TavikOk;
}

TavikStatus OpenWith(std::unique_ptr<ByteSource> source, const TavikDecoderLimits* limits,
                     TavikDecoder** decoder) {
    *decoder = nullptr;
    if (!source) return TavikErrorIo;
    try {
        auto d = std::make_unique<TavikDecoder>();
        d->source = std::move(source);
        if (TavikStatus s = Open(*d, limits ? *limits : TavikDecoderLimits{}); s != TavikOk)
            return s;
        *decoder = d.release();
        return TavikOk;
    } catch (const std::bad_alloc&) {
        return TavikErrorMemory;
    } catch (const std::length_error&) {
        return TavikErrorMemory;
    }
}

}  // namespace

std::unique_ptr<TavikDecoder> DecoderOverMovie(const TavikHeader& header, const uint32_t* sizes,
                                               const uint8_t* types, uint64_t firstFrameOffset,
                                               AlignedBlock<uint8_t> trees,
                                               std::unique_ptr<ByteSource> source) {
    try {
        auto d = std::make_unique<TavikDecoder>();
        d->source = std::move(source);
        d->header = header;
        FillInfo(*d);
        const uint32_t total = FrameTotalOf(header);
        d->frameSizes.assign(sizes, sizes + total);
        d->frameTypes.assign(types, types + total);
        PlaceFrames(*d, firstFrameOffset);
        PlanSnapshots(*d, kSnapshotBudget);
        d->trees = std::move(trees);
        d->markerRuns.reset(
            static_cast<TavikMarkerRuns*>(TavikAlloc(nullptr, sizeof(TavikMarkerRuns))));
        if (!d->trees || !d->markerRuns || SetUpPicture(*d) != TavikOk) return nullptr;
        BuildMarkerRuns(d->trees.get(), d->markerRuns.get());
        d->audioTrees.assign(kAudioTreeArea, 0);
        return d;
    } catch (const std::bad_alloc&) {
        return nullptr;
    } catch (const std::length_error&) {
        return nullptr;
    }
}

}  // namespace tavik

extern "C" {

TavikStatus TavikDecoderOpenFileLimited(const char* path, const TavikDecoderLimits* limits,
                                        TavikDecoder** decoder) {
    if (!decoder) return TavikErrorArgument;
    *decoder = nullptr;
    if (!path) return TavikErrorArgument;
    return tavik::OpenWith(tavik::FileSource(path), limits, decoder);
}

TavikStatus TavikDecoderOpenMemoryLimited(const void* data, size_t size,
                                          const TavikDecoderLimits* limits,
                                          TavikDecoder** decoder) {
    if (!decoder) return TavikErrorArgument;
    *decoder = nullptr;
    if (!data && size) return TavikErrorArgument;
    return tavik::OpenWith(tavik::MemorySource(data, size), limits, decoder);
}

TavikStatus TavikDecoderOpenReaderLimited(const TavikReader* reader,
                                          const TavikDecoderLimits* limits,
                                          TavikDecoder** decoder) {
    if (!decoder) return TavikErrorArgument;
    *decoder = nullptr;
    if (!reader || !reader->Read) return TavikErrorArgument;
    return tavik::OpenWith(tavik::ReaderSource(*reader), limits, decoder);
}

TavikStatus TavikDecoderOpenFile(const char* path, TavikDecoder** decoder) {
    return TavikDecoderOpenFileLimited(path, nullptr, decoder);
}

TavikStatus TavikDecoderOpenMemory(const void* data, size_t size, TavikDecoder** decoder) {
    return TavikDecoderOpenMemoryLimited(data, size, nullptr, decoder);
}

TavikStatus TavikDecoderOpenReader(const TavikReader* reader, TavikDecoder** decoder) {
    return TavikDecoderOpenReaderLimited(reader, nullptr, decoder);
}

const TavikInfo* TavikDecoderGetInfo(const TavikDecoder* decoder) {
    return decoder ? &decoder->info : nullptr;
}

void TavikDecoderClose(TavikDecoder* decoder) {
    delete decoder;
}
}
