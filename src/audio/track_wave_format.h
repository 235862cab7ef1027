// The PCM format of a track as the Windows sound interfaces describe it. Windows builds only.
#pragma once

#ifdef _WIN32

#include <mmsystem.h>
#include <windows.h>

#include "audio/sound_track.h"

namespace tavik {

inline WAVEFORMATEX TrackWaveFormat(const TavikSoundTrack& track) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(track.IsStereo ? 2 : 1);
    format.nSamplesPerSec = track.SampleRate;
    format.wBitsPerSample = static_cast<WORD>(track.Is16Bit ? 16 : 8);
    format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
    format.nAvgBytesPerSec = format.nBlockAlign * track.SampleRate;
    return format;
}

}  // namespace tavik

#endif
