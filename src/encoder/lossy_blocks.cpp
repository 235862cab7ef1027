#include "encoder/lossy_blocks.h"

#include <cmath>
#include <cstring>

namespace tavik::enc {

namespace {

// How many distinct values a tree is expected to hold, and how much weight that expectation has
// against what was counted: together they price values never seen yet.
constexpr float kExpectedValues[3] = {2048, 4096, 4096};  // mask, colour, full-block trees
constexpr float kPriorWeight = 64;

// Type words: a block that continues the run before it costs almost nothing, one that starts a
// run costs a type word.
constexpr float kRunContinues = 0.25f, kNewRun = 5, kNewSolidRun = 7;
// Redrawing a block that could be skipped must win by this many bits' worth of error: small
// refinements of an unchanged picture would cost every frame and make it shimmer.
constexpr float kRedrawBits = 12;

struct Block {
    int src[16][3];
    uint8_t palettised[16];
};

int Error(const int* want, const Palette& palette, uint8_t index) {
    const uint8_t* c = palette.data() + 3 * index;
    return Distance2(want[0], want[1], want[2], c[0], c[1], c[2]);
}

// A two-colour choice: colour A is pixel 0's, as the block coder writes it.
struct TwoColour {
    uint16_t pair = 0, mask = 0;
    int error = 0;
};

TwoColour FromColours(const Block& block, const Palette& palette, uint8_t x, uint8_t y) {
    uint8_t chosen[16];
    int error = 0;
    for (int i = 0; i < 16; ++i) {
        const int ex = Error(block.src[i], palette, x), ey = Error(block.src[i], palette, y);
        chosen[i] = ex <= ey ? x : y;
        error += ex <= ey ? ex : ey;
    }
    TwoColour two;
    const uint8_t a = chosen[0];
    uint8_t b = a;
    for (int i = 1; i < 16; ++i) {
        if (chosen[i] == a) continue;
        b = chosen[i];
        two.mask = static_cast<uint16_t>(two.mask | 1u << i);
    }
    two.pair = static_cast<uint16_t>(a | b << 8);
    two.error = error;
    return two;
}

// Splits the block's pixels by brightness, takes each half's nearest entry and refines once.
bool ClusterTwoColours(const Block& block, PaletteMapper& mapper, TwoColour& two) {
    int luma[16], mean = 0;
    for (int i = 0; i < 16; ++i) {
        luma[i] = 2 * block.src[i][0] + 4 * block.src[i][1] + block.src[i][2];
        mean += luma[i];
    }
    mean /= 16;
    uint8_t colour[2];
    bool high[16];
    for (int pass = 0; pass < 2; ++pass) {
        int sum[2][3] = {}, count[2] = {};
        for (int i = 0; i < 16; ++i) {
            const int side = pass == 0 ? luma[i] > mean : high[i];
            high[i] = side;
            ++count[side];
            for (int c = 0; c < 3; ++c) sum[side][c] += block.src[i][c];
        }
        if (count[0] == 0 || count[1] == 0) return false;
        for (int side = 0; side < 2; ++side)
            colour[side] = mapper.Nearest(sum[side][0] / count[side], sum[side][1] / count[side],
                                          sum[side][2] / count[side]);
        if (colour[0] == colour[1]) return false;
        if (pass == 0) {
            const Palette& palette = mapper.palette();
            for (int i = 0; i < 16; ++i)
                high[i] = Error(block.src[i], palette, colour[1]) <
                          Error(block.src[i], palette, colour[0]);
        }
    }
    two = FromColours(block, mapper.palette(), colour[0], colour[1]);
    return (two.pair & 0xFF) != (two.pair >> 8);
}

}  // namespace

BlockCostModel::BlockCostModel() {
    for (int t = 0; t < 3; ++t) {
        counts_[t].assign(65536, 0);
        unseenWeight_[t] = kPriorWeight / kExpectedValues[t];
    }
}

float BlockCostModel::Bits(ValueTree tree, uint16_t value) const {
    return std::log2(static_cast<float>(totals_[tree]) + kPriorWeight) -
           std::log2(static_cast<float>(counts_[tree][value]) + unseenWeight_[tree]);
}

void BlockCostModel::Add(ValueTree tree, uint16_t value) {
    ++counts_[tree][value];
    ++totals_[tree];
}

float LambdaForQuality(double quality) {
    return static_cast<float>(6.0 * std::exp2((kDefaultQuality - quality) / 10.0));
}

void SimplifyFrame(const LossyFrame& frame, uint32_t width, uint32_t height, PaletteMapper& mapper,
                   BlockCostModel& model, uint8_t* decoded) {
    const Palette& palette = mapper.palette();
    const float lambda = frame.lambda;
    int lastType = -1, lastColour = -1;
    auto typeBits = [&](int type, int colour) {
        if (type == lastType && (type != kSolidBlock || colour == lastColour)) return kRunContinues;
        return type == kSolidBlock ? kNewSolidRun : kNewRun;
    };
    for (uint32_t by = 0; by < height / 4; ++by) {
        for (uint32_t bx = 0; bx < width / 4; ++bx) {
            const size_t origin = size_t{by} * 4 * width + size_t{bx} * 4;
            Block block;
            for (int r = 0; r < 4; ++r) {
                const size_t at = origin + size_t{static_cast<uint32_t>(r)} * width;
                std::memcpy(block.palettised + 4 * r, frame.palettised + at, 4);
                for (int c = 0; c < 4; ++c)
                    for (int k = 0; k < 3; ++k)
                        block.src[4 * r + c][k] = frame.rgb[3 * (at + c) + k];
            }
            // Full block: the palettised pixels.
            int fullError = 0;
            float fullBits = typeBits(kFullBlock, 0);
            for (int i = 0; i < 16; ++i)
                fullError += Error(block.src[i], palette, block.palettised[i]);
            for (int r = 0; r < 4; ++r) {
                fullBits += model.Bits(kFullBlockTree, RightPair(block.palettised + 4 * r));
                fullBits += model.Bits(kFullBlockTree, LeftPair(block.palettised + 4 * r));
            }
            int bestType = kFullBlock;
            float bestCost = static_cast<float>(fullError) + lambda * fullBits;
            bool skipAllowed = false;
            auto consider = [&](int type, int error, float bits) {
                const float cost = static_cast<float>(error) + lambda * bits +
                                   (skipAllowed && type != kSkipBlock ? lambda * kRedrawBits : 0);
                if (cost < bestCost) {
                    bestCost = cost;
                    bestType = type;
                    return true;
                }
                return false;
            };
            // Skip: the decoder's picture as it is, unless it shows a recoloured entry.
            if (frame.previous) {
                bool skippable = true;
                int error = 0;
                for (int r = 0; r < 4 && skippable; ++r) {
                    const uint8_t* row =
                        frame.previous + origin + size_t{static_cast<uint32_t>(r)} * width;
                    for (int c = 0; c < 4; ++c) {
                        if ((*frame.recoloured)[row[c]]) skippable = false;
                        error += Error(block.src[4 * r + c], palette, row[c]);
                    }
                }
                if (skippable) {
                    bestCost += lambda * kRedrawBits;
                    skipAllowed = true;
                    consider(kSkipBlock, error, typeBits(kSkipBlock, 0));
                }
            }
            // Solid: the entry nearest to the block's mean.
            int sum[3] = {};
            for (int i = 0; i < 16; ++i)
                for (int k = 0; k < 3; ++k) sum[k] += block.src[i][k];
            const uint8_t solid = mapper.Nearest(sum[0] / 16, sum[1] / 16, sum[2] / 16);
            int solidError = 0;
            for (int i = 0; i < 16; ++i) solidError += Error(block.src[i], palette, solid);
            consider(kSolidBlock, solidError, typeBits(kSolidBlock, solid));
            // Two colours: the palettised block's own when it has two, and a clustering of the
            // source's.
            TwoColour two, candidate;
            bool haveTwo = false;
            auto considerTwo = [&](const TwoColour& t) {
                const float bits = typeBits(kTwoColourBlock, 0) + model.Bits(kColourTree, t.pair) +
                                   model.Bits(kMaskTree, t.mask);
                if (consider(kTwoColourBlock, t.error, bits)) {
                    two = t;
                    haveTwo = true;
                }
            };
            uint8_t second = block.palettised[0];
            bool moreThanTwo = false;
            for (int i = 1; i < 16 && !moreThanTwo; ++i) {
                if (block.palettised[i] == block.palettised[0]) continue;
                if (second != block.palettised[0] && block.palettised[i] != second)
                    moreThanTwo = true;
                second = block.palettised[i];
            }
            if (!moreThanTwo && second != block.palettised[0])
                considerTwo(FromColours(block, palette, block.palettised[0], second));
            if (moreThanTwo && ClusterTwoColours(block, mapper, candidate)) considerTwo(candidate);

            // Write the chosen block and teach the model its values.
            for (int r = 0; r < 4; ++r) {
                uint8_t* out = decoded + origin + size_t{static_cast<uint32_t>(r)} * width;
                for (int c = 0; c < 4; ++c) {
                    const int i = 4 * r + c;
                    switch (bestType) {
                        case kSkipBlock:
                            out[c] = frame.previous[origin +
                                                    size_t{static_cast<uint32_t>(r)} * width + c];
                            break;
                        case kSolidBlock:
                            out[c] = solid;
                            break;
                        case kTwoColourBlock:
                            out[c] =
                                static_cast<uint8_t>(two.mask >> i & 1 ? two.pair >> 8 : two.pair);
                            break;
                        default:
                            out[c] = block.palettised[i];
                    }
                }
            }
            if (bestType == kFullBlock) {
                for (int r = 0; r < 4; ++r) {
                    model.Add(kFullBlockTree, RightPair(block.palettised + 4 * r));
                    model.Add(kFullBlockTree, LeftPair(block.palettised + 4 * r));
                }
            } else if (bestType == kTwoColourBlock && haveTwo) {
                model.Add(kColourTree, two.pair);
                model.Add(kMaskTree, two.mask);
            }
            lastType = bestType;
            lastColour = bestType == kSolidBlock ? solid : -1;
        }
    }
}

}  // namespace tavik::enc
