// The movie core's use of the system table: clock, files and debug lines.
#include <cstdio>

#include "core/movie_internal.h"

namespace tavik {
namespace {

int g_debugSetting = -1;  // read once per process; -1 not read yet

const TavikSystem& System() {
    return *TavikGetSystem();
}

}  // namespace

uint32_t NowMs() {
    return System().Milliseconds(System().Context);
}

void WaitUntil(uint32_t until) {
    // Signed difference: correct across the clock's wrap.
    while (static_cast<int32_t>(NowMs() - until) < 0) {
        if (System().Yield) System().Yield(System().Context);
    }
}

bool DebugOn() {
    if (g_debugSetting < 0) {
        const int32_t setting = System().DebugSetting ? System().DebugSetting(System().Context) : 0;
        g_debugSetting = setting & 0xFF;
    }
    return g_debugSetting == 1;
}

void ResetDebugSettingForTests() {
    g_debugSetting = -1;
}

void DebugLine(const char* text) {
    if (DebugOn() && System().DebugWrite) System().DebugWrite(System().Context, text);
}

void DebugLineNumber(const char* text, intptr_t number) {
    if (!DebugOn() || !System().DebugWrite) return;
    char digits[32];
    std::snprintf(digits, sizeof digits, "%lld\r\n", static_cast<long long>(number));
    System().DebugWrite(System().Context, text);
    System().DebugWrite(System().Context, digits);
}

TavikFile OpenMovieFile(const char* name) {
    return System().OpenFile(System().Context, name);
}
void CloseMovieFile(TavikFile file) {
    System().CloseFile(System().Context, file);
}
uint32_t ReadMovieFile(TavikFile file, void* destination, uint32_t count) {
    return count ? System().ReadFile(System().Context, file, destination, count) : 0;
}
bool SeekMovieFile(TavikFile file, uint32_t offset) {
    return System().SeekFile(System().Context, file, offset) != 0;
}
uint32_t TellMovieFile(TavikFile file) {
    return System().TellFile(System().Context, file);
}
uint32_t MovieFileSize(TavikFile file) {
    return System().FileSize ? System().FileSize(System().Context, file) : ~0u;
}

}  // namespace tavik
