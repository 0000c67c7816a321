// Mixer - playback channels, the SDL2 audio device that pulls their mix, and the silent and manual outputs;
// what one channel adds to the mix is ChannelMix's.
//
// ONE LOCK, HELD BRIEFLY
// Every channel's state lives in one list guarded by one mutex. The game thread takes it for a few
// assignments per call; the audio callback takes it for one mix of a device buffer (tens of
// microseconds). The callback never allocates, never frees and never decodes: channels are only
// added and removed by the game thread (in Cue), finished ones are merely marked by the mixer, and
// the sample data is decoded before a sound can be cued.
//
// FOUR OUTPUTS
// - Device: SDL's callback mixes at the device's own rate.
// - Manual (tests): nothing advances except through MixAudioInto.
// - Clock: no device opened. Nothing is mixed; a channel's position follows ClockMillis(), so a
//   sound that does not loop still ends once its length (at its rate) has passed.
// - Awaited: the device is still to be opened, or being opened on its own thread. Nothing advances,
//   so what is cued meanwhile (the title's music) is heard from its beginning once the device is
//   there; when none opens, the channels follow the clock from then on.
#include "platform/sound/Sound.h"
#include "platform/sound/SoundTesting.h"

#include "platform/sound/ChannelMix.h"

#include "platform/Timing.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>

namespace {

using TStatePtr = std::shared_ptr<TChannel::TState>;

constexpr float MIN_RATE = 1.0f / 64.0f;
constexpr float MAX_RATE = 64.0f;

struct TMixer {
    std::mutex lock;
    std::vector<TStatePtr> channels;
    SDL_AudioDeviceID device = 0;
    int deviceRate = 44100;
    bool manual = false;
    bool subsystemUp = false;   // SDL's audio subsystem, which may stay up without a device
    float master = 1.0f;        // SetMasterVolume's target
    float masterGain = 1.0f;    // applied now; ramps towards master like a channel's gain
    bool awaited = false;       // a device is to be opened: channels hold still until it is
    // Opening the device behind the frames. An SDL thread, not a std::thread: SDL keeps per-thread
    // state (its error text, set while it probes the back ends) that it frees only when one of its own
    // threads ends; a thread of ours would leave it behind at every launch.
    SDL_Thread* opener = nullptr;
};

// Never destroyed: the audio thread may still run while static destructors do at exit.
TMixer& Mixer()
{
    static TMixer* mixer = [] {
        auto* m = new TMixer;
        m->channels.reserve(256);
        return m;
    }();
    return *mixer;
}

bool ClockOutput(const TMixer& m) { return !m.manual && m.device == 0 && !m.awaited; }

void SyncLocked(TMixer& m, TChannel::TState& st)
{
    if (ClockOutput(m))
        sound::AdvanceByClock(st, ClockMillis());
}

// Restarts every channel's clock reference, when the output changes.
void RebaseClocksLocked(TMixer& m)
{
    const uint64_t now = ClockMillis();
    for (auto& st : m.channels)
        st->clockMs = now;
}

void MixLocked(TMixer& m, float* out, int frames, int outRate)
{
    std::fill(out, out + 2 * frames, 0.0f);
    if (outRate <= 0)
        return;
    for (auto& st : m.channels)
        if (!st->finished)
            sound::MixChannel(*st, out, frames, outRate);
    const float target = sound::GainOfVolume(m.master);
    if (m.masterGain == 1.0f && target == 1.0f) {
        for (int i = 0; i < 2 * frames; ++i)
            out[i] = std::clamp(out[i], -1.0f, 1.0f);
        return;
    }
    const float ramp = float(1.0 / (sound::RAMP_SECONDS * outRate));
    for (int i = 0; i < frames; ++i) {
        m.masterGain = m.masterGain < target ? std::min(target, m.masterGain + ramp)
                                             : std::max(target, m.masterGain - ramp);
        out[2 * i] = std::clamp(out[2 * i] * m.masterGain, -1.0f, 1.0f);
        out[2 * i + 1] = std::clamp(out[2 * i + 1] * m.masterGain, -1.0f, 1.0f);
    }
}

void SDLCALL AudioCallback(void*, Uint8* stream, int len)
{
    auto* out = reinterpret_cast<float*>(stream);
    const int frames = len / int(2 * sizeof(float));
    TMixer& m = Mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    if (m.manual) {
        // Tests own the channels' progress; the device only hears silence meanwhile.
        std::fill(out, out + 2 * frames, 0.0f);
        return;
    }
    MixLocked(m, out, frames, m.deviceRate);
}

// Takes finished channels out of the list, and ends the ones no handle refers to any more when
// nobody could resume or stop them: a paused one would wait forever, a looping one play forever.
// Runs on the game thread, the only one that copies channel handles, so use_count is exact here.
void SweepLocked(TMixer& m, std::vector<TStatePtr>& dead)
{
    const bool clock = ClockOutput(m);
    const uint64_t now = clock ? ClockMillis() : 0;
    auto keep = m.channels.begin();
    for (auto it = m.channels.begin(); it != m.channels.end(); ++it) {
        TChannel::TState& st = **it;
        if (clock)
            sound::AdvanceByClock(st, now);
        if (it->use_count() == 1 && !st.finished) {
            if (st.paused) {
                st.finished = true;
            } else if (st.loop) {
                st.stopping = true;
                st.finished = clock;
            }
        }
        if (st.finished)
            dead.push_back(std::move(*it));
        else
            *keep++ = std::move(*it);
    }
    m.channels.erase(keep, m.channels.end());
}

} // namespace

