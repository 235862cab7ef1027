// The pictures of an edited movie, frame by frame in file order: the text drawn into each frame,
// the blocks it touches (and those it touched the frame before) coded anew, every other block
// coded as the movie codes it, and the palette chunks that the reserved text colours need.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "edit/input_movie.h"
#include "edit/text_painter.h"
#include "edit/text_source.h"
#include "encoder/block_plan.h"
#include "encoder/encoder.h"

namespace tavik::edit {

// How coarsely a frame's text is drawn, to keep the data rate down.
enum class TextCoarseness : uint8_t {
    kExact,     // antialiased, each pixel the nearest palette entry
    kHardEdges  // no antialiasing: fewer colours, fewer distinct blocks, a third fewer bytes
};

struct EditedPicture {
    std::vector<uint32_t> values;  // the video chunk's values in reading order
    // The palette chunk: the stored one (`copyPalette`), a new one, or none.
    bool copyPalette = false;
    std::vector<uint8_t> paletteChunk;
    bool hasText = false;
    uint32_t recodedBlocks = 0;
    Box textBox;
};

class PictureEditor {
  public:
    // `reserved`: palette entries set to the text's colours while text is shown.
    PictureEditor(InputMovie& movie, TextSource& text,
                  std::vector<std::pair<uint8_t, std::array<uint8_t, 3>>> reserved);

    // Starts over at frame 0.
    void Start();
    // The edited form of the movie's next frame (as `frame` holds it); false for a frame whose
    // video the movie does not code soundly.
    bool Edit(const InputFrame& frame, TextCoarseness coarseness, EditedPicture& out,
              std::string& error);

  private:
    InputMovie& movie_;
    TextSource& text_;
    std::vector<std::pair<uint8_t, std::array<uint8_t, 3>>> reserved_;
    uint32_t width_, height_, blockCount_;
    TextPainter painter_;
    std::vector<enc::BlockChoice> blocks_;
    std::vector<uint8_t> differs_;
    std::vector<uint8_t> edited_, editedBefore_;
    enc::Palette inBefore_{}, outBefore_{};
};

}  // namespace tavik::edit
