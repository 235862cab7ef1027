#include "video/video_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "video/block_pixels.h"
#include "video/full_blocks_plain.h"
#include "video/full_blocks_runs.h"
#include "video/marker_runs.h"
#include "video/trees.h"
#include "video/value_decoder.h"
#include "video/video_bit_stream.h"

namespace tavik {

namespace {

enum BlockType : uint32_t { kTwoColour = 0, kFull = 1, kSkip = 2, kSolid = 3 };

constexpr std::array<uint32_t, 64> MakeRunLengths() {
    std::array<uint32_t, 64> table{};
    for (uint32_t i = 0; i < 59; ++i) table[i] = i + 1;
    table[59] = 128;
    table[60] = 256;
    table[61] = 512;
    table[62] = 1024;
    table[63] = 2048;
    return table;
}
constexpr std::array<uint32_t, 64> kRunLengths = MakeRunLengths();

// One byte per group of 16 blocks. The frontier is the first block whose group is still open:
// a group is written once, by the first run that decides it.
class ChangeMapWriter {
  public:
    explicit ChangeMapWriter(uint8_t* map) : map_(map) {}

    void MarkRun(uint64_t end, bool changed) {
        if (frontier_ > end) return;
        const uint64_t closed = changed ? (end + 15) / 16 : end / 16;
        const uint64_t first = frontier_ / 16;
        const uint8_t value = changed ? 1 : 0;
        // Most runs close no group or one: a store, not a call.
        if (closed - first == 1) {
            map_[first] = value;
        } else {
            std::memset(map_ + first, value, static_cast<size_t>(closed - first));
        }
        frontier_ = closed * 16;
    }
    // Clears the groups from the frontier through the closing byte: what no run decided did not
    // change (for a complete frame this is only the closing byte or a trailing skipped group).
    void Finish(uint64_t groups) {
        const uint64_t first = frontier_ / 16;
        if (first <= groups) std::memset(map_ + first, 0, static_cast<size_t>(groups + 1 - first));
    }

  private:
    uint8_t* map_;
    uint64_t frontier_ = 0;
};

struct FrameGeometry {
    uint8_t* picture;
    uint32_t blocksPerRow;
    uint32_t blockRows;
    ptrdiff_t line;
};

// The runs of one frame, for one pixel size and line doubling. A run is handled a block-row
// piece at a time; the stream is checked against the chunk's end once per run and per piece.
template <bool kWide, bool kDoubled>
void DecodeRuns(const VideoBitStream& stream, const ValueTrees& frameTrees,
                const TavikMarkerRuns* runs, const FrameGeometry& geometry, const uint16_t* colours,
                ChangeMapWriter& changes) {
    using Pixels = BlockPixels<kWide, kDoubled>;
    // Working copies that no pixel or slot store can alias, so they stay in registers.
    VideoBitStream bits = stream;
    ValueTrees trees = frameTrees;
    const Pixels pixels{colours, geometry.line};
    const uint32_t blocksPerRow = geometry.blocksPerRow;
    const ptrdiff_t rowAdvance = Pixels::kLinesPerBlock * geometry.line;
    const uint64_t totalBlocks = uint64_t{blocksPerRow} * geometry.blockRows;
    ValueTree& typeTree = trees.tree[3];
    ValueTree& maskTree = trees.tree[0];
    ValueTree& colourTree = trees.tree[1];
    ValueTree& fullTree = trees.tree[2];
    const bool useRuns = runs != nullptr && runs->worthwhile != 0;

    uint8_t* rowStart = geometry.picture;
    uint32_t rowsLeft = geometry.blockRows;
    uint32_t column = 0;
    uint64_t covered = 0;
    for (;;) {
        if (!typeTree.present || bits.Exhausted()) return;
        const uint32_t word = DecodeValue(bits, typeTree, trees) >> 16;
        const uint32_t type = word & 3;
        if (type == kTwoColour && !(colourTree.present && maskTree.present)) return;
        if (type == kFull && !fullTree.present) return;
        const uint32_t colour = word >> 8 & 0xFF;
        uint32_t left = kRunLengths[word >> 2 & 63];

        covered = std::min(covered + left, totalBlocks);
        changes.MarkRun(covered, type != kSkip);

        while (left > 0) {
            const uint32_t piece = std::min(left, blocksPerRow - column);
            uint8_t* block = rowStart + static_cast<ptrdiff_t>(column) * Pixels::kBlockBytes;
            switch (type) {
                case kTwoColour:
                    if (bits.Exhausted()) return;
                    for (uint32_t i = 0; i < piece; ++i, block += Pixels::kBlockBytes) {
                        bits.Refill();  // two codes resolved by the lookups take at most 24 bits
                        const uint32_t pair = TakeCode(bits, colourTree, trees, kWideLookupMask);
                        UpdateRecent(colourTree, pair);
                        const uint32_t mask = TakeCode(bits, maskTree, trees, kWideLookupMask);
                        UpdateRecent(maskTree, mask);
                        pixels.TwoColour(block, pair >> 16, mask >> 16);
                    }
                    break;
                case kFull:
                    if (bits.Exhausted()) return;
                    bits = useRuns
                               ? DecodeRunFullBlocks(bits, fullTree, trees, runs->entries, pixels,
                                                     block, piece)
                               : DecodePlainFullBlocks(bits, fullTree, trees, pixels, block, piece);
                    break;
                case kSolid:
                    pixels.Solid(block, piece, colour);
                    break;
                default:  // skip: the destination keeps its pixels
                    break;
            }
            column += piece;
            left -= piece;
            if (column == blocksPerRow) {
                if (--rowsLeft == 0) return;
                column = 0;
                rowStart += rowAdvance;
            }
        }
    }
}

using RunDecoder = void (*)(const VideoBitStream&, const ValueTrees&, const TavikMarkerRuns*,
                            const FrameGeometry&, const uint16_t*, ChangeMapWriter&);

RunDecoder ChooseRunDecoder(bool wide, bool doubled) {
    if (wide) return doubled ? DecodeRuns<true, true> : DecodeRuns<true, false>;
    return doubled ? DecodeRuns<false, true> : DecodeRuns<false, false>;
}

}  // namespace

// One bit reader serves every processor: a portable 64-bit window refilled by whole 64-bit loads,
// which delivers codes of any length, so no separate wide variant (and no processor check) is
// needed.
void DecodeVideoFrame(const uint8_t* chunk, uint32_t chunkSize, uint8_t* trees,
                      const TavikMarkerRuns* markerRuns, TavikDestDesc* dest) {
    ChangeIterator& iterator = dest->iterator;
    iterator.done = iterator.pending = iterator.started = iterator.reserved = 0;
    iterator.x = iterator.y = 0;

    const FrameGeometry geometry{dest->picture, dest->blocksPerRow, dest->blockRows,
                                 dest->lineStep};
    const bool wide = (dest->format & 0x80) != 0;
    const uint64_t totalBlocks = uint64_t{geometry.blocksPerRow} * geometry.blockRows;
    ChangeMapWriter changes(ChangeMap(dest));
    // An empty picture, or 16-bit pixels without a colour table, has nothing to decode into.
    if (totalBlocks != 0 && (!wide || dest->colourTable != nullptr)) {
        ValueTrees values;
        ResetRecentValues(trees, values);
        VideoBitStream bits(chunk, chunkSize);
        ChooseRunDecoder(wide, dest->doubled & 1)(bits, values, markerRuns, geometry,
                                                  dest->colourTable, changes);
    }
    changes.Finish((totalBlocks + 15) / 16);
}

}  // namespace tavik
