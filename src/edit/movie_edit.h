// tavik-edit's work: a new movie that differs from the given one only where the edit says.
// Subtitles are drawn into the frames; sound tracks are replaced, added or dropped; the ring
// frame, the flags, the frame rate and every track not named are kept as stored.
//
// How the pictures stay exact. The four value trees are the movie's, and a block of text needs
// values they may not hold (a colour pair, a pixel pair, a run length). Growing the stored
// trees in place would give every new value a code at the bottom of the deepest branch, 20 bits
// and more, so text would cost twice what it should and the data-rate limit would soon bite.
// Instead the trees are built afresh from the values of the edited frames and every frame's
// video is coded again from how the movie codes it: each block the text leaves alone keeps its
// type and its values (a skipped block stays skipped, a two-colour block keeps its pair and
// mask), so it decodes to exactly the same pixels, and only the code words change. The new trees
// are optimal for the new values, so frames without text come out about as large as before.
// Without subtitles the tree block and every video chunk are copied unchanged.
//
// Blocks coded anew: those the text covers, and those it covered in the frame before (a block
// the movie skips would keep showing the text). Where a one-second window comes out over the
// data-rate limit, the text of its frames is drawn again with hard edges (fewer colours, fewer
// distinct blocks) and the whole movie coded again. A movie without a ring frame decodes frame
// 0 over its last picture when play wraps, so a block of text in a place that frame 0 skips
// cannot match both plays there; it matches the first.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "edit/new_sound.h"
#include "edit/text_source.h"

namespace tavik::edit {

struct EditOptions {
    TextSource* text = nullptr;  // subtitles; null: the pictures are copied
    // Palette entries that no frame uses take the text's own colours while text is shown.
    bool reserveColours = false;
    std::vector<NewSound> sounds;
    std::array<bool, 7> drop{};
    // No one-second window of the new movie may be larger than this; 0: 110% of the movie's own
    // highest one-second rate (the reader a game uses was sized for that peak).
    uint64_t maxRate = 0;
    // (stage, frames done, frames in all) while working.
    std::function<void(const char*, size_t, size_t)> progress;
};

struct EditReport {
    std::vector<std::string> messages;  // notes and warnings, one line each
    uint32_t framesWithText = 0;
    uint64_t recodedBlocks = 0;
    uint64_t highestRateBefore = 0, highestRateAfter = 0, rateLimit = 0;
};

// Writes the edited movie to `out` (through `out`.partial). False with a reason in `error`,
// leaving no file behind.
bool EditMovie(const std::string& in, const std::string& out, const EditOptions& options,
               EditReport& report, std::string& error);

}  // namespace tavik::edit
