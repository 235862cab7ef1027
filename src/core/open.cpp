// Opening and closing movies.
#include <algorithm>
#include <cstring>
#include <string>

#include "audio/sound_hooks.h"
#include "core/movie_internal.h"
#include "format/frame_table.h"
#include "format/header.h"
#include "format/tree_block.h"
#include "tavik/decoder.h"
#include "video/marker_runs.h"

namespace tavik {
namespace {

static_assert(sizeof(TavikHeader) == TAVIK_HEADER_SIZE, "the header is read as one block");

// Carried in the core's data; nothing reads it.
[[maybe_unused]] const char kVersionText[] = "*** Tavik Version: 3.2k***";

constexpr uint32_t kPiece = 4096;
constexpr uint32_t kDefaultRing = 12288;
constexpr uint32_t kMinRing = 8192;

struct OpenState {
    TavikMovie* movie = nullptr;
    bool ownFile = false;    // the core opened the file and closes it
    bool ownRecord = false;  // the core allocated the record
};

// Undoes a failed open: buffers, record and a file the core opened.
TavikMovie* Fail(OpenState& state, const char* debugText) {
    TavikMovie* m = state.movie;
    if (debugText) DebugLine(debugText);
    if (state.ownFile && m->File != TAVIK_INVALID_FILE) CloseMovieFile(m->File);
    m->File = TAVIK_INVALID_FILE;
    CloseSoundTracks(m);
    TavikFree(m->Trees);
    TavikFree(m->MarkerRuns);
    TavikFree(m->FrameSizes);
    TavikFree(m->IOBuffer);
    TavikFree(m->RingStart);
    TavikFree(m->Dest);
    std::memset(m, 0, sizeof *m);
    if (state.ownRecord) TavikFree(m);
    return nullptr;
}

void MeasureRates(TavikMovie* m, uint32_t frameTotal, const FrameTableFacts& facts) {
    const DataRate rate = MeasureDataRate(m->FrameSizes, frameTotal, m->FrameTime);
    m->LargestFrame = facts.largest;
    m->HighestRate = rate.highest;
    m->HighestRateFrame = rate.fromFrame;
    m->AverageFrameSize = static_cast<uint32_t>(facts.totalBytes / frameTotal);
}

// Ring size, or 0 to preload.
uint32_t ChooseRing(const TavikMovie* m, uint32_t openFlags, uint32_t extra, uint64_t total) {
    if (openFlags & TavikPreload) return 0;
    uint64_t e = extra;
    if (extra == TAVIK_CHOOSE_RING_SIZE) {
        e = m->FrameTime ? m->HighestRate : kDefaultRing;
        e = std::min<uint64_t>(e, total / 4);
        e = std::max<uint64_t>(e, kDefaultRing);
    }
    e = std::max<uint64_t>((e + kPiece - 1) / kPiece * kPiece, kMinRing);
    return total * 4 / 5 > e ? static_cast<uint32_t>(e) : 0;
}

// Reads the frame tables: the size table first in memory (it is read as 32-bit words and so is
// kept aligned), the type table behind it.
bool ReadFrameTables(TavikMovie* m, uint32_t frameTotal) {
    const uint32_t bytes = 5 * frameTotal + 4;
    auto* block = static_cast<uint8_t*>(TavikAlloc(m, bytes));
    if (!block) {
        DebugLine("Couldn't allocate track table\r\n");
        return false;
    }
    m->FrameSizes = reinterpret_cast<uint32_t*>(block);
    m->FrameTypes = block + 4 * frameTotal;
    if (TavikRead(m, m->FrameSizes, 4 * frameTotal) != 4 * frameTotal ||
        TavikRead(m, m->FrameTypes, frameTotal) != frameTotal) {
        DebugLine("Wasn't a Tavik file\r\n");
        return false;
    }
    m->FirstFrameOffset += 5 * frameTotal;
    return true;
}

// Reads the tree block into a scratch-fronted input buffer and builds the trees from it.
bool ReadTrees(TavikMovie* m) {
    const TavikHeader& h = m->Header;
    const uint64_t treeBytes = TreeMemoryBytes(h);
    m->Trees = static_cast<uint8_t*>(TavikAlloc(m, static_cast<uint32_t>(treeBytes)));
    if (!m->Trees) return false;  // no debug line for this one
    std::memset(m->Trees, 0, static_cast<size_t>(treeBytes));
    // The run lookup is the decoder's own speed-up, not part of the movie's stated memory: it
    // is left out of MemUsed, so that the accounting stays what the format's buffers need.
    m->MarkerRuns = static_cast<TavikMarkerRuns*>(AllocCounted(m, sizeof(TavikMarkerRuns), 0));
    if (!m->MarkerRuns) return false;
    const uint32_t inputSize = TreeInputBytes(h.TreeBlockSize);
    auto* input = static_cast<uint8_t*>(AllocCounted(m, inputSize + 8, inputSize));
    if (!input) {
        DebugLine("Couldn't allocate input buffer\r\n");
        return false;
    }
    std::memset(input, 0, inputSize + 8);
    const bool read = TavikRead(m, input + kTreeBlockScratch, h.TreeBlockSize) == h.TreeBlockSize;
    const bool built = read && BuildMovieTrees(input, h, m->Trees, m->MarkerRuns);
    TavikFree(input);
    m->MemUsed -= h.TreeBlockSize + kPiece;
    if (!built) {
        DebugLine("Wasn't a Tavik file\r\n");
        return false;
    }
    m->FirstFrameOffset += h.TreeBlockSize + TAVIK_HEADER_SIZE;
    return true;
}

// Points the ring at its memory and aligns the file to a piece boundary with one plain read.
void SetUpRing(TavikMovie* m) {
    m->RingEnd = m->RingStart + m->RingSize;
    m->RingRead = m->RingWrite = m->RingStart;
    if (m->FirstFrameOffset % kPiece != 0) {
        const uint32_t got =
            ReadMovieFile(m->File, m->RingStart, kPiece - m->FirstFrameOffset % kPiece);
        m->RingWrite = m->RingStart + got;
        m->RingFill = got;
    }
}

void ApplyHeightScaling(TavikMovie* m, uint32_t openFlags) {
    uint32_t& flags = m->Header.Flags;
    switch (openFlags & TavikNoScale) {
        case TavikInterlace:
            flags = (flags | TavikFlagInterlaced) & ~TavikFlagDoubled;
            break;
        case TavikDouble:
            flags = (flags | TavikFlagDoubled) & ~TavikFlagInterlaced;
            break;
        case TavikNoScale:
            flags &= ~(TavikFlagInterlaced | TavikFlagDoubled);
            break;
        default:
            break;
    }
    switch (flags & (TavikFlagInterlaced | TavikFlagDoubled)) {
        case TavikFlagInterlaced:
            m->OpenFlags |= TavikInterlace;
            break;
        case TavikFlagDoubled:
            m->OpenFlags |= TavikDouble;
            break;
        default:
            break;
    }
    if (m->OpenFlags & TavikNoScale) m->Header.Height *= 2;
}

}  // namespace

}  // namespace tavik

