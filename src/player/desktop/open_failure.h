// Why a movie did not open, in words, added to the player's "Error opening file" message.
#pragma once

#include <string>

namespace tavik {

// The message itself when it is no open failure; else the message and a line saying whether
// the file is missing (naming a file of the same name in other letter case, when there is one)
// or is there but is no Tavik movie or is damaged.
std::string ExplainOpenFailure(const std::string& message);

}  // namespace tavik
