// Message boxes of the player.
#include "player/messages.h"

#include <string>

#include "player/player_window.h"
#include "player/switches.h"

namespace tavik {

namespace {

// The texts are joined in a 2048-byte block; longer texts are cut (the program's own fit).
constexpr size_t kMessageLimit = 2047;

}  // namespace

void ShowMessage(const char* caption, const char* text1, const char* text2, const char* text3,
                 bool stopIcon) {
    std::string text;
    if (text1 != nullptr) text = (text1[0] != '\0' && IsBlank(text1[0])) ? text1 + 1 : text1;
    if (text2 != nullptr) text += text2;
    if (text3 != nullptr) text += text3;
    if (text.size() > kMessageLimit) text.resize(kMessageLimit);
    const PlayerWindowState& w = WindowState();
    Platform().windows->MessageBox(w.window != nullptr ? w.window : w.owner, text.c_str(),
                                   caption != nullptr ? caption : w.title.c_str(), stopIcon);
}

}  // namespace tavik
