// ChannelMix - one channel's arithmetic: its state, its gain from a volume, its position kept up with the
// clock, and its samples resampled into a mix. Mixer.cpp calls all of it with the one lock held (see its
// opening); nothing here locks, allocates or touches more than the channel it is given.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/sound/Sound.h"

struct TChannel::TState {
    TSoundPtr sound;            // keeps the samples alive while the channel exists
    std::shared_ptr<TDecodeProgress> progress;   // set while the tail is still being decoded
    const int16_t* data = nullptr;
    int frames = 0;
    int srcChannels = 1;
    int srcRate = 44100;
    bool loop = false;

    float volume = 1.0f;
    float rate = 1.0f;
    bool paused = true;
    bool stopping = false;      // Stop was called: fade out, then finished
    bool finished = false;      // never sounds again

    double pos = 0.0;           // in source frames
    float gain = 0.0f;          // the gain applied now; ramps towards the target to avoid clicks
    uint64_t clockMs = 0;       // last time the clock output advanced this channel
};

namespace sound {

// Gain changes (start, pause, stop, volume) are spread over this long so they never click.
constexpr double RAMP_SECONDS = 0.005;

// The gain a channel volume of 0 to 1 calls for.
float GainOfVolume(float volume);
// Brings a channel's position up to the clock (`now`, ClockMillis) when no device plays it.
void AdvanceByClock(TChannel::TState& st, uint64_t now);
// Adds `frames` stereo frames of the channel, at the output's rate, into `out`, and moves it on.
void MixChannel(TChannel::TState& st, float* out, int frames, int outRate);

}  // namespace sound
