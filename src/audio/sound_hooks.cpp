// Sound-facing steps of the movie core. Until the track buffering lands, no track opens.
#include "audio/sound_hooks.h"

namespace tavik {

uint32_t OpenTrackCount() { return 0; }
void ServiceSound() {}
bool OpenSoundTrack(TavikMovie*, int) { return false; }
void CloseSoundTracks(TavikMovie*) {}
void FeedSoundTracks(TavikMovie*) {}
bool FrameLateBySound(TavikMovie*) { return false; }
bool WaitingForSound(TavikMovie*) { return false; }
void ResetSoundOnRewind(TavikMovie*) {}
uint32_t SetSoundPlaying(TavikMovie*, int32_t) { return 1; }
uint32_t TimingTrackSoundSkips(const TavikMovie*) { return 0; }

}  // namespace tavik
