// Lossy coding: each 4x4 block of a frame becomes a skip, solid, two-colour or full block by
// what it costs in bits against the error it leaves, measured against the source's own colours.
// The result is the picture the decoder will show, which the lossless coder then codes exactly.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "encoder/block_plan.h"
#include "encoder/palette_mapper.h"

namespace tavik::enc {

// What a value costs in its tree, learnt from the values coded so far (the trees are built from
// the whole movie's values in the end, so frequent values get short codes).
class BlockCostModel {
  public:
    BlockCostModel();
    float Bits(ValueTree tree, uint16_t value) const;
    void Add(ValueTree tree, uint16_t value);

  private:
    std::array<std::vector<uint32_t>, 3> counts_;
    std::array<uint64_t, 3> totals_{};
    std::array<float, 3> unseenWeight_{};
};

struct LossyFrame {
    const uint8_t* rgb = nullptr;           // the source picture
    const uint8_t* palettised = nullptr;    // its nearest-colour picture
    const uint8_t* previous = nullptr;      // the decoder's picture before this frame; null: none
    const ColourSet* recoloured = nullptr;  // entries whose colour this frame changes
    float lambda = 1;                       // squared error (summed over R, G, B) per bit
};

// Writes the picture to show into `decoded` (width x height). The mapper holds this frame's
// palette.
void SimplifyFrame(const LossyFrame& frame, uint32_t width, uint32_t height, PaletteMapper& mapper,
                   BlockCostModel& model, uint8_t* decoded);

// Squared error per bit for a quality of 1 to 99 (fractions allowed, for the rate cap).
float LambdaForQuality(double quality);

}  // namespace tavik::enc
