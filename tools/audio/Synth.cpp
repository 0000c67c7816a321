// Synth - instruments and drums for the audio generator, additive so nothing folds back past Nyquist.
#include "Synth.h"

#include <algorithm>

namespace synth {

float TBuffer::Peak() const
{
    float p = 0.0f;
    for (size_t i = 0; i < Size(); ++i)
        p = std::max({p, std::fabs(left[i]), std::fabs(right[i])});
    return p;
}

void TBuffer::Normalise(float peak)
{
    const float p = Peak();
    if (p <= 0.0f)
        return;
    const float k = peak / p;
    for (size_t i = 0; i < Size(); ++i) {
        left[i] *= k;
        right[i] *= k;
    }
}

void TBuffer::Echo(double delaySeconds, float feedback, float mix)
{
    const size_t n = Size();
    const size_t d = size_t(delaySeconds * rate);
    if (d == 0 || d >= n)
        return;
    std::vector<float> wl(n, 0.0f), wr(n, 0.0f);
    // Ping-pong: the left echo feeds the right one and back, which widens the mono parts.
    const int passes = wrap ? 3 : 1;
    for (int pass = 0; pass < passes; ++pass)
        for (size_t i = 0; i < n; ++i) {
            if (!wrap && i < d)
                continue;
            const size_t j = (i + n - d) % n;
            wl[i] = (left[j] + right[j]) * 0.5f * feedback + wr[j] * feedback;
            wr[i] = wl[j] * feedback;
        }
    for (size_t i = 0; i < n; ++i) {
        left[i] += wl[i] * mix;
        right[i] += wr[i] * mix;
    }
}

void TBuffer::Soften(double cutoffHz)
{
    const float a = float(1.0 - std::exp(-2.0 * PI * cutoffHz / rate));
    for (auto* ch : {&left, &right}) {
        auto& v = *ch;
        // Start from the filter's settled state at the end, so a loop stays seamless.
        float y = 0.0f;
        const int passes = wrap ? 2 : 1;
        for (int pass = 0; pass < passes; ++pass)
            for (size_t i = 0; i < v.size(); ++i) {
                y += a * (v[i] - y);
                if (pass == passes - 1)
                    v[i] = y;
            }
    }
}

namespace {

struct TShape {
    std::vector<float> harmonics;   // amplitude of harmonic k+1
    double attack, decay;           // seconds
    float sustain;                  // level after the decay
    double release;
    double brightDecay;             // higher harmonics fade this much faster per harmonic (1/s)
    double vibrato;                 // depth in semitones, after a short delay
    double detune;                  // cents of a second voice, 0 for none
};

TShape ShapeOf(TInstrument instrument)
{
    switch (instrument) {
    case TInstrument::Bass:
        return {{1.0f, 0.45f, 0.15f, 0.08f, 0.04f}, 0.006, 0.25, 0.6f, 0.05, 1.5, 0.0, 0.0};
    case TInstrument::Lead:
        return {{1.0f, 0.0f, 0.33f, 0.0f, 0.2f, 0.0f, 0.14f, 0.0f, 0.1f}, 0.012, 0.2, 0.75f, 0.09, 0.3, 0.18, 0.0};
    case TInstrument::Pad:
        return {{1.0f, 0.5f, 0.3f, 0.2f, 0.12f, 0.08f}, 0.35, 0.5, 0.8f, 0.6, 0.0, 0.0, 7.0};
    case TInstrument::Pluck:
        return {{1.0f, 0.5f, 0.33f, 0.25f, 0.2f, 0.16f, 0.12f}, 0.003, 0.35, 0.0f, 0.08, 4.0, 0.0, 0.0};
    case TInstrument::Bell:
        return {{1.0f, 0.0f, 0.0f, 0.35f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.15f}, 0.002, 0.9, 0.0f, 0.3, 1.2, 0.0, 0.0};
    case TInstrument::Brass:
        return {{1.0f, 0.7f, 0.5f, 0.35f, 0.25f, 0.15f, 0.1f, 0.06f}, 0.03, 0.15, 0.8f, 0.12, 0.0, 0.12, 5.0};
    case TInstrument::Organ:
        return {{1.0f, 0.6f, 0.0f, 0.4f, 0.0f, 0.0f, 0.0f, 0.2f}, 0.02, 0.1, 0.9f, 0.15, 0.0, 0.0, 0.0};
    }
    return {{1.0f}, 0.01, 0.1, 1.0f, 0.05, 0.0, 0.0, 0.0};
}

float Envelope(const TShape& s, double t, double length)
{
    double level;
    if (t < s.attack)
        level = t / s.attack;
    else if (t < s.attack + s.decay)
        level = 1.0 - (1.0 - s.sustain) * (t - s.attack) / s.decay;
    else
        level = s.sustain;
    if (s.sustain == 0.0f && t >= s.attack)   // percussive: an exponential ring instead of a straight line
        level = std::exp(-(t - s.attack) * 3.0 / s.decay);
    if (t > length) {
        const double r = (t - length) / s.release;
        level *= r >= 1.0 ? 0.0 : 1.0 - r;
    }
    return float(level);
}

} // namespace

void AddNote(TBuffer& buffer, double start, double length, double midiNote, TInstrument instrument,
             float velocity, float pan)
{
    const TShape s = ShapeOf(instrument);
    const double hz = MidiHz(midiNote);
    const double nyquist = buffer.rate * 0.45;
    const bool percussive = s.sustain == 0.0f;
    const double total = percussive ? s.attack + s.decay * 2.5 : length + s.release;
    const long long first = std::llround(start * buffer.rate);
    const long long count = (long long)(total * buffer.rate);
    const float gl = velocity * float(std::sqrt(0.5 * (1.0 - pan)));
    const float gr = velocity * float(std::sqrt(0.5 * (1.0 + pan)));
    const int voices = s.detune != 0.0 ? 2 : 1;
    const size_t H = s.harmonics.size();
    // Each harmonic is a phasor turned by a fixed rotation, recomputed every block for the vibrato:
    // a complex multiply per sample instead of a sine, which keeps the whole build quick.
    constexpr int BLOCK = 32;
    std::vector<double> re(H), im(H), rotRe(H), rotIm(H), fade(H), fadeStep(H);
    for (int v = 0; v < voices; ++v) {
        const double f = voices == 2 ? hz * std::pow(2.0, (v ? 1 : -1) * s.detune / 2400.0) : hz;
        for (size_t k = 0; k < H; ++k) {
            re[k] = 1.0;
            im[k] = 0.0;
            fade[k] = 1.0;
            fadeStep[k] = std::exp(-s.brightDecay * double(k) / buffer.rate);
        }
        for (long long i = 0; i < count; ++i) {
            const double t = double(i) / buffer.rate;
            if (i % BLOCK == 0) {
                double vib = 1.0;
                if (s.vibrato > 0.0 && t > 0.15)
                    vib = std::pow(2.0, s.vibrato / 12.0 * std::sin(2 * PI * 5.5 * t) * std::min(1.0, (t - 0.15) * 4));
                for (size_t k = 0; k < H; ++k) {
                    const double w = 2 * PI * f * double(k + 1) * vib / buffer.rate;
                    rotRe[k] = std::cos(w);
                    rotIm[k] = std::sin(w);
                    const double norm = 1.0 / std::sqrt(re[k] * re[k] + im[k] * im[k]);
                    re[k] *= norm;
                    im[k] *= norm;
                }
            }
            const float env = Envelope(s, t, length);
            double sample = 0.0;
            for (size_t k = 0; k < H; ++k) {
                const double nr = re[k] * rotRe[k] - im[k] * rotIm[k];
                im[k] = re[k] * rotIm[k] + im[k] * rotRe[k];
                re[k] = nr;
                fade[k] *= fadeStep[k];
                if (s.harmonics[k] != 0.0f && f * double(k + 1) < nyquist)
                    sample += s.harmonics[k] * im[k] * fade[k];
            }
            const float out = float(sample) * env / voices;
            buffer.Add(first + i, out * gl, out * gr);
        }
    }
}

void AddKick(TBuffer& buffer, double start, float velocity)
{
    const long long first = std::llround(start * buffer.rate);
    const int count = int(0.3 * buffer.rate);
    double phase = 0.0;
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / buffer.rate;
        const double hz = 45.0 + 110.0 * std::exp(-t * 30.0);
        phase += 2 * PI * hz / buffer.rate;
        const float env = float(std::min(1.0, t / 0.002) * std::exp(-t * 12.0));
        const float s = float(std::sin(phase)) * env * velocity;
        buffer.Add(first + i, s, s);
    }
}

