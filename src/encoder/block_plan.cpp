#include "encoder/block_plan.h"

#include <cstring>

namespace tavik::enc {

namespace {

constexpr uint32_t kLongRuns[] = {2048, 1024, 512, 256, 128};
constexpr uint32_t kLongestShortRun = 59;

// Pieces of a run of `length` blocks. A piece that is the frame's last may overrun its end, so
// the rest of the frame costs one type word.
std::vector<uint32_t> SplitRun(uint32_t length, bool endsFrame) {
    std::vector<uint32_t> pieces;
    while (length > 0) {
        uint32_t piece = 0;
        if (endsFrame && length <= kLongRuns[0]) {
            piece = length <= kLongestShortRun ? length : kLongRuns[0];
            for (uint32_t run : kLongRuns)
                if (run >= length) piece = run;
            pieces.push_back(piece);
            return pieces;
        }
        for (uint32_t run : kLongRuns) {
            if (run <= length) {
                piece = run;
                break;
            }
        }
        if (piece == 0) piece = length < kLongestShortRun ? length : kLongestShortRun;
        pieces.push_back(piece);
        length -= piece;
    }
    return pieces;
}

bool SameRun(const BlockChoice& a, const BlockChoice& b) {
    return a.type == b.type && (a.type != kSolidBlock || a.colour == b.colour);
}

}  // namespace

uint32_t RunLengthIndex(uint32_t length) {
    if (length <= kLongestShortRun) return length - 1;
    uint32_t index = 63;
    for (uint32_t run : kLongRuns) {
        if (run == length) return index;
        --index;
    }
    return 0;
}

uint32_t RunLength(uint32_t index) {
    return index < 59 ? index + 1 : 128u << (index - 59);
}

BlockChoice CodeBlock(const uint8_t* p, const EncodeOptions& options) {
    BlockChoice block;
    const uint8_t a = p[0];
    int b = -1;
    bool moreThanTwo = false;
    uint16_t mask = 0;
    for (uint32_t i = 1; i < 16 && !moreThanTwo; ++i) {
        if (p[i] == a) continue;
        if (b < 0) b = p[i];
        if (p[i] != b) moreThanTwo = true;
        mask = static_cast<uint16_t>(mask | 1u << i);
    }
    if (b < 0 && options.allowSolid) {
        block.type = kSolidBlock;
        block.colour = a;
    } else if (b >= 0 && !moreThanTwo && options.allowTwoColour) {
        block.type = kTwoColourBlock;
        block.pair = static_cast<uint16_t>(a | b << 8);
        block.mask = mask;
    } else {
        block.type = kFullBlock;
    }
    return block;
}

std::vector<BlockChoice> ChooseBlocks(const uint8_t* pixels, const uint8_t* previous,
                                      const ColourSet& recoloured, uint32_t width, uint32_t height,
                                      const EncodeOptions& options) {
    const uint32_t blocksPerRow = width / 4, blockRows = height / 4;
    std::vector<BlockChoice> blocks(static_cast<size_t>(blocksPerRow) * blockRows);
    BlockChoice* out = blocks.data();
    for (uint32_t by = 0; by < blockRows; ++by) {
        for (uint32_t bx = 0; bx < blocksPerRow; ++bx, ++out) {
            const size_t origin = (static_cast<size_t>(by) * 4) * width + bx * 4;
            uint8_t p[16];
            for (uint32_t r = 0; r < 4; ++r) std::memcpy(p + 4 * r, pixels + origin + r * width, 4);
            if (previous && options.allowSkip) {
                bool same = true;
                for (uint32_t r = 0; r < 4 && same; ++r)
                    same = std::memcmp(p + 4 * r, previous + origin + r * width, 4) == 0;
                for (uint32_t i = 0; i < 16 && same; ++i) same = !recoloured[p[i]];
                if (same) continue;  // already a skip block
            }
            *out = CodeBlock(p, options);
        }
    }
    return blocks;
}

std::vector<uint32_t> FrameValues(const std::vector<BlockChoice>& blocks, const uint8_t* pixels,
                                  uint32_t width) {
    const uint32_t blocksPerRow = width / 4;
    const uint32_t total = static_cast<uint32_t>(blocks.size());
    std::vector<uint32_t> values;
    auto put = [&](ValueTree tree, uint32_t value) { values.push_back(tree << 16 | value); };
    uint32_t n = 0;
    while (n < total) {
        uint32_t end = n + 1;
        while (end < total && SameRun(blocks[end], blocks[n])) ++end;
        const BlockChoice& first = blocks[n];
        const uint32_t colour = first.type == kSolidBlock ? first.colour : 0;
        for (uint32_t piece : SplitRun(end - n, end == total)) {
            put(kTypeTree, first.type | RunLengthIndex(piece) << 2 | colour << 8);
            const uint32_t pieceEnd = n + piece < end ? n + piece : end;
            for (; n < pieceEnd; ++n) {
                const BlockChoice& block = blocks[n];
                if (block.type == kTwoColourBlock) {
                    put(kColourTree, block.pair);
                    put(kMaskTree, block.mask);
                } else if (block.type == kFullBlock) {
                    const size_t origin = (static_cast<size_t>(n / blocksPerRow) * 4) * width +
                                          (n % blocksPerRow) * 4;
                    for (uint32_t r = 0; r < 4; ++r) {
                        const uint8_t* row = pixels + origin + r * width;
                        put(kFullBlockTree, RightPair(row));
                        put(kFullBlockTree, LeftPair(row));
                    }
                }
            }
        }
    }
    return values;
}

}  // namespace tavik::enc
