// The mixer rendered into a buffer: pitch, volume, pause, stop, loops, overlapping channels, and the
// silent clock output that a machine without an audio device runs on.
#include "platform/Timing.h"
#include "platform/sound/Sound.h"
#include "platform/Testing.h"
#include "platform/sound/SoundTesting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

constexpr double PI = 3.14159265358979323846;
// One step of the 16-bit sample data: what storing a value can move it by, at most (half of it, rounded).
constexpr float STEP = 1.0f / 32767;

TSoundPtr MakeSound(int rate, int frames, int channels, bool loop, const std::function<float(int, int)>& sample)
{
    auto s = std::make_shared<TSound>();
    s->sampleRate = rate;
    s->channels = channels;
    s->loop = loop;
    s->samples.resize(size_t(frames) * channels);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            s->samples[size_t(i) * channels + c] = TSound::FromFloat(sample(i, c));
    return s;
}

TSoundPtr MakeSine(double hz, int rate, double seconds, bool loop = false, float amplitude = 0.5f)
{
    return MakeSound(rate, int(seconds * rate), 1, loop,
                     [=](int i, int) { return float(amplitude * std::sin(2 * PI * hz * i / rate)); });
}

// Left channel of the mix.
std::vector<float> RenderLeft(int frames, int rate)
{
    std::vector<float> stereo(size_t(frames) * 2), left(frames);
    MixAudioInto(stereo.data(), frames, rate);
    for (int i = 0; i < frames; ++i)
        left[i] = stereo[2 * size_t(i)];
    return left;
}

int RisingZeroCrossings(const std::vector<float>& v)
{
    int n = 0;
    for (size_t i = 1; i < v.size(); ++i)
        n += v[i - 1] < 0.0f && v[i] >= 0.0f;
    return n;
}

double Rms(const std::vector<float>& v)
{
    double sum = 0;
    for (float x : v)
        sum += double(x) * x;
    return std::sqrt(sum / v.size());
}

float MaxStep(const std::vector<float>& v)
{
    float m = 0;
    for (size_t i = 1; i < v.size(); ++i)
        m = std::max(m, std::fabs(v[i] - v[i - 1]));
    return m;
}

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override { UseManualAudio(true); }
    void TearDown() override
    {
        for (auto& c : cued)
            c->Stop();
        RenderLeft(2048, 44100);   // lets the stop fades finish
        cued.clear();
        EXPECT_EQ(LiveChannelCount(), 0);
        UseManualAudio(false);
    }
    TChannelPtr Start(const TSoundPtr& sound, float volume = 1.0f, float rate = 1.0f)
    {
        auto c = sound->Cue();
        c->SetVolume(volume);
        c->SetRate(rate);
        c->SetPaused(0);
        cued.push_back(c);
        return c;
    }
    std::vector<TChannelPtr> cued;
};

TEST_F(MixerTest, PitchFollowsRateForAnySourceAndDeviceRate)
{
    for (int srcRate : {22050, 44100, 48000})
        for (int outRate : {44100, 48000})
            for (float rate : {1.0f, 2.0f, 0.5f, 1.5f}) {
                SCOPED_TRACE(testing::Message() << srcRate << " Hz source, " << outRate << " Hz out, rate " << rate);
                auto c = Start(MakeSine(441.0, srcRate, 3.0), 1.0f, rate);
                RenderLeft(outRate / 10, outRate);           // past the start ramp
                const int crossings = RisingZeroCrossings(RenderLeft(outRate, outRate));   // one second
                EXPECT_NEAR(crossings, 441.0 * rate, 441.0 * rate * 0.01 + 1);
                c->Stop();
                RenderLeft(1024, outRate);
            }
}

TEST_F(MixerTest, VolumeFollowsTheDecibelCurveAndIsClamped)
{
    auto sine = MakeSine(500.0, 44100, 2.0);
    auto measure = [&](float volume) {
        auto c = Start(sine, volume);
        RenderLeft(2205, 44100);
        const double rms = Rms(RenderLeft(44100, 44100));
        c->Stop();
        RenderLeft(1024, 44100);
        return rms;
    };
    const double full = measure(1.0f);
    EXPECT_NEAR(full, 0.5 / std::sqrt(2.0), 0.005);
    const double expected = std::pow(10.0, -100.0 * (1.0 - std::pow(0.5, 0.1)) / 20.0);   // about -6.7 dB
    EXPECT_NEAR(measure(0.5f) / full, expected, 0.002);
    EXPECT_NEAR(measure(0.4f) / full, std::pow(10.0, -100.0 * (1.0 - std::pow(0.4, 0.1)) / 20.0), 0.002);
    EXPECT_NEAR(measure(7.0f) / full, 1.0, 1e-6);
    EXPECT_EQ(measure(0.0f), 0.0);
    EXPECT_EQ(measure(-3.0f), 0.0);

    auto c = sine->Cue();
    c->SetVolume(2.0f);
    EXPECT_EQ(c->Volume(), 1.0f);
    c->SetVolume(-1.0f);
    EXPECT_EQ(c->Volume(), 0.0f);
    c->Stop();
}

