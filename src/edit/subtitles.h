// Subtitle files drawn as text layers: SubRip (.srt) with a default style, and scripts (.ass,
// .ssa) with their own styles, rendered by libass with the fonts that fontconfig finds (or one
// font file for every style).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "edit/text_source.h"

namespace tavik::edit {

struct SubtitleOptions {
    std::string path;
    std::string fontFile;  // empty: fontconfig's fonts
    double fontSize = 0;   // in pixels of the shown picture; 0: from its height (SubRip)
};

// False in a build without libass.
bool SubtitlesAvailable();

// The font families installed, in order.
bool ListFontFamilies(std::vector<std::string>& families, std::string& error);

// Opens the subtitles for pictures of `width` x `storedHeight` pixels that are shown at
// `heightScale` times their height. Null with a reason naming the file.
std::unique_ptr<TextSource> OpenSubtitles(const SubtitleOptions& options, uint32_t width,
                                          uint32_t storedHeight, uint32_t heightScale,
                                          std::string& error);

}  // namespace tavik::edit
