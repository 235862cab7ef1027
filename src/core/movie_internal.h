// Shared pieces of the movie core's implementation.
#pragma once

#include <cstdint>

#include "tavik/movie.h"

namespace tavik {

// The system table's clock.
uint32_t NowMs();
// Spins (yielding) until the clock reaches `until`, as a simulated device speed demands.
void WaitUntil(uint32_t until);

// Allocation for a movie: `size` usable bytes, `counted` of them added to its memory statistics.
void* AllocCounted(TavikMovie* movie, uint32_t size, uint32_t counted);
void ReleaseCounted(TavikMovie* movie, void* block, uint32_t counted);

// Debug lines: written only when the process's debug setting has low byte 1.
bool DebugOn();
void DebugLine(const char* text);
void DebugLineNumber(const char* text, intptr_t number);
// Lets tests read the debug setting again.
void ResetDebugSettingForTests();

// The file access of the system table.
TavikFile OpenMovieFile(const char* name);
void CloseMovieFile(TavikFile file);
uint32_t ReadMovieFile(TavikFile file, void* destination, uint32_t count);
bool SeekMovieFile(TavikFile file, uint32_t offset);
uint32_t TellMovieFile(TavikFile file);
uint32_t MovieFileSize(TavikFile file);

// Frame setup of the current FrameNum (wrap, chunk location, palette).
void SetUpFrame(TavikMovie* movie);
// Closes the current frame's time measurements.
void CloseFrameTimes(TavikMovie* movie);

// Process-wide settings.
int32_t FrameRateOverride();
uint32_t SimulatedReadSpeed();

// Header Flags bits 0..2 and the total number of frames including the ring frame.
inline uint32_t FrameTotal(const TavikMovie* movie) {
    return movie->Header.FrameCount + (movie->Header.Flags & TavikFlagRingFrame);
}
inline bool Preloaded(const TavikMovie* movie) {
    return (movie->OpenFlags & TavikPreload) || movie->RingStart == nullptr;
}

}  // namespace tavik
