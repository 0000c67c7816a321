// Effects - the seven sound effects, each a short mono sound at 44.1 kHz that starts and ends at silence.
#include "Synth.h"

#include <algorithm>

namespace synth {

namespace {

constexpr double R = EFFECT_RATE;

std::vector<float> Silence(double seconds) { return std::vector<float>(size_t(seconds * R), 0.0f); }

// Scales to the given peak and fades the very edges, so the sound can never click in or out.
void Finish(std::vector<float>& v, float peak, double fadeIn = 0.001, double fadeOut = 0.01)
{
    float p = 0.0f;
    for (float x : v)
        p = std::max(p, std::fabs(x));
    const float k = p > 0.0f ? peak / p : 0.0f;
    const size_t in = size_t(fadeIn * R), out = size_t(fadeOut * R);
    for (size_t i = 0; i < v.size(); ++i) {
        float g = k;
        if (i < in)
            g *= float(i) / in;
        if (i + out > v.size())
            g *= float(v.size() - i) / out;
        v[i] *= g;
    }
}

// A tone of a few harmonics whose frequency follows hz(t), with amplitude env(t).
template <typename FHz, typename FEnv>
void AddTone(std::vector<float>& v, double start, double length, const std::vector<float>& harmonics, FHz hz, FEnv env)
{
    const size_t first = size_t(start * R);
    const size_t count = std::min(v.size() - std::min(v.size(), first), size_t(length * R));
    std::vector<double> phase(harmonics.size(), 0.0);
    for (size_t i = 0; i < count; ++i) {
        const double t = double(i) / R;
        const double f = hz(t);
        double s = 0.0;
        for (size_t k = 0; k < harmonics.size(); ++k) {
            phase[k] += 2 * PI * f * (k + 1) / R;
            if (f * (k + 1) < R * 0.45)
                s += harmonics[k] * std::sin(phase[k]);
        }
        v[first + i] += float(s * env(t));
    }
}

} // namespace

std::vector<float> MakeSelect()
{
    // Two quick bright steps up, a fifth apart.
    auto v = Silence(0.16);
    const std::vector<float> bright{1.0f, 0.0f, 0.4f, 0.0f, 0.2f, 0.0f, 0.1f};
    AddTone(v, 0.0, 0.06, bright, [](double) { return 987.8; },
            [](double t) { return std::min(1.0, t / 0.002) * std::exp(-t * 25.0); });
    AddTone(v, 0.05, 0.11, bright, [](double) { return 1480.0; },
            [](double t) { return std::min(1.0, t / 0.002) * std::exp(-t * 30.0); });
    Finish(v, 0.7f);
    return v;
}

std::vector<float> MakeCorrect()
{
    // A clean bell-like tone: a pure fundamental and soft even partials, so it stays sweet an octave up.
    auto v = Silence(0.45);
    AddTone(v, 0.0, 0.45, {1.0f, 0.3f, 0.0f, 0.1f}, [](double) { return 659.3; },
            [](double t) { return std::min(1.0, t / 0.004) * std::exp(-t * 7.0); });
    AddTone(v, 0.0, 0.45, {0.25f}, [](double) { return 1318.5 * 1.5; },
            [](double t) { return std::min(1.0, t / 0.004) * std::exp(-t * 18.0); });
    Finish(v, 0.8f);
    return v;
}

std::vector<float> MakeExplosion()
{
    // A burst of noise whose low-pass closes as it decays, over a falling sub thump.
    auto v = Silence(1.3);
    TNoise noise(0xB00Bu);
    float lp1 = 0.0f, lp2 = 0.0f;
    double phase = 0.0;
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = double(i) / R;
        const double cutoff = 150.0 + 5000.0 * std::exp(-t * 6.0);
        const float a = float(1.0 - std::exp(-2 * PI * cutoff / R));
        lp1 += a * (noise.Next() - lp1);
        lp2 += a * (lp1 - lp2);
        const double attack = std::min(1.0, t / 0.003);
        const double rumble = lp2 * 2.5 * std::exp(-t * 3.2);
        phase += 2 * PI * (38.0 + 80.0 * std::exp(-t * 9.0)) / R;
        const double thump = std::sin(phase) * std::exp(-t * 5.0) * 0.8;
        v[i] = float(attack * (rumble + thump));
    }
    Finish(v, 0.9f, 0.001, 0.05);
    return v;
}

