// Which blocks of a frame an edit codes again, and how. A block keeps the movie's own coding when
// it shows the same pixels as before and, for a skipped block, the picture under it is also
// unchanged; every other block codes the edited picture: skipped when the previous edited picture
// already shows it, else solid, two-colour or full as its pixels allow.
#pragma once

#include <cstdint>
#include <vector>

#include "encoder/block_plan.h"

namespace tavik::edit {

struct BlockPictures {
    uint32_t width = 0, height = 0;  // the stored picture; blocks cover (width / 4) x (height / 4)
    const uint8_t* original = nullptr;      // the movie's picture after this frame
    const uint8_t* edited = nullptr;        // the picture to show instead
    const uint8_t* editedBefore = nullptr;  // what the edited movie shows before this frame
};

struct RecodeRules {
    // False for frame 0. It is decoded over an empty picture, or without a ring frame over the
    // last frame when play wraps; where it skips, a block shows either, as the movie's own does.
    bool allowSkip = true;
    const enc::ColourSet* recoloured = nullptr;  // entries whose colour this frame changes
};

// `blocks` holds the movie's own coding and becomes the edited frame's. `differs` holds, per
// block, whether the edited picture before this frame differs from the movie's there; it
// becomes the same for the picture after this frame. Returns the number of blocks coded anew.
uint32_t RecodeBlocks(const BlockPictures& pictures, const RecodeRules& rules,
                      std::vector<enc::BlockChoice>& blocks, std::vector<uint8_t>& differs);

}  // namespace tavik::edit
