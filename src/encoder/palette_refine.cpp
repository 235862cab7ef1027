#include "encoder/palette_refine.h"

#include <algorithm>

#include "encoder/palette_mapper.h"

namespace tavik::enc {

namespace {
// Pixels looked at per step, at most: spread evenly over the pictures.
constexpr size_t kSamplesPerStep = 1u << 18;
}  // namespace

void RefineColours(const std::vector<const uint8_t*>& pictures, size_t pixels,
                   const std::vector<Rgb>& fixed, std::vector<Rgb>& colours, int steps) {
    const size_t entries = fixed.size() + colours.size();
    if (colours.empty() || entries > 256 || pictures.empty() || pixels == 0) return;
    const size_t total = pixels * pictures.size();
    const size_t stride = std::max<size_t>(1, total / kSamplesPerStep) | 1;
    PaletteMapper mapper;
    for (int step = 0; step < steps; ++step) {
        Palette palette{};
        for (size_t i = 0; i < 256; ++i) {
            const Rgb c = i < fixed.size() ? fixed[i]
                          : i < entries    ? colours[i - fixed.size()]
                                           : colours[0];
            SetEntry(palette, static_cast<int>(i), c);
        }
        mapper.SetPalette(palette);
        std::vector<uint64_t> sums(256 * 4, 0);
        for (size_t at = 0; at < total; at += stride) {
            const uint8_t* p = pictures[at / pixels] + 3 * (at % pixels);
            const uint8_t index = mapper.Nearest(p[0], p[1], p[2]);
            uint64_t* sum = sums.data() + 4 * index;
            sum[0] += p[0], sum[1] += p[1], sum[2] += p[2], ++sum[3];
        }
        bool moved = false;
        for (size_t j = 0; j < colours.size(); ++j) {
            const uint64_t* sum = sums.data() + 4 * (fixed.size() + j);
            if (sum[3] == 0) continue;
            const Rgb mean = NearestStored({static_cast<uint8_t>(sum[0] / sum[3]),
                                            static_cast<uint8_t>(sum[1] / sum[3]),
                                            static_cast<uint8_t>(sum[2] / sum[3])});
            moved = moved || !(mean == colours[j]);
            colours[j] = mean;
        }
        if (!moved) break;
    }
}

}  // namespace tavik::enc
