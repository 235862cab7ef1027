// The self-play field: the program's own record of a movie appended to its file.
//
// The program's initialised data holds "SELFPLAY", a 208-byte zero-terminated text field,
// "TAVIKPL!", then three 32-bit words: the frame-number-in-caption setting, a word nothing
// reads, and the display-resolution setting. A build step (tavik-selfplay) appends a movie to a
// copy of the program and writes ":<offset>" (and optionally switches) into the field.
#pragma once

#include <cstdint>
#include <string>

namespace tavik {

inline constexpr uint32_t kSelfPlayFieldSize = 208;

// The field's text (empty: self-play is off).
std::string SelfPlayField();
// The two setting words kept after the field.
int32_t SelfPlayFrameInCaption();
int32_t SelfPlayDisplayResolution();

// Replaces the field's text for this run (tests); cut to fit the field.
void SetSelfPlayFieldForTesting(const std::string& text);

// A list name made of a colon and a decimal offset names the movie inside the program's file.
bool IsSelfPlayName(const std::string& name);
// The offset of such a name; false when the digits are missing or do not fit 32 bits.
bool SelfPlayOffset(const std::string& name, uint32_t* offset);

}  // namespace tavik
