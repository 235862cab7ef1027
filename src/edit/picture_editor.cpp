#include "edit/picture_editor.h"

#include <algorithm>
#include <cstring>

#include "edit/block_recoder.h"
#include "edit/coded_blocks.h"
#include "encoder/palette_chunk.h"

namespace tavik::edit {

namespace {

enc::ColourSet Recoloured(const enc::Palette& before, const enc::Palette& after) {
    enc::ColourSet changed{};
    for (size_t i = 0; i < changed.size(); ++i)
        changed[i] = std::memcmp(before.data() + 3 * i, after.data() + 3 * i, 3) != 0;
    return changed;
}

}  // namespace

PictureEditor::PictureEditor(InputMovie& movie, TextSource& text,
                             std::vector<std::pair<uint8_t, std::array<uint8_t, 3>>> reserved)
    : movie_(movie),
      text_(text),
      reserved_(std::move(reserved)),
      width_(movie.Header().Width),
      height_(movie.StoredHeight()),
      blockCount_((width_ / 4) * (height_ / 4)),
      painter_(width_, height_, width_ / 4 * 4, height_ / 4 * 4),
      edited_(size_t{width_} * height_),
      editedBefore_(size_t{width_} * height_) {}

void PictureEditor::Start() {
    std::fill(editedBefore_.begin(), editedBefore_.end(), 0);
    differs_.assign(blockCount_, 0);
}

bool PictureEditor::Edit(const InputFrame& frame, TextCoarseness coarseness, EditedPicture& out,
                         std::string& error) {
    const bool ring = frame.number == movie_.Header().FrameCount;
    if (frame.number == 0) inBefore_ = outBefore_ = enc::Palette{};  // play starts from black
    // The ring frame stands in for frame 0 when play wraps, and shows its text.
    const int64_t ms = ring ? 0 : int64_t{frame.number} * movie_.FrameTime() / 100;
    const std::vector<TextLayer>& layers = text_.At(ms);

    enc::Palette in, shown;
    std::memcpy(in.data(), frame.palette, 768);
    shown = in;
    if (!layers.empty())
        for (const auto& [entry, colour] : reserved_)
            std::memcpy(shown.data() + 3 * entry, colour.data(), 3);

    out.textBox = painter_.Draw(layers, shown.data(), frame.picture,
                                coarseness == TextCoarseness::kExact, edited_.data());
    out.hasText = !out.textBox.Empty();
    if (!ReadCodedBlocks(frame.chunks.video, frame.chunks.videoSize, movie_.Trees(), blockCount_,
                         blocks_)) {
        error = "frame " + std::to_string(frame.number) +
                ": its video is damaged, so the movie cannot be edited";
        return false;
    }
    const enc::ColourSet recoloured = Recoloured(outBefore_, shown);
    RecodeRules rules;
    rules.allowSkip = frame.number != 0;
    rules.recoloured = &recoloured;
    const BlockPictures pictures{width_, height_, frame.picture, edited_.data(),
                                 editedBefore_.data()};
    out.recodedBlocks = RecodeBlocks(pictures, rules, blocks_, differs_);
    out.values = enc::FrameValues(blocks_, edited_.data(), width_);

    // The stored palette chunk still applies where the palettes before and after are the
    // movie's own; elsewhere a new chunk says the same against the edited palettes.
    out.copyPalette = false;
    out.paletteChunk.clear();
    if (shown == in && outBefore_ == inBefore_) {
        out.copyPalette = (frame.type & 1) != 0;
    } else if ((frame.type & 1) || shown != outBefore_) {
        out.paletteChunk = enc::EncodePaletteChunk(outBefore_, shown);
    }
    inBefore_ = in;
    outBefore_ = shown;
    std::swap(edited_, editedBefore_);
    return true;
}

}  // namespace tavik::edit
