// SubRip subtitle files (.srt): numbered cues, each a time line and lines of text with a few
// HTML-like tags. The cues come out with their text in the markup of the subtitle renderer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavik::edit {

struct SubRipCue {
    int64_t startMs = 0, endMs = 0;
    // Lines joined by "\N"; <i>, <b>, <u>, <s> and <font color=...> as override tags.
    std::string text;
};

// Reads a whole file: UTF-8 (a byte-order mark is skipped), any line ends. False with the line
// and the problem in `error` ("line 7: ...").
bool ParseSubRip(std::string_view file, std::vector<SubRipCue>& cues, std::string& error);

}  // namespace tavik::edit
