// Which palette each frame shows: kept from indexed sources, given, or made by the quantiser for
// the whole movie, for each scene or for each frame. A new palette is laid out against the one
// before it, so that colours both have stay at their entries (a palette chunk keeps them in one
// byte per run, and blocks that show them need not be redrawn).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "encoder/authoring.h"
#include "encoder/colour.h"

namespace tavik::enc {

struct PalettePlan {
    std::vector<Palette> palettes;  // per frame, every component decodable exactly
    std::vector<bool> keepIndices;  // per frame: the source's own indices are the picture
};

bool PlanPalettes(const std::vector<SourceFrame>& sources, uint32_t width, uint32_t height,
                  const AuthorOptions& options, PalettePlan& plan, std::string& error);

// Lays `colours` out as a palette: entries marked in `fixed` take `given`'s colour; a colour that
// `previous` has at a free entry stays there (or, within `snap` squared distance, takes that
// entry's colour); the rest fill the other free entries, and free entries left over keep
// `previous`'s colour.
Palette PlaceColours(const Palette& previous, const std::vector<Rgb>& colours, const Palette& given,
                     const std::array<bool, 256>& fixed, int snap);

// Frames at which the colours differ enough from the scene's first frame that a new palette pays.
std::vector<size_t> SceneStarts(const std::vector<SourceFrame>& sources, size_t pixels);

}  // namespace tavik::enc