TEST_F(MixerTest, OnlyPauseHoldsAChannelWhereItIs)
{
    // A slow rising ramp: the output value tells the playing position.
    auto ramp = MakeSound(44100, 44100 * 4, 1, false, [](int i, int) { return float(i) / (44100 * 4) * 0.8f; });
    auto c = ramp->Cue();
    EXPECT_EQ(c->Playing(), 1);   // cued, not yet started: not finished either
    EXPECT_EQ(Rms(RenderLeft(4410, 44100)), 0.0);   // a new channel waits paused

    c->SetPaused(0);
    const auto before = RenderLeft(44100 / 2, 44100);
    c->SetPaused(1);
    RenderLeft(441, 44100);   // the pause fade
    EXPECT_EQ(Rms(RenderLeft(44100, 44100)), 0.0);
    EXPECT_EQ(c->Playing(), 1);

    c->SetPaused(0);
    const auto after = RenderLeft(4410, 44100);
    // After the resume fade the ramp goes on from where it stopped, not a second further on.
    const float expectedAt = before.back() + 0.8f / 4 * 0.11f;   // plus 100 ms played and the two fades
    EXPECT_NEAR(after.back(), expectedAt, 0.01f);
    // Pausing and resuming fade rather than jump.
    EXPECT_LT(MaxStep(before), 0.005f);
    EXPECT_LT(MaxStep(after), 0.005f);
    c->Stop();
    RenderLeft(441, 44100);

    // Volume 0 is silence, not a pause: the channel goes on in time, sounds from where it has got to
    // when raised, and, its handle dropped, ends after its length and leaves the mixer.
    {
        auto quiet = ramp->Cue();
        quiet->SetVolume(0.0f);
        quiet->SetPaused(0);
        EXPECT_EQ(Rms(RenderLeft(44100, 44100)), 0.0);
        quiet->SetVolume(1.0f);
        EXPECT_NEAR(RenderLeft(4410, 44100).back(), 0.8f / 4 * 1.1f, 0.01f);
        quiet->SetVolume(0.0f);
    }
    RenderLeft(44100 * 28 / 10, 44100);   // 3.9 of its 4 seconds
    EXPECT_EQ(LiveChannelCount(), 1);
    RenderLeft(8820, 44100);
    EXPECT_EQ(LiveChannelCount(), 0);
}

TEST_F(MixerTest, StopFadesOutAndIsFinalAndCueCanReuseTheHandle)
{
    auto dc = MakeSound(44100, 44100 * 2, 1, true, [](int, int) { return 0.8f; });
    auto c = Start(dc);
    const auto start = RenderLeft(4410, 44100);
    EXPECT_LT(MaxStep(start), 0.8f / 150);   // the start is ramped, not a click
    EXPECT_NEAR(start.back(), 0.8f, 1e-4f);

    c->Stop();
    EXPECT_EQ(c->Playing(), 0);
    const auto stop = RenderLeft(4410, 44100);
    EXPECT_LT(MaxStep(stop), 0.8f / 150);
    EXPECT_EQ(stop.back(), 0.0f);

    c->SetPaused(0);
    c->SetVolume(1.0f);
    EXPECT_EQ(c->Playing(), 0);
    EXPECT_EQ(Rms(RenderLeft(4410, 44100)), 0.0);

    // Cued onto a handle the caller already holds, a sound stops what that handle played (with its
    // fade) and waits there, paused, at its start.
    auto playing = Start(dc);
    RenderLeft(4410, 44100);
    EXPECT_EQ(dc->Cue(playing), playing);
    EXPECT_EQ(RenderLeft(4410, 44100).back(), 0.0f);
    EXPECT_EQ(playing->Playing(), 1);
    playing->SetPaused(0);
    EXPECT_NEAR(RenderLeft(4410, 44100).back(), 0.8f, 1e-4f);
    EXPECT_EQ(LiveChannelCount(), 1);
}

