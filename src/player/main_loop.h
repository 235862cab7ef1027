// The player's main routine: the list of movies played one after another.
#pragma once

#include <string>

#include "platform/platform.h"
#include "player/player_extras.h"
#include "player/switches.h"

namespace tavik {

struct PlayerRun {
    std::string commandLine;  // names and switches
    std::string programPath;  // the program's own file (holds the self-play movie)
    bool closingNotice = true;
    DirectSoundRequest useDirectSound = nullptr;
    // Told the player window when DirectSound is in use; may be null.
    void (*setSoundWindow)(WindowRef window) = nullptr;
    PlayerExtras* extras = nullptr;  // the program's additions; none under a controlling program
};

void PlayerMain(const PlayerRun& run);

// The process entry's work around PlayerMain: the controlling window given by "/#<number>",
// the player itself, and the version notice for the controlling window. Returns 0.
int PlayerEntry(PlayerRun run);

// Removes "/#<number>" (or a bare "/#") from the command line; the number, or 0.
uint32_t TakeControllingWindow(std::string& commandLine);
// Whether the command line's "/#<number>" names a live window: a controlling program owns the
// player then, and gets it without any program's additions.
bool HasControllingWindow(const std::string& commandLine);

// The file a (non-self-play) movie name opens: ".Tvk" added when it has no extension.
std::string MovieFileName(const std::string& name);

}  // namespace tavik
