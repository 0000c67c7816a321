// Sound testing - what tests, benchmarks and replays drive the mixer with: mixing into a buffer with no
// device, and the counts of live channels and cached sample data. The game's own code never includes it.
#pragma once

#include <cstddef>

// Renders the mix of all live channels into a buffer with no device: interleaved stereo at the given rate.
// It advances the channels exactly as the device would.
void MixAudioInto(float* out, int frames, int sampleRate);
// When on, channels advance only through MixAudioInto (no device, no wall clock).
void UseManualAudio(bool on);
// Channels that can still sound (playing, paused or fading out).
int LiveChannelCount();
// Bytes of sample data the load cache holds.
size_t SoundCacheBytes();
// Forgets every decoded file (channels still playing keep their data).
void ClearSoundCache();
// What SetMasterVolume last set.
float MasterVolume();