TChannelPtr TSound::Cue(const TChannelPtr& reuse)
{
    auto st = std::make_shared<TChannel::TState>();
    st->sound = weak_from_this().lock();
    if (!Decoded())
        st->progress = progress;
    st->data = samples.data();
    st->srcChannels = channels == 2 ? 2 : 1;
    st->frames = int(samples.size()) / st->srcChannels;
    st->srcRate = sampleRate > 0 ? sampleRate : 44100;
    st->loop = loop;
    if (channels != 1 && channels != 2)
        st->frames = 0;   // only mono and stereo data is ever decoded; anything else stays silent
    if (st->frames == 0)
        st->finished = true;

    if (reuse)
        reuse->Stop();
    TChannelPtr channel = reuse ? reuse : std::make_shared<TChannel>();
    channel->state = st;

    std::vector<TStatePtr> dead;   // released after unlocking: freeing sample data can take a while
    TMixer& m = Mixer();
    {
        std::lock_guard<std::mutex> guard(m.lock);
        SweepLocked(m, dead);
        st->clockMs = ClockMillis();
        if (!st->finished)
            m.channels.push_back(st);
    }
    return channel;
}

void TChannel::SetVolume(float volume)
{
    if (!state)
        return;
    if (std::isnan(volume))
        volume = 0.0f;
    std::lock_guard<std::mutex> guard(Mixer().lock);
    state->volume = std::clamp(volume, 0.0f, 1.0f);
}

void TChannel::SetRate(float rate)
{
    if (!state)
        return;
    // A rate of 0 or below would freeze the channel for ever (or read backwards); keep it sane.
    if (!std::isfinite(rate) || rate <= 0.0f)
        rate = rate > 0.0f ? MAX_RATE : MIN_RATE;
    TMixer& m = Mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    SyncLocked(m, *state);
    state->rate = std::clamp(rate, MIN_RATE, MAX_RATE);
}

void TChannel::SetPaused(int paused)
{
    if (!state)
        return;
    TMixer& m = Mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    SyncLocked(m, *state);
    state->paused = paused != 0;
}

int TChannel::Playing()
{
    if (!state)
        return 0;
    TMixer& m = Mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    SyncLocked(m, *state);
    return state->finished || state->stopping ? 0 : 1;
}

void TChannel::Stop()
{
    if (!state)
        return;
    TMixer& m = Mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    state->stopping = true;
    // Nothing to fade when nothing is heard: no device, or not yet mixed at all.
    if (ClockOutput(m) || state->gain == 0.0f)
        state->finished = true;
}

float TChannel::Volume() const { return state ? state->volume : 0.0f; }
float TChannel::Rate() const { return state ? state->rate : 1.0f; }

namespace {

// SDL's audio subsystem and the default device, on whatever thread calls it. SDL tries each sound
// server and card in turn, which takes tens of milliseconds even where there is none.
bool OpenDevice()
{
    TMixer& m = Mixer();
    if (m.device)
        return true;
    // The audio subsystem alone: a machine without sound must still get its display.
    if (!m.subsystemUp) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return false;
        m.subsystemUp = true;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = 44100;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = AudioCallback;
    const SDL_AudioDeviceID device =
        SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device == 0) {
        // The subsystem stays up until ShutdownAudio: quitting it now waits for SDL's device-watching
        // thread to wake from its sleep, up to a tenth of a second in the middle of start-up.
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(m.lock);
        if (ClockOutput(m))
            for (auto& st : m.channels)
                sound::AdvanceByClock(*st, ClockMillis());
        m.device = device;
        m.deviceRate = have.freq > 0 ? have.freq : 44100;
    }
    SDL_PauseAudioDevice(device, 0);
    return true;
}

