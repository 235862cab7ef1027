// The command line: splitting the list of names, finding and reading switches, the usage text.
#pragma once

#include <cstdint>
#include <string>

#include "player/settings.h"

namespace tavik {

// A byte is a blank when, read as a signed 8-bit number, it is at most 32 (so bytes 0x80 and
// above count as blanks too).
inline bool IsBlank(char c) {
    return static_cast<signed char>(c) <= 32;
}

// Removes leading and trailing blanks.
void TrimBlanks(std::string& text);

// Takes the first name off `list` and returns it; `list` keeps the rest (both trimmed).
std::string SplitFirstName(std::string& list);

// Finds "/<letter>" followed by something below '0' (or the end), removes it, returns true.
bool HasSwitch(std::string& text, char letter);

// Finds "/<letter>" followed by a decimal number (optionally negative), removes it and returns
// the number; `fallback` when there is none.
int32_t SwitchValue(std::string& text, char letter, int32_t fallback);

// Asked when /Z is given: tries to switch the sound output to DirectSound, true when it did.
using DirectSoundRequest = bool (*)();

// Reads every switch of `text` into `settings` and removes it from the text. False when
// anything switch-like (a slash) is left over.
bool ReadSwitches(std::string& text, PlayerSettings& settings, DirectSoundRequest useDirectSound);

// ReadSwitches, showing the usage message when it fails.
bool ParseSwitches(std::string& text, PlayerSettings& settings, DirectSoundRequest useDirectSound);

// The help text and the caption of the usage message.
extern const char* const kUsageText;
std::string UsageCaption();
void ShowUsage();

// The product's texts.
extern const char* const kAppTitle;       // "TavikPlay"
extern const char* const kVersionText;    // "TavikPlay - V3.2k"
extern const char* const kMakerNotice;    // the maker's one-line notice
extern const char* const kClosingNotice;  // the paragraph shown at the end without /S

}  // namespace tavik
