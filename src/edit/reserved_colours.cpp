#include "edit/reserved_colours.h"

#include <algorithm>
#include <map>

#include "encoder/encoder.h"

namespace tavik::edit {

bool ReserveColours(InputMovie& movie, TextSource& text, uint32_t most, ReservedColours& reserved,
                    std::string& error) {
    reserved.clear();
    const uint32_t width = movie.Header().Width, codedWidth = width / 4 * 4;
    const uint32_t codedHeight = movie.StoredHeight() / 4 * 4;
    std::array<bool, 256> used{};
    std::map<std::array<uint8_t, 3>, uint64_t> weight;
    if (!movie.Rewind(error)) return false;
    InputFrame frame;
    while (movie.Next(frame, error)) {
        for (uint32_t y = 0; y < codedHeight; ++y)
            for (uint32_t x = 0; x < codedWidth; ++x)
                used[frame.picture[size_t{y} * width + x]] = true;
        if (frame.number == movie.Header().FrameCount) continue;
        // Each colour weighs by its coverage in every frame that shows it.
        const std::vector<TextLayer>& layers =
            text.At(int64_t{frame.number} * movie.FrameTime() / 100);
        for (const TextLayer& layer : layers) {
            uint64_t covered = 0;
            for (uint8_t c : layer.coverage) covered += c;
            const std::array<uint8_t, 3> colour{enc::QuantizeComponent(layer.r),
                                                enc::QuantizeComponent(layer.g),
                                                enc::QuantizeComponent(layer.b)};
            weight[colour] += covered * layer.opacity;
        }
    }
    if (!error.empty()) return false;
    std::vector<std::pair<uint64_t, std::array<uint8_t, 3>>> colours;
    for (const auto& [colour, w] : weight)
        if (w > 0) colours.emplace_back(w, colour);
    std::stable_sort(colours.begin(), colours.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    uint32_t entry = 0;
    for (const auto& [w, colour] : colours) {
        while (entry < 256 && used[entry]) ++entry;
        if (entry == 256 || reserved.size() == most) break;
        reserved.emplace_back(static_cast<uint8_t>(entry++), colour);
    }
    return true;
}

}  // namespace tavik::edit
