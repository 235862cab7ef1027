#include "edit/block_recoder.h"

#include <cstring>

namespace tavik::edit {

namespace {

void ReadBlock(const uint8_t* picture, size_t origin, uint32_t width, uint8_t* p) {
    for (uint32_t r = 0; r < 4; ++r) std::memcpy(p + 4 * r, picture + origin + r * width, 4);
}

}  // namespace

uint32_t RecodeBlocks(const BlockPictures& pictures, const RecodeRules& rules,
                      std::vector<enc::BlockChoice>& blocks, std::vector<uint8_t>& differs) {
    const uint32_t width = pictures.width, blocksPerRow = width / 4;
    const enc::EncodeOptions lossless;
    uint32_t recoded = 0;
    for (size_t n = 0; n < blocks.size(); ++n) {
        const size_t origin = (n / blocksPerRow) * 4 * size_t{width} + (n % blocksPerRow) * 4;
        uint8_t edited[16], original[16];
        ReadBlock(pictures.edited, origin, width, edited);
        ReadBlock(pictures.original, origin, width, original);
        const bool changed = std::memcmp(edited, original, 16) != 0;
        const bool differedBefore = differs[n] != 0;
        if (!changed && (blocks[n].type != enc::kSkipBlock || !differedBefore)) {
            differs[n] = 0;
            continue;  // the movie's own coding shows the same pixels
        }
        ++recoded;
        differs[n] = changed ? 1 : 0;
        uint8_t before[16];
        ReadBlock(pictures.editedBefore, origin, width, before);
        bool skip = rules.allowSkip && std::memcmp(edited, before, 16) == 0;
        for (int i = 0; i < 16 && skip; ++i) skip = !(*rules.recoloured)[edited[i]];
        blocks[n] = skip ? enc::BlockChoice{} : enc::CodeBlock(edited, lossless);
    }
    return recoded;
}

}  // namespace tavik::edit
