// ChannelMix - one channel resampled into the mix, ramped so that nothing clicks, or moved on in time
// without a sound.
#include "platform/sound/ChannelMix.h"

#include <algorithm>
#include <cmath>

namespace {

// The last frame the decoder has written, or the whole length once it is done.
int ReadyFrames(const TChannel::TState& st)
{
    if (st.progress && !st.progress->done.load(std::memory_order_acquire))
        return std::min(st.frames, st.progress->frames.load(std::memory_order_acquire));
    return st.frames;
}

// A channel that is playing at volume 0 goes on in time exactly as an audible one would, without
// mixing anything: raised again, it sounds from where it has got to, and it ends when its length has
// passed. Only pause holds a channel where it is.
void AdvanceSilently(TChannel::TState& st, int frames, double step)
{
    const int n = st.frames;
    const int ready = ReadyFrames(st);
    double pos = st.pos + frames * step;
    if (ready < n && pos + 1 >= ready) {
        // Where an audible channel would wait for the decoder.
        st.pos = std::max(st.pos, double(ready - 1));
        return;
    }
    if (pos >= n) {
        if (!st.loop) {
            st.finished = true;
            return;
        }
        pos = std::fmod(pos, double(n));
    }
    st.pos = pos;
}

}  // namespace

float sound::GainOfVolume(float volume)
{
    // -100 * (1 - v^0.1) dB. Volume 0 is true silence rather than the formula's -100 dB.
    if (volume <= 0.0f)
        return 0.0f;
    return float(std::pow(10.0, -5.0 * (1.0 - std::pow(double(volume), 0.1))));
}

void sound::AdvanceByClock(TChannel::TState& st, uint64_t now)
{
    if (!st.paused && !st.finished && !st.stopping && st.frames > 0) {
        st.pos += double(now - st.clockMs) / 1000.0 * st.srcRate * st.rate;
        if (st.pos >= st.frames) {
            if (st.loop)
                st.pos = std::fmod(st.pos, double(st.frames));
            else
                st.finished = true;
        }
    }
    st.clockMs = now;
}

void sound::MixChannel(TChannel::TState& st, float* out, int frames, int outRate)
{
    const float target = (st.paused || st.stopping) ? 0.0f : GainOfVolume(st.volume);
    if (st.frames <= 0) {
        st.finished = true;
        return;
    }
    const double step = double(st.srcRate) / outRate * st.rate;
    if (st.gain == 0.0f && target == 0.0f) {
        if (st.stopping)
            st.finished = true;
        else if (!st.paused)
            AdvanceSilently(st, frames, step);
        return;   // paused and faded out: hold the position
    }
    const float ramp = float(1.0 / (RAMP_SECONDS * outRate));
    const int16_t* data = st.data;
    const int n = st.frames;
    const bool stereo = st.srcChannels == 2;
    // Music still decoding in the background: frames from `ready` on are not written yet.
    const int ready = ReadyFrames(st);

    for (int i = 0; i < frames; ++i) {
        if (st.gain < target)
            st.gain = std::min(target, st.gain + ramp);
        else if (st.gain > target)
            st.gain = std::max(target, st.gain - ramp);
        if (st.gain == 0.0f && target == 0.0f) {
            if (st.stopping)
                st.finished = true;
            else if (!st.paused)
                AdvanceSilently(st, frames - i, step);
            return;
        }

        const int i0 = int(st.pos);
        if (ready < n && i0 + 1 >= ready)
            return;   // the decoder has not got this far (it runs far faster than playback): wait here
        const float frac = float(st.pos - i0);
        int i1 = i0 + 1;
        const bool pastEnd = i1 >= n;
        if (pastEnd)
            i1 = 0;
        // Interpolated in steps of the stored data; the scale to -1..1 goes with the gain.
        const bool silentNext = pastEnd && !st.loop;
        float l, r;
        if (stereo) {
            const float l0 = TSound::Steps(data[2 * i0]), r0 = TSound::Steps(data[2 * i0 + 1]);
            const float l1 = silentNext ? 0.0f : TSound::Steps(data[2 * i1]);
            const float r1 = silentNext ? 0.0f : TSound::Steps(data[2 * i1 + 1]);
            l = l0 + (l1 - l0) * frac;
            r = r0 + (r1 - r0) * frac;
        } else {
            const float s0 = TSound::Steps(data[i0]);
            const float s1 = silentNext ? 0.0f : TSound::Steps(data[i1]);
            l = r = s0 + (s1 - s0) * frac;
        }
        const float scaledGain = st.gain * (1.0f / TSound::FULL_SCALE);
        out[2 * i] += l * scaledGain;
        out[2 * i + 1] += r * scaledGain;

        st.pos += step;
        if (st.pos >= n) {
            if (!st.loop) {
                st.finished = true;
                return;
            }
            st.pos = st.pos - n < n ? st.pos - n : std::fmod(st.pos, double(n));
        }
    }
}
