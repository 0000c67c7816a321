// Sound - decoded sounds, playback channels and the mixer that feeds the audio device.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TChannel;
using TChannelPtr = std::shared_ptr<TChannel>;

// How far a sound that is still being decoded in the background has come. Its samples are already
// allocated at their full length; frames before `frames` are final.
struct TDecodeProgress {
    std::atomic<int> frames{0};
    std::atomic<bool> done{false};
};

enum : int { SOUND_LOOP = 1 };

// Decoded sample data shared by every channel that plays it. Leave it unchanged once it has been cued:
// channels read the samples in place, and LoadSoundFile hands the same object to every load of a file.
class TSound : public std::enable_shared_from_this<TSound> {
public:
    // A new channel with this sound ready at its start, paused. Given a channel, that one is stopped and
    // then plays this sound instead (the same handle, returned), so a caller can keep one per effect.
    TChannelPtr Cue(const TChannelPtr& reuse = nullptr);

    int sampleRate = 44100;
    int channels = 1;                // 1 mono, 2 stereo
    bool loop = false;
    // Interleaved, 16-bit: every sound of the game comes from 16-bit sources, and float would double
    // the memory held for nothing. Full scale is +-32767; -32768 (which 16-bit files may hold) reads
    // as -1 like -32767 does.
    std::vector<int16_t> samples;
    static constexpr float FULL_SCALE = 32767.0f;
    // One stored value in steps, -32767..32767 (the mixer scales after interpolating), and as -1..1.
    static float Steps(int16_t s) { return float(std::max(int(s), -int(FULL_SCALE))); }
    static float ToFloat(int16_t s) { return Steps(s) * (1.0f / FULL_SCALE); }
    float Sample(size_t i) const { return ToFloat(samples[i]); }
    // Rounded to the nearest step; out-of-range values clip to full scale, NaN becomes silence.
    static int16_t FromFloat(float x)
    {
        if (x >= 1.0f)
            return int16_t(FULL_SCALE);
        if (x <= -1.0f)
            return int16_t(-FULL_SCALE);
        if (!(x == x))
            return 0;
        return int16_t(x * FULL_SCALE + (x < 0.0f ? -0.5f : 0.5f));   // half a step out, then towards zero
    }
    // Set while long music is still being decoded after LoadSoundFile returned (so a screen start
    // never waits for a whole tune); channels play what is ready. Null once nothing is pending.
    std::shared_ptr<TDecodeProgress> progress;
    bool Decoded() const { return !progress || progress->done.load(std::memory_order_acquire); }
    // Blocks until every sample is in place (tests and tools that read the samples directly).
    void WaitUntilDecoded() const;
    int FrameCount() const { return channels ? static_cast<int>(samples.size()) / channels : 0; }
    double LengthSeconds() const { return sampleRate ? double(FrameCount()) / sampleRate : 0.0; }
};
using TSoundPtr = std::shared_ptr<TSound>;

// One playing or paused instance of a sound.
class TChannel {
public:
    void SetVolume(float volume);    // clamped 0..1; loudness -100 * (1 - volume^0.1) dB
    void SetRate(float rate);        // playback frequency = the sound's own * rate
    void SetPaused(int paused);
    int Playing();                   // 1 until finished or stopped
    void Stop();                     // for good
    float Volume() const;
    float Rate() const;
    struct TState;
    std::shared_ptr<TState> state;   // shared with the mixer
};

// Ogg Vorbis or WAV; flags SOUND_LOOP makes it loop. Null when missing or unreadable.
// Decoded data is kept per path and flags while the file's size and modification time stay the same,
// so loading the same music at every screen start decodes it only once.
TSoundPtr LoadSoundFile(const std::string& path, int flags);
// Has the file decoded on the preload thread (see Preload.h), for the next LoadSoundFile of it to take
// when the cache does not hold it already.
void PreloadSound(const std::string& path);

// Opens the audio device (SDL's audio subsystem only, apart from video). False when none opens;
// every operation then still works and is silent, and channels still finish in real time.
bool InitAudio();
// Opening the device takes tens of milliseconds, so start-up only announces it with AwaitAudio, and
// OpenAwaitedAudio opens it on a thread of its own once the first frame is on the screen (a no-op at
// any other time). Meanwhile every channel holds still, so music cued before is heard from its
// beginning; when no device opens, channels follow the clock from then on. InitAudio and
// ShutdownAudio wait for that thread first, and so does exit(); FinishOpeningAudio only waits for it.
void AwaitAudio();
void OpenAwaitedAudio();
bool AudioAwaited();
void FinishOpeningAudio();
void ShutdownAudio();
bool AudioDeviceOpen();
// The open device's sample rate, 0 when none is open.
int AudioDeviceRate();
// One volume over the whole mix (0 silences everything, 1 leaves it as it is), changed smoothly.
// Channels go on as before underneath: turned back up, the music is where it would have been.
void SetMasterVolume(float volume);
