// The waveOut output's block size, played-position estimate and volume word: the arithmetic of
// the output, kept apart from the device calls.
//
// The device reports nothing but its blocks' done flags, so the played position is estimated
// from the time blocks were queued: a run is a stretch of blocks queued back to back, starting
// with a block queued once the previous run should have played out; within a run, playing is
// taken to go at the track's byte rate from the run's start.
#pragma once

#include <cstdint>

namespace tavik {

// Bytes of one device block: a quarter of a second, rounded up to a multiple of 4096.
uint32_t WaveOutBlockSize(uint32_t bytesPerSecond);

struct WaveOutRun {
    uint32_t PlayedBase = 0;  // bytes of earlier runs, counted as played
    uint32_t RunStart = 0;    // clock at which the current run began; 0 = no run yet
    uint32_t RunMillis = 0;   // playing time of the current run
    uint32_t RunBytes = 0;    // bytes queued in the current run
};

// Records `bytes` queued at `now`.
void WaveOutQueued(WaveOutRun& run, uint32_t bytes, uint32_t now, uint32_t bytesPerSecond);

// Bytes played by `now` since the output was opened or reset.
uint32_t WaveOutPlayed(const WaveOutRun& run, uint32_t now);

// The device volume word for a volume (65535 full) and pan (0 left, 32768 centre, 65535
// right): the left channel in the low 16 bits, the right in the high.
uint32_t WaveOutVolumeWord(int32_t volume, int32_t pan);

}  // namespace tavik