TEST_F(MixerTest, NonLoopingChannelEndsAfterItsLengthAtItsRate)
{
    auto sound = MakeSine(300.0, 22050, 1.0);
    auto c = Start(sound, 1.0f, 2.0f);
    RenderLeft(44100 / 2 - 2205, 44100);
    EXPECT_EQ(c->Playing(), 1);
    RenderLeft(4410, 44100);
    EXPECT_EQ(c->Playing(), 0);
}

TEST_F(MixerTest, LoopWrapsWithoutDiscontinuity)
{
    // Ten whole periods of 100 Hz: the loop joins seamlessly, so the output must too, at any rate.
    auto loop = MakeSine(100.0, 44100, 0.1, true, 0.9f);
    for (float rate : {1.0f, 1.37f, 0.61f}) {
        auto c = Start(loop, 1.0f, rate);
        RenderLeft(2205, 44100);
        const auto out = RenderLeft(44100, 44100);   // ten times the loop
        const float slope = float(2 * PI * 100.0 * rate / 44100 * 0.9);
        EXPECT_LT(MaxStep(out), slope * 1.02f) << "rate " << rate;
        EXPECT_NEAR(Rms(out), 0.9 / std::sqrt(2.0), 0.01);
        EXPECT_EQ(c->Playing(), 1);
        c->Stop();
        RenderLeft(1024, 44100);
    }
}

TEST_F(MixerTest, ChannelsOfOneSoundAddUpAndStereoKeepsItsSides)
{
    auto sine = MakeSine(440.0, 44100, 1.0, false, 0.3f);
    Start(sine);
    const auto one = RenderLeft(22050, 44100);
    for (auto& c : cued)
        c->Stop();
    RenderLeft(2048, 44100);

    Start(sine);
    Start(sine);
    const auto two = RenderLeft(22050, 44100);
    for (size_t i = 0; i < one.size(); ++i)
        ASSERT_NEAR(two[i], 2 * one[i], 1e-5f) << i;

    auto stereo = MakeSound(44100, 44100, 2, false, [](int, int ch) { return ch == 0 ? 0.25f : -0.5f; });
    Start(stereo);
    for (auto& c : cued)
        if (c != cued.back())
            c->Stop();
    std::vector<float> mix(2 * 4410);
    MixAudioInto(mix.data(), 4410, 44100);
    MixAudioInto(mix.data(), 4410, 44100);
    EXPECT_NEAR(mix[mix.size() - 2], 0.25f, 1e-5f + STEP);
    EXPECT_NEAR(mix[mix.size() - 1], -0.5f, 1e-5f + STEP);
}

TEST_F(MixerTest, ChannelsNobodyCanReachAreReleased)
{
    auto loop = MakeSine(200.0, 44100, 0.5, true);
    auto once = MakeSine(200.0, 44100, 0.2, false);
    {
        auto looping = loop->Cue();
        looping->SetPaused(0);
        auto paused = once->Cue();
        auto effect = once->Cue();
        effect->SetPaused(0);
        RenderLeft(441, 44100);
        EXPECT_EQ(LiveChannelCount(), 3);
    }
    // The effect plays on to its end; the loop and the paused one could never be stopped or started
    // again, so the next look at the channels ends them (the loop with a fade).
    LiveChannelCount();
    RenderLeft(441, 44100);
    EXPECT_EQ(LiveChannelCount(), 1);
    RenderLeft(44100 / 4, 44100);
    EXPECT_EQ(LiveChannelCount(), 0);
}

TEST_F(MixerTest, MusicStillDecodingPlaysWhatIsReadyAndWaitsForTheRest)
{
    // A count of frames as samples, so the output tells which frame played.
    auto sound = MakeSound(44100, 4000, 1, false, [](int i, int) { return i / 8000.0f; });
    sound->progress = std::make_shared<TDecodeProgress>();
    sound->progress->frames = 1000;
    auto c = Start(sound);
    const auto first = RenderLeft(2000, 44100);
    EXPECT_NEAR(first[998], 998 / 8000.0f, 1e-6f + STEP);
    EXPECT_EQ(first[1500], 0.0f);   // waits at the decoder's edge instead of playing unwritten frames
    EXPECT_EQ(c->Playing(), 1);

    sound->progress->frames = 4000;
    sound->progress->done = true;
    const auto rest = RenderLeft(441, 44100);
    // Goes on from the frame where it waited (the first few samples are still inside the ramp).
    EXPECT_NEAR(rest[440], 1439 / 8000.0f, 2 / 8000.0f);
}

