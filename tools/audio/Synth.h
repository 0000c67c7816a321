// Synth - the small synthesiser the audio generator composes with: oscillators, envelopes, noise,
// drums and a wrap-around stereo buffer, all deterministic.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace synth {

constexpr double PI = 3.14159265358979323846;

// Deterministic noise: the same seed gives the same sound on every machine.
struct TNoise {
    uint32_t state;
    explicit TNoise(uint32_t seed) : state(seed ? seed : 1u) {}
    float Next()   // -1..1
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return float(state) / 2147483648.0f - 1.0f;
    }
};

inline double MidiHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// A stereo buffer. With wrap on, whatever sounds past its end comes back in at its start, so the
// buffer loops seamlessly: every tail rings on into the next pass.
struct TBuffer {
    int rate;
    bool wrap;
    std::vector<float> left, right;
    TBuffer(int rate, double seconds, bool wrap)
        : rate(rate), wrap(wrap), left(size_t(std::lround(seconds * rate)), 0.0f), right(left.size(), 0.0f) {}
    size_t Size() const { return left.size(); }
    void Add(long long i, float l, float r)
    {
        const long long n = (long long)left.size();
        if (wrap)
            i = ((i % n) + n) % n;
        else if (i < 0 || i >= n)
            return;
        left[size_t(i)] += l;
        right[size_t(i)] += r;
    }
    float Peak() const;
    void Normalise(float peak);
    // A feedback echo; on a wrapping buffer it runs around twice so the echoes loop as well.
    void Echo(double delaySeconds, float feedback, float mix);
    // Gentle one-pole low-pass, to take the edge off the synthetic top end.
    void Soften(double cutoffHz);
};

enum class TInstrument { Bass, Lead, Pad, Pluck, Bell, Brass, Organ };

// Adds one note: start and length in seconds, pitch as a MIDI note number, pan -1 (left) .. 1 (right).
void AddNote(TBuffer& buffer, double start, double length, double midiNote, TInstrument instrument,
             float velocity, float pan = 0.0f);

void AddKick(TBuffer& buffer, double start, float velocity);
void AddSnare(TBuffer& buffer, double start, float velocity, uint32_t seed);
void AddHat(TBuffer& buffer, double start, float velocity, uint32_t seed);

// Mono effects.
std::vector<float> MakeSelect();
std::vector<float> MakeCorrect();
std::vector<float> MakeExplosion();
std::vector<float> MakeTyping();
std::vector<float> MakeAccelerate();
std::vector<float> MakeSuccess();
std::vector<float> MakeTimeUp();

constexpr int EFFECT_RATE = 44100;
constexpr int MUSIC_RATE = 22050;

TBuffer ComposeTitle();
TBuffer ComposeGame();
TBuffer ComposeLevelComplete();
TBuffer ComposeGameOver();

} // namespace synth