void AddSnare(TBuffer& buffer, double start, float velocity, uint32_t seed)
{
    TNoise noise(seed);
    const long long first = std::llround(start * buffer.rate);
    const int count = int(0.2 * buffer.rate);
    float low = 0.0f;
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / buffer.rate;
        const float n = noise.Next();
        low += 0.35f * (n - low);
        const float body = float(std::sin(2 * PI * 185.0 * t) * std::exp(-t * 30.0)) * 0.6f;
        const float env = float(std::min(1.0, t / 0.001) * std::exp(-t * 22.0));
        const float s = (body + (n - low) * 0.8f) * env * velocity;
        buffer.Add(first + i, s, s);
    }
}

void AddHat(TBuffer& buffer, double start, float velocity, uint32_t seed)
{
    TNoise noise(seed);
    const long long first = std::llround(start * buffer.rate);
    const int count = int(0.05 * buffer.rate);
    float prev = 0.0f;
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / buffer.rate;
        const float n = noise.Next();
        const float high = n - prev;   // a first difference keeps only the hiss
        prev = n;
        const float s = high * float(std::min(1.0, t / 0.0005) * std::exp(-t * 90.0)) * velocity * 0.5f;
        buffer.Add(first + i, s * 0.8f, s);
    }
}

} // namespace synth
