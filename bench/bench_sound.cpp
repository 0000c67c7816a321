// bench_sound - the mixer's cost per second of audio, and what loading music again at a screen start costs.
// Run from the build folder, where Data/ lies.
#include "platform/sound/Sound.h"
#include "platform/sound/SoundTesting.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

TSoundPtr Tone(int rate, int channels, double seconds, bool loop)
{
    auto s = std::make_shared<TSound>();
    s->sampleRate = rate;
    s->channels = channels;
    s->loop = loop;
    s->samples.resize(size_t(seconds * rate) * channels);
    for (size_t i = 0; i < s->samples.size(); ++i)
        s->samples[i] = TSound::FromFloat(0.3f * float(std::sin(double(i / channels) * 0.05)));
    return s;
}

// Sixteen looping channels (mono and stereo, 22.05, 44.1 and 48 kHz) at rates from 0.5 to 2.0; each
// iteration mixes one second of 44.1 kHz stereo in device-sized blocks.
void BM_MixOneSecond16Channels(benchmark::State& state)
{
    UseManualAudio(true);
    const TSoundPtr sounds[] = {Tone(44100, 1, 0.7, true), Tone(22050, 2, 3.0, true), Tone(48000, 1, 1.3, true)};
    std::vector<TChannelPtr> channels;
    for (int i = 0; i < 16; ++i) {
        auto c = sounds[i % 3]->Cue();
        c->SetVolume(0.3f + 0.04f * i);
        c->SetRate(0.5f + 0.1f * i);
        c->SetPaused(0);
        channels.push_back(c);
    }
    constexpr int BLOCK = 1024;
    std::vector<float> out(2 * BLOCK);
    for (auto _ : state) {
        for (int done = 0; done < 44100; done += BLOCK)
            MixAudioInto(out.data(), BLOCK, 44100);
        benchmark::DoNotOptimize(out.data());
    }
    for (auto& c : channels)
        c->Stop();
    MixAudioInto(out.data(), BLOCK, 44100);
    UseManualAudio(false);
}
BENCHMARK(BM_MixOneSecond16Channels)->Unit(benchmark::kMillisecond);

// The first load of the game music, as the frame that loads it sees it: reading the file and decoding
// its first half second; the rest decodes on another thread (not timed here).
void BM_LoadGameMusicFirstTime(benchmark::State& state)
{
    for (auto _ : state) {
        ClearSoundCache();
        auto s = LoadSoundFile("Data/Music/game.ogg", SOUND_LOOP);
        if (!s) {
            state.SkipWithError("Data/Music/game.ogg missing: run from the build folder");
            return;
        }
        state.PauseTiming();
        s->WaitUntilDecoded();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadGameMusicFirstTime)->Unit(benchmark::kMillisecond);

// The whole decode of the game music, foreground and background together.
void BM_DecodeGameMusicWhole(benchmark::State& state)
{
    for (auto _ : state) {
        ClearSoundCache();
        auto s = LoadSoundFile("Data/Music/game.ogg", SOUND_LOOP);
        if (!s) {
            state.SkipWithError("Data/Music/game.ogg missing: run from the build folder");
            return;
        }
        s->WaitUntilDecoded();
    }
}
BENCHMARK(BM_DecodeGameMusicWhole)->Unit(benchmark::kMillisecond);

// Every later level start loads the same file again: that is the frame work a level start adds.
void BM_LoadGameMusicAgain(benchmark::State& state)
{
    ClearSoundCache();
    if (!LoadSoundFile("Data/Music/game.ogg", SOUND_LOOP)) {
        state.SkipWithError("Data/Music/game.ogg missing: run from the build folder");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadSoundFile("Data/Music/game.ogg", SOUND_LOOP).get());
}
BENCHMARK(BM_LoadGameMusicAgain)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
