// Placeholder sound operations until the mixer lands: loads nothing, plays nothing.
// The mixer replaces this whole file.
#include "platform/sound/Sound.h"

struct TChannel::TState { float volume = 1.0f; float rate = 1.0f; bool stopped = false; };

TChannelPtr TSound::Cue()
{
    auto c = std::make_shared<TChannel>();
    c->state = std::make_shared<TChannel::TState>();
    return c;
}
void TChannel::SetVolume(float v) { state->volume = v < 0 ? 0 : (v > 1 ? 1 : v); }
void TChannel::SetRate(float r) { state->rate = r; }
void TChannel::SetPaused(int) {}
int TChannel::Playing() { return 0; }
void TChannel::Stop() { state->stopped = true; }
float TChannel::Volume() const { return state->volume; }
float TChannel::Rate() const { return state->rate; }
TSoundPtr LoadSoundFile(const std::string&, int) { return nullptr; }
bool InitAudio() { return false; }
void ShutdownAudio() {}
bool AudioDeviceOpen() { return false; }
void MixAudioInto(float* out, int frames, int) { for (int i = 0; i < frames * 2; ++i) out[i] = 0; }
void UseManualAudio(bool) {}
