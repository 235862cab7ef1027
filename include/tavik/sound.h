/* Choosing the sound output. C-compatible. */
#ifndef TAVIK_SOUND_H
#define TAVIK_SOUND_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Installs the platform's default sound output when none is installed yet and returns 1;
   otherwise changes nothing and returns 0. Opening the first sound track calls it, so the
   default needs no call. The first output installed stays for the life of the process. */
uint32_t UseWaveOut(void);

/* Asks for the DirectSound output, with an IDirectSound the caller holds, or null to let the
   output create its own. Returns 1 when the DirectSound output is (or already was) installed;
   0 when another output is installed or DirectSound cannot be had (always, outside Windows). */
uint32_t UseDirectSound(void* directSound);

/* The headless output (used where no sound device exists) can record what it plays: the next
   track it opens writes every byte it plays to a PCM WAVE file at `path`, finished when the
   track closes. Null cancels a pending recording. The path is copied. */
void HeadlessSoundCapture(const char* path);

/* The same three under the library's prefix. A shared libtavik exports only these names; the
   static library has both. */
uint32_t TavikUseWaveOut(void);
uint32_t TavikUseDirectSound(void* directSound);
void TavikHeadlessSoundCapture(const char* path);

/* The volume of everything the built-in outputs (waveOut, DirectSound, headless) play, in
   percent of the movie's own level: 0 (silence) to 100 (the default: the samples unchanged);
   more is taken as 100. It applies from the sound the output hands its device next. */
void TavikSetOutputVolume(uint32_t percent);

#ifdef __cplusplus
}
#endif

#endif
