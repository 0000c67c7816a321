// Sound loader fuzz target: WAV and Ogg Vorbis are told by their signatures. A sound that loads is
// decoded to its end, must hold whole frames of one or two channels at a positive rate, and is played
// through the mixer for a moment at the rate the first byte picks.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "FuzzFile.h"
#include "platform/sound/Sound.h"
#include "platform/sound/SoundTesting.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool manual = (UseManualAudio(true), true);
    (void)manual;
    // The loader keeps what it decoded per path, size and time; every input is a new file to it.
    ClearSoundCache();
    const std::string path = WriteFuzzFile(data, size, ".snd");
    const TSoundPtr sound = LoadSoundFile(path, size && (data[0] & 1) ? SOUND_LOOP : 0);
    if (!sound)
        return 0;
    sound->WaitUntilDecoded();
    if (sound->channels < 1 || sound->channels > 2 || sound->sampleRate <= 0 || sound->FrameCount() <= 0 ||
        sound->samples.size() % size_t(sound->channels) != 0)
        std::abort();
    const TChannelPtr channel = sound->Cue();
    channel->SetRate(0.25f + float(size % 16) / 4.0f);
    channel->SetVolume(1.0f);
    channel->SetPaused(0);
    std::vector<float> out(2 * 2048);
    MixAudioInto(out.data(), 2048, 44100);
    for (float v : out)
        if (std::isnan(v))
            std::abort();
    channel->Stop();
    MixAudioInto(out.data(), 2048, 44100);
    ClearSoundCache();
    return 0;
}