extern "C" {

TavikMovie* TavikOpen(const void* source, uint32_t openFlags, uint32_t extra) {
    using namespace tavik;
    if (!source) return nullptr;
    const uint32_t startTime = NowMs();
    const bool byHandle = openFlags & TavikFileHandle;
    const bool ownMemory = openFlags & TavikOwnMemory;

    TavikFile file = TAVIK_INVALID_FILE;
    std::string name;
    if (byHandle) {
        if (ownMemory)
            std::memcpy(&file, source, sizeof file);
        else
            file = reinterpret_cast<TavikFile>(source);
        DebugLineNumber("TavikOpen - file handle: ", file);
    } else {
        const auto* text = static_cast<const char*>(source);
        // A caller-owned block holds the name at its start, within the block.
        name.assign(text, ownMemory ? strnlen(text, sizeof(TavikMovie) - 1) : std::strlen(text));
        if (DebugOn()) {
            const std::string line = "TavikOpen - file: " + name + "\r\n";
            DebugLine(line.c_str());
        }
    }

    uint32_t startOffset = 0;
    if (byHandle) {
        if (file != TAVIK_INVALID_FILE) startOffset = TellMovieFile(file);
        if (file == TAVIK_INVALID_FILE || startOffset == ~0u) {
            DebugLine("Couldn't open the Tavik file\r\n");
            return nullptr;
        }
    } else {
        file = OpenMovieFile(name.c_str());
        if (file == TAVIK_INVALID_FILE) {
            DebugLine("Couldn't open the Tavik file\r\n");
            return nullptr;
        }
    }

    OpenState state;
    state.ownFile = !byHandle;
    state.ownRecord = !ownMemory;
    TavikMovie* m = ownMemory ? static_cast<TavikMovie*>(const_cast<void*>(source))
                              : static_cast<TavikMovie*>(TavikAlloc(nullptr, sizeof(TavikMovie)));
    if (!m) {
        if (state.ownFile) CloseMovieFile(file);
        DebugLine("Couldn't allocate Tavik structure\r\n");
        return nullptr;
    }
    std::memset(m, 0, sizeof *m);
    state.movie = m;
    m->MemUsed = m->MemHighest = sizeof(TavikMovie);
    m->File = file;
    m->FirstFrameOffset = startOffset;
    if (openFlags & TavikSimulateSpeed) m->ReadSpeed = SimulatedReadSpeed();
    const uint32_t fileSize = MovieFileSize(file);
    const uint64_t fileLeft = fileSize == ~0u          ? UINT64_MAX
                              : fileSize > startOffset ? fileSize - startOffset
                                                       : 0;

    TavikHeader& h = m->Header;
    if (TavikRead(m, &h, TAVIK_HEADER_SIZE) != TAVIK_HEADER_SIZE || !HasMovieMagic(h.Magic))
        return Fail(state, "Wasn't a Tavik file\r\n");
    // Headers beyond the format's limits, or tables and tree block longer than the file, are not
    // movies this core can play.
    const uint32_t frameTotal = FrameTotal(m);
    if (!HeaderProblem(h).empty() || FrameDataOffset(h) > fileLeft)
        return Fail(state, "Wasn't a Tavik file\r\n");

    if (openFlags & TavikRateOverride) h.FrameRate = FrameRateOverride();
    m->FrameTime = FrameTimeTicks(h.FrameRate);

    if (!ReadFrameTables(m, frameTotal)) return Fail(state, nullptr);
    if (!ReadTrees(m)) return Fail(state, nullptr);

    const FrameTableFacts facts = MeasureFrameTable(m->FrameSizes, frameTotal);
    const uint64_t total = facts.totalBytes;
    const uint64_t dataLeft = fileLeft - (m->FirstFrameOffset - startOffset);
    MeasureRates(m, frameTotal, facts);
    if (!FrameTableProblem(facts, m->FirstFrameOffset, dataLeft).empty()) return Fail(state, "Wasn't a Tavik file\r\n");
    m->TotalFrameBytes = static_cast<uint32_t>(total);

    // A movie longer than its file is never preloaded: it would only allocate for bytes that
    // are not there. Read through the ring, it stops cleanly at the first missing frame.
    uint32_t flags = openFlags;
    if (total > dataLeft) flags &= ~static_cast<uint32_t>(TavikPreload);
    m->RingSize = ChooseRing(m, flags, extra, total);
    if (total > dataLeft && m->RingSize == 0) m->RingSize = kMinRing;
    const bool preload = m->RingSize == 0;
    m->IOBufferSize = preload ? m->TotalFrameBytes : m->LargestFrame;
    m->IOBuffer = static_cast<uint8_t*>(AllocCounted(m, m->IOBufferSize + 8, m->IOBufferSize + 8));
    if (!m->IOBuffer) return Fail(state, "Couldn't allocate I/O buffer\r\n");
    std::memset(m->IOBuffer + m->IOBufferSize, 0, 8);
    m->NextFileOffset = m->FirstFrameOffset;
    m->OpenFlags = openFlags & ~static_cast<uint32_t>(TavikAllTracks | TavikNoScale);
    if (preload) {
        m->OpenFlags |= TavikPreload;
        if (TavikRead(m, m->IOBuffer, m->IOBufferSize) != m->IOBufferSize) m->ReadError = 1;
        if (!byHandle) CloseMovieFile(m->File);
        m->File = TAVIK_INVALID_FILE;
        m->FramePtr = m->IOBuffer;
    } else {
        m->OpenFlags &= ~static_cast<uint32_t>(TavikPreload);
        m->RingStart = static_cast<uint8_t*>(TavikAlloc(m, m->RingSize + kPiece));
        if (!m->RingStart) return Fail(state, nullptr);
        SetUpRing(m);
        TavikReadFrame(m);
    }

    m->PaletteFrame = -1;
    SetUpFrame(m);

    m->TimingTrack = -1;
    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t) {
        if ((openFlags & TAVIK_TRACK_FLAG(t)) && OpenSoundTrack(m, t))
            m->OpenFlags |= TAVIK_TRACK_FLAG(t);
    }

    m->NextDue = TAVIK_NOT_STARTED;
    if (openFlags & TavikFillRing)
        while (TavikReadAhead(m) != 0) {
        }
    ApplyHeightScaling(m, openFlags);

    m->OpenTime = NowMs() - startTime;
    m->ReadTime += m->BackReadTime;
    m->ReadBytes += m->BackReadBytes;
    m->BackReadTime = m->BackReadBytes = 0;
    m->OpenReadTime = m->ReadTime;
    DebugLineNumber("TavikOpen returned: ", reinterpret_cast<intptr_t>(m));
    return m;
}

TavikMovie* TavikOpenFile(TavikFile file, uint32_t openFlags, uint32_t extra) {
    return TavikOpen(reinterpret_cast<const void*>(file), openFlags | TavikFileHandle, extra);
}

void TavikClose(TavikMovie* m) {
    using namespace tavik;
    if (!m) return;
    DebugLineNumber("TavikClose: ", reinterpret_cast<intptr_t>(m));
    CloseSoundTracks(m);
    if (m->File != TAVIK_INVALID_FILE && !(m->OpenFlags & TavikFileHandle)) CloseMovieFile(m->File);
    TavikFree(m->Dest);
    TavikFree(m->Trees);
    TavikFree(m->MarkerRuns);
    TavikFree(m->FrameSizes);
    TavikFree(m->IOBuffer);
    TavikFree(m->RingStart);
    TavikDecoderClose(m->Seeker);
    const bool ownMemory = m->OpenFlags & TavikOwnMemory;
    std::memset(m, 0, sizeof *m);
    if (!ownMemory) TavikFree(m);
}
}
