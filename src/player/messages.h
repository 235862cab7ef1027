// Message boxes of the player.
#pragma once

namespace tavik {

// Joins text1 (without a leading blank), text2 and text3 (each may be null) and shows them in
// a box owned by the player window (or the owner window when there is none). caption null is
// the application title; stopIcon shows the stop sign.
void ShowMessage(const char* caption, const char* text1, const char* text2, const char* text3,
                 bool stopIcon);

}  // namespace tavik