// The wait is over: held channels play on the device from where they are, or follow the clock from now.
void EndAwaiting()
{
    TMixer& m = Mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    if (!m.awaited)
        return;
    m.awaited = false;
    RebaseClocksLocked(m);
}

// Only the game thread starts and joins the opener.
void JoinOpener()
{
    TMixer& m = Mixer();
    if (m.opener)
        SDL_WaitThread(m.opener, nullptr);
    m.opener = nullptr;
}

int OpenAwaitedDevice(void*)
{
    OpenDevice();
    EndAwaiting();
    return 0;
}

} // namespace

bool InitAudio()
{
    JoinOpener();
    const bool open = OpenDevice();
    EndAwaiting();
    return open;
}

void AwaitAudio()
{
    JoinOpener();
    TMixer& m = Mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    if (m.device || m.awaited)
        return;
    if (ClockOutput(m))
        for (auto& st : m.channels)
            sound::AdvanceByClock(*st, ClockMillis());
    m.awaited = true;
}

void OpenAwaitedAudio()
{
    TMixer& m = Mixer();
    {
        std::lock_guard<std::mutex> guard(m.lock);
        if (!m.awaited || m.opener)
            return;
    }
    m.opener = SDL_CreateThread(OpenAwaitedDevice, "audio-open", nullptr);
    // No thread to be had (or none in this build): open it here, a one-off wait rather than no sound.
    if (!m.opener) {
        InitAudio();
        return;
    }
    // However the program ends (the player quitting at once, the window closed, an error), the opening
    // is let finish first, so the process never ends with that thread inside the sound server while
    // the libraries are torn down. Every way out goes through exit().
    static const bool joinedAtExit = std::atexit(JoinOpener) == 0;
    (void)joinedAtExit;
}

bool AudioAwaited()
{
    TMixer& m = Mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    return m.awaited;
}

void FinishOpeningAudio() { JoinOpener(); }

void ShutdownAudio()
{
    JoinOpener();
    TMixer& m = Mixer();
    SDL_AudioDeviceID device;
    {
        std::lock_guard<std::mutex> guard(m.lock);
        device = m.device;
        m.device = 0;
        m.awaited = false;
        RebaseClocksLocked(m);
    }
    // Waits for a running callback to return; the mixer is no longer reachable from it afterwards.
    if (device)
        SDL_CloseAudioDevice(device);
    if (m.subsystemUp) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m.subsystemUp = false;
    }
}

// Locked: the opener thread may be setting the device right now.
bool AudioDeviceOpen()
{
    TMixer& m = Mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    return m.device != 0;
}

int AudioDeviceRate()
{
    TMixer& m = Mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    return m.device ? m.deviceRate : 0;
}

void MixAudioInto(float* out, int frames, int sampleRate)
{
    if (!out || frames <= 0)
        return;
    TMixer& m = Mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    MixLocked(m, out, frames, sampleRate);
}

void UseManualAudio(bool on)
{
    TMixer& m = Mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    if (ClockOutput(m))
        for (auto& st : m.channels)
            sound::AdvanceByClock(*st, ClockMillis());
    m.manual = on;
    RebaseClocksLocked(m);
}

void SetMasterVolume(float volume)
{
    TMixer& m = Mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    m.master = std::isnan(volume) ? 0.0f : std::clamp(volume, 0.0f, 1.0f);
    // The ramp only keeps a sounding mix from clicking. With nothing sounding yet (a launch muted from
    // the start), the next sound starts at the new level rather than fading from the old one: the
    // title's music would otherwise be heard for its first milliseconds. A channel already fading out
    // for good is not worth the wait.
    const bool sounding = std::any_of(m.channels.begin(), m.channels.end(), [](const TStatePtr& st) {
        return !st->finished && !st->stopping && (st->gain > 0.0f || !st->paused);
    });
    if (!sounding)
        m.masterGain = sound::GainOfVolume(m.master);
}

float MasterVolume()
{
    TMixer& m = Mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    return m.master;
}

int LiveChannelCount()
{
    std::vector<TStatePtr> dead;
    TMixer& m = Mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    SweepLocked(m, dead);
    return int(m.channels.size());
}
