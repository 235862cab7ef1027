#include "audio/sound_debug.h"

#include <cstdio>
#include <string>

#include "tavik/system.h"

namespace tavik {

// The setting is asked for when a line is due, which happens only around device opens and
// failures; tests that install another system table therefore see their own setting.
bool SoundDebugOn() {
    const TavikSystem* system = TavikGetSystem();
    if (!system->DebugSetting || !system->DebugWrite) return false;
    return (system->DebugSetting(system->Context) & 0xFF) == 1;
}

void SoundDebugLine(const char* text) {
    if (!SoundDebugOn()) return;
    const TavikSystem* system = TavikGetSystem();
    system->DebugWrite(system->Context, text);
}

void SoundDebugLine(const char* text, int32_t number) {
    if (!SoundDebugOn()) return;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", static_cast<int>(number));
    const std::string line = std::string(text) + digits + "\r\n";
    const TavikSystem* system = TavikGetSystem();
    system->DebugWrite(system->Context, line.c_str());
}

}  // namespace tavik
