// Palette entries for the text's own colours: entries that no frame of the movie shows can take
// any colour without changing a single picture, so text drawn in them keeps its exact colours.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "edit/input_movie.h"
#include "edit/text_source.h"

namespace tavik::edit {

using ReservedColours = std::vector<std::pair<uint8_t, std::array<uint8_t, 3>>>;

// The text's most used colours (as the palette stores them), each given an entry that no frame
// uses, as far as there are such entries (at most `most`). Reads every frame.
bool ReserveColours(InputMovie& movie, TextSource& text, uint32_t most, ReservedColours& reserved,
                    std::string& error);

}  // namespace tavik::edit