std::vector<float> MakeTyping()
{
    // A soft tick: a tiny band of noise and a short high ping, gone within 40 ms.
    auto v = Silence(0.045);
    TNoise noise(0x7E57u);
    float lp = 0.0f, prev = 0.0f;
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = double(i) / R;
        lp += 0.5f * (noise.Next() - lp);
        const float band = lp - prev;
        prev = lp;
        const double ping = std::sin(2 * PI * 2400.0 * t) * 0.5;
        v[i] = float((band * 1.5 + ping) * std::min(1.0, t / 0.0005) * std::exp(-t * 160.0));
    }
    Finish(v, 0.45f, 0.0005, 0.005);
    return v;
}

std::vector<float> MakeAccelerate()
{
    // A rising sweep over a breath of noise: engines up for the level.
    auto v = Silence(0.55);
    auto env = [](double t) { return std::min(1.0, t / 0.05) * std::min(1.0, (0.55 - t) / 0.12); };
    AddTone(v, 0.0, 0.55, {1.0f, 0.5f, 0.33f, 0.25f}, [](double t) { return 180.0 * std::pow(2.0, t / 0.55 * 2.5); }, env);
    AddTone(v, 0.0, 0.55, {0.5f}, [](double t) { return 1.007 * 180.0 * std::pow(2.0, t / 0.55 * 2.5 + 1.0); }, env);
    TNoise noise(0xACCu);
    float lp = 0.0f;
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = double(i) / R;
        const float a = float(1.0 - std::exp(-2 * PI * (600.0 + 4000.0 * t / 0.55) / R));
        lp += a * (noise.Next() - lp);
        v[i] += float(lp * 0.6 * env(t));
    }
    Finish(v, 0.75f);
    return v;
}

std::vector<float> MakeSuccess()
{
    // A brass fanfare: three quick notes up a major chord and a held top note, C5 E5 G5 C6.
    auto v = Silence(1.25);
    const std::vector<float> brass{1.0f, 0.7f, 0.5f, 0.35f, 0.25f, 0.15f, 0.1f};
    const double notes[] = {523.25, 659.26, 783.99, 1046.5};
    const double starts[] = {0.0, 0.11, 0.22, 0.36};
    for (int n = 0; n < 4; ++n) {
        const double length = n == 3 ? 0.88 : 0.16;
        const double hz = notes[n];
        const bool last = n == 3;
        AddTone(v, starts[n], length, brass,
                [=](double t) { return hz * (last && t > 0.2 ? std::pow(2.0, 0.15 / 12 * std::sin(2 * PI * 6 * t)) : 1.0); },
                [=](double t) {
                    const double a = std::min(1.0, t / 0.02);
                    const double tail = last ? std::exp(-std::max(0.0, t - 0.4) * 6.0) : std::exp(-t * 8.0);
                    return a * tail * std::min(1.0, (length - t) / 0.03);
                });
    }
    // The major third under the last note makes it ring as a chord.
    AddTone(v, 0.36, 0.88, {0.6f, 0.3f, 0.15f}, [](double) { return 659.26; },
            [](double t) { return std::min(1.0, t / 0.03) * std::exp(-std::max(0.0, t - 0.4) * 6.0) * std::min(1.0, (0.88 - t) / 0.03); });
    Finish(v, 0.8f);
    return v;
}

std::vector<float> MakeTimeUp()
{
    // A buzzer sliding down over a second: time has run out.
    auto v = Silence(1.0);
    const std::vector<float> buzz{1.0f, 0.0f, 0.33f, 0.0f, 0.2f, 0.0f, 0.14f, 0.0f, 0.11f};
    auto env = [](double t) { return std::min(1.0, t / 0.01) * std::min(1.0, (1.0 - t) / 0.25); };
    AddTone(v, 0.0, 1.0, buzz, [](double t) { return 440.0 * std::pow(2.0, -t * 1.6); }, env);
    AddTone(v, 0.0, 1.0, buzz, [](double t) { return 446.0 * std::pow(2.0, -t * 1.6); }, env);
    Finish(v, 0.75f);
    return v;
}

} // namespace synth
