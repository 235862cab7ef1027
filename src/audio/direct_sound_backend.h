// The DirectSound output (Windows, chosen with /Z): each open track gets a looping secondary
// buffer of half a second, refilled by service passes from the track's ring
// (direct_sound_pass.h). Besides the movie core's calls, a 75 ms multimedia timer runs the
// service on its own thread; an atomic busy count lets one pass run at a time and keeps the
// timer's pass off while the player's thread is inside a DirectSound call. Outside Windows
// there is no DirectSound: loading it fails and the sound window is ignored.
#pragma once

#include "audio/sound_track.h"

namespace tavik {

// Loads DSOUND.DLL (without the system's box for a missing file) and gives the output's table,
// keeping `object` (an IDirectSound the caller holds, or null to make one) as its object. Null
// when the library or its DirectSoundCreate is missing.
const SoundBackend* LoadDirectSoundBackend(void* object);

// The window (an HWND) the output sets its cooperative level on.
void SetSoundWindow(void* window);

}  // namespace tavik
