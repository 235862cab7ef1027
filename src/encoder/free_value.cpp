#include "encoder/free_value.h"

namespace tavik::enc {

namespace {

constexpr uint32_t kValues = 65536;

uint16_t Swapped(uint16_t pair) {
    return static_cast<uint16_t>(pair >> 8 | pair << 8);
}
uint16_t Inverted(uint16_t mask) {
    return static_cast<uint16_t>(~mask);
}

bool UsesValue(uint16_t pair, uint16_t mask, uint32_t value) {
    return pair == value || mask == value;
}

// Calls f(pair) for each full-block value that block n would need.
template <class F>
void ForEachFullPair(const uint8_t* pixels, uint32_t width, uint32_t n, F&& f) {
    const uint32_t blocksPerRow = width / 4;
    const size_t origin =
        (static_cast<size_t>(n / blocksPerRow) * 4) * width + (n % blocksPerRow) * 4;
    for (uint32_t r = 0; r < 4; ++r) {
        const uint8_t* row = pixels + origin + r * width;
        f(RightPair(row));
        f(LeftPair(row));
    }
}

}  // namespace

bool EnsureFreeValue(std::vector<FramePlan>& frames, uint32_t width) {
    std::vector<uint8_t> used(kValues, 0);
    used[0] = 1;
    for (const FramePlan& frame : frames)
        for (uint32_t entry : frame.values) used[ValueOf(entry)] = 1;
    for (uint32_t v = 0; v < kValues; ++v)
        if (!used[v]) return true;

    // Values that cannot be avoided: full-block pairs, and the values of two-colour blocks that
    // use a value both ways round and would need it as a full block too.
    std::vector<uint8_t> hard(kValues, 0);
    for (const FramePlan& frame : frames) {
        for (uint32_t entry : frame.values)
            if (ValueTreeOf(entry) == kFullBlockTree) hard[ValueOf(entry)] = 1;
        for (uint32_t n = 0; n < frame.blocks.size(); ++n) {
            const BlockChoice& block = frame.blocks[n];
            if (block.type != kTwoColourBlock) continue;
            for (uint32_t v : {uint32_t{block.pair}, uint32_t{block.mask}}) {
                if (!UsesValue(Swapped(block.pair), Inverted(block.mask), v)) continue;
                ForEachFullPair(frame.pixels, width, n, [&](uint16_t pair) {
                    if (pair == v) hard[v] = 1;
                });
            }
        }
    }
    uint32_t freed = kValues;
    for (uint32_t v = 256; v < kValues && freed == kValues; ++v)
        if ((v & 3) != 3 && !hard[v]) freed = v;
    if (freed == kValues) return false;

    for (FramePlan& frame : frames) {
        bool changed = false;
        for (BlockChoice& block : frame.blocks) {
            if (block.type != kTwoColourBlock || !UsesValue(block.pair, block.mask, freed))
                continue;
            changed = true;
            if (!UsesValue(Swapped(block.pair), Inverted(block.mask), freed)) {
                block.pair = Swapped(block.pair);
                block.mask = Inverted(block.mask);
            } else {
                block.type = kFullBlock;
            }
        }
        if (changed) frame.values = FrameValues(frame.blocks, frame.pixels, width);
    }
    return true;
}

}  // namespace tavik::enc
