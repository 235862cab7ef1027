// Debug lines of the sound side: a text, optionally a signed decimal number, then "\r\n",
// written through the system table when the debug setting's low byte is 1.
#pragma once

#include <cstdint>

namespace tavik {

bool SoundDebugOn();
void SoundDebugLine(const char* text);
void SoundDebugLine(const char* text, int32_t number);

}  // namespace tavik