TEST(SoundWithoutDevice, ChannelsFollowTheClock)
{
    UseVirtualClock(true);
    UseManualAudio(false);
    ASSERT_FALSE(AudioDeviceOpen());

    auto once = MakeSine(200.0, 22050, 1.0);
    auto looped = MakeSine(200.0, 22050, 1.0, true);
    auto fast = once->Cue();
    fast->SetRate(2.0f);
    fast->SetPaused(0);
    auto slow = once->Cue();
    slow->SetPaused(0);
    auto held = once->Cue();   // never started
    auto loop = looped->Cue();
    loop->SetPaused(0);

    SleepMillis(450);
    EXPECT_EQ(fast->Playing(), 1);
    slow->SetPaused(1);   // 450 ms in
    SleepMillis(100);
    EXPECT_EQ(fast->Playing(), 0);
    SleepMillis(1000);
    EXPECT_EQ(slow->Playing(), 1);
    slow->SetPaused(0);
    SleepMillis(500);
    EXPECT_EQ(slow->Playing(), 1);
    SleepMillis(100);
    EXPECT_EQ(slow->Playing(), 0);
    EXPECT_EQ(held->Playing(), 1);
    EXPECT_EQ(loop->Playing(), 1);
    loop->Stop();
    EXPECT_EQ(loop->Playing(), 0);
    held->Stop();

    // Mixing is harmless without a device and silent once everything stopped.
    std::vector<float> out(512, 1.0f);
    MixAudioInto(out.data(), 256, 44100);
    EXPECT_EQ(Rms(out), 0.0);
    UseVirtualClock(false);
}

} // namespace

namespace {

// The real device path, on SDL's dummy driver (which paces its callback in real time): the callback
// mixes, ends a short effect after its length and keeps a loop going; without a driver, nothing breaks.
TEST(SoundOnDevice, DummyDriverRunsTheCallbackAndNoDriverStaysSilent)
{
    UseVirtualClock(false);
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_FALSE(InitAudio());
    EXPECT_FALSE(AudioDeviceOpen());
    auto silent = MakeSine(300.0, 44100, 0.05)->Cue();
    silent->SetPaused(0);
    EXPECT_EQ(silent->Playing(), 1);

    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(InitAudio());
    unsetenv("SDL_AUDIODRIVER");
    EXPECT_TRUE(AudioDeviceOpen());
    EXPECT_GT(AudioDeviceRate(), 0);

    auto effect = MakeSine(300.0, 22050, 0.1)->Cue();
    effect->SetPaused(0);
    auto loop = MakeSine(300.0, 48000, 0.05, true)->Cue();
    loop->SetPaused(0);
    EXPECT_EQ(effect->Playing(), 1);
    const auto start = ClockMillis();
    while (effect->Playing() && ClockMillis() - start < 3000)
        SleepMillis(5);
    EXPECT_EQ(effect->Playing(), 0);
    EXPECT_GE(ClockMillis() - start, 60u);   // not before most of its 100 ms had played
    EXPECT_EQ(loop->Playing(), 1);
    loop->Stop();
    silent->Stop();
    ShutdownAudio();
    EXPECT_FALSE(AudioDeviceOpen());
    EXPECT_EQ(AudioDeviceRate(), 0);
}

// The device opens behind the first frame: what was cued while it was awaited holds at its start and is
// heard whole once the device is there; when none opens, it follows the clock from that moment.
TEST(SoundOnDevice, WhatIsCuedBeforeALateDeviceStartsFromItsBeginning)
{
    UseVirtualClock(false);
    ShutdownAudio();
    for (const std::string driver : {"dummy", "no-such-driver"}) {
        setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
        AwaitAudio();
        auto effect = MakeSine(300.0, 22050, 0.1)->Cue();
        effect->SetPaused(0);
        SleepMillis(150);   // longer than the effect: had the clock run while waiting, it would be over
        EXPECT_EQ(effect->Playing(), 1) << driver;
        OpenAwaitedAudio();
        FinishOpeningAudio();
        EXPECT_FALSE(AudioAwaited());
        EXPECT_EQ(AudioDeviceOpen(), driver == "dummy");
        EXPECT_EQ(effect->Playing(), 1) << driver;   // from its beginning, on the device or on the clock
        const auto start = ClockMillis();
        while (effect->Playing() && ClockMillis() - start < 3000)
            SleepMillis(5);
        EXPECT_EQ(effect->Playing(), 0) << driver;
        EXPECT_GE(ClockMillis() - start, 60u) << driver;
        ShutdownAudio();
    }
    unsetenv("SDL_AUDIODRIVER");
}

} // namespace
