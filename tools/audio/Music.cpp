// Music - the four looping tunes: chord progressions with bass, arpeggios, a melody walked over the
// chords, and drums, rendered into wrap-around buffers so each loop joins without a seam.
#include "Synth.h"

#include <algorithm>
#include <cstdlib>

namespace synth {

namespace {

struct TChord {
    int root;   // MIDI note of the root in octave 4 (60 = C4)
    bool minor;
    std::vector<int> Tones() const { return {root, root + (minor ? 3 : 4), root + 7}; }
};

struct TSong {
    double bpm;
    int tonic;
    bool minorKey;
    std::vector<TChord> bars;   // one chord per bar of four beats
    double Seconds(double beat) const { return beat * 60.0 / bpm; }
    double LengthSeconds() const { return Seconds(bars.size() * 4.0); }
};

struct TNote {
    double beat, length;
    int pitch;
};

using TRhythm = std::vector<std::pair<double, double>>;   // (beat in bar, length)

const TRhythm RHYTHMS[] = {
    {{0, 1}, {1, 1}, {2, 1}, {3, 1}},
    {{0, 1.5}, {1.5, 0.5}, {2, 2}},
    {{0, 0.5}, {0.5, 0.5}, {1, 1}, {2, 0.5}, {2.5, 0.5}, {3, 1}},
    {{0, 1}, {1, 0.5}, {1.5, 0.5}, {2, 1.5}, {3.5, 0.5}},
    {{0, 2}, {2, 2}},
    {{0, 3}, {3, 1}},
    {{0.5, 0.5}, {1, 0.5}, {1.5, 1}, {2.5, 0.5}, {3, 1}},
};

bool InScale(const TSong& song, int pitch)
{
    static const int major[] = {0, 2, 4, 5, 7, 9, 11};
    static const int minor[] = {0, 2, 3, 5, 7, 8, 10};
    const int degree = ((pitch - song.tonic) % 12 + 12) % 12;
    const int* scale = song.minorKey ? minor : major;
    return std::find(scale, scale + 7, degree) != scale + 7;
}

bool InChord(const TChord& chord, int pitch)
{
    for (int t : chord.Tones())
        if (((pitch - t) % 12 + 12) % 12 == 0)
            return true;
    return false;
}

// Walks a melody over the chords: notes on strong beats land on a chord tone, the others step
// along the scale; the line turns at the edges of its range and now and then on its own.
std::vector<TNote> WalkMelody(const TSong& song, const std::vector<int>& rhythmPerBar, int firstBar, int lo, int hi,
                              uint32_t seed)
{
    TNoise rng(seed);
    std::vector<TNote> notes;
    int pitch = (lo + hi) / 2;
    int direction = 1;
    for (size_t bar = size_t(firstBar); bar < song.bars.size(); ++bar) {
        const int r = rhythmPerBar[(bar - firstBar) % rhythmPerBar.size()];
        if (r < 0)
            continue;   // a resting bar
        const TChord& chord = song.bars[bar];
        for (auto [beat, length] : RHYTHMS[r]) {
            if (rng.Next() > 0.45f)
                direction = -direction;
            const bool strong = beat == 0.0 || beat == 2.0 || length >= 2.0;
            int next = pitch + direction;
            for (int guard = 0; guard < 12; ++guard, next += direction) {
                if (next > hi || next < lo) {
                    direction = -direction;
                    next = pitch + direction;
                }
                if (strong ? InChord(chord, next) : (InScale(song, next) || InChord(chord, next)))
                    break;
            }
            pitch = std::clamp(next, lo, hi);
            notes.push_back({bar * 4.0 + beat, length, pitch});
        }
    }
    // The last note settles on the chord's root, so the phrase closes before the loop comes round.
    if (!notes.empty()) {
        const TChord& last = song.bars.back();
        int root = last.root;
        while (root < lo)
            root += 12;
        while (root > hi)
            root -= 12;
        notes.back().pitch = root;
    }
    return notes;
}

void Play(TBuffer& b, const TSong& song, const std::vector<TNote>& notes, TInstrument instrument, float velocity,
          float pan, double gate = 0.9)
{
    for (const auto& n : notes)
        AddNote(b, song.Seconds(n.beat), song.Seconds(n.length * gate), n.pitch, instrument, velocity, pan);
}

// Chord tones up and down in steps of `step` beats, `octaves` above octave 4.
void Arpeggio(TBuffer& b, const TSong& song, double step, int octave, TInstrument instrument, float velocity)
{
    static const int order[] = {0, 1, 2, 3, 2, 1};
    int k = 0;
    for (size_t bar = 0; bar < song.bars.size(); ++bar) {
        const auto tones = song.bars[bar].Tones();
        for (double beat = 0; beat < 4.0; beat += step, ++k) {
            const int idx = order[k % 6];
            const int pitch = (idx == 3 ? tones[0] + 12 : tones[idx]) + 12 * octave;
            AddNote(b, song.Seconds(bar * 4.0 + beat), song.Seconds(step * 0.8), pitch, instrument, velocity,
                    (k % 2) ? 0.35f : -0.35f);
        }
    }
}

// A bass line: per beat step, an offset from the chord root (in semitones) or a rest (-99).
void BassLine(TBuffer& b, const TSong& song, double step, const std::vector<int>& pattern, int octave, float velocity)
{
    int k = 0;
    for (size_t bar = 0; bar < song.bars.size(); ++bar)
        for (double beat = 0; beat < 4.0; beat += step, ++k) {
            const int offset = pattern[k % pattern.size()];
            if (offset == -99)
                continue;
            AddNote(b, song.Seconds(bar * 4.0 + beat), song.Seconds(step * 0.85),
                    song.bars[bar].root + offset + 12 * octave, TInstrument::Bass, velocity, 0.0f);
        }
}

void Pads(TBuffer& b, const TSong& song, int octave, TInstrument instrument, float velocity)
{
    for (size_t bar = 0; bar < song.bars.size(); ++bar)
        for (int t : song.bars[bar].Tones())
            AddNote(b, song.Seconds(bar * 4.0), song.Seconds(3.9), t + 12 * octave, instrument, velocity,
                    t % 2 ? 0.3f : -0.3f);
}

// Drums from per-step strings: 'k' kick, 's' snare, 'h' hat, 'H' accented hat, '.' nothing.
void Drums(TBuffer& b, const TSong& song, double step, const std::string& kick, const std::string& snare,
           const std::string& hat, float velocity)
{
    int k = 0;
    uint32_t seed = 1;
    for (size_t bar = 0; bar < song.bars.size(); ++bar)
        for (double beat = 0; beat < 4.0; beat += step, ++k) {
            const double t = song.Seconds(bar * 4.0 + beat);
            if (kick[k % kick.size()] == 'k')
                AddKick(b, t, velocity * 0.6f);
            if (snare[k % snare.size()] == 's')
                AddSnare(b, t, velocity * 0.55f, ++seed);
            const char h = hat[k % hat.size()];
            if (h == 'h' || h == 'H')
                AddHat(b, t, velocity * (h == 'H' ? 0.45f : 0.25f), ++seed);
        }
}

TBuffer Master(TBuffer b, double echoSeconds, float echoFeedback, float echoMix)
{
    b.Echo(echoSeconds, echoFeedback, echoMix);
    b.Soften(8000.0);
    // Peaks well below full scale, so the codec's small overshoots never clip.
    b.Normalise(0.8f);
    return b;
}

} // namespace

TBuffer ComposeTitle()
{
    // C major, bright and open: plucked arpeggios, bells, then the melody enters.
    TSong song{112, 60, false,
               {{60, false}, {67, false}, {69, true}, {65, false}, {60, false}, {67, false}, {65, false}, {67, false},
                {69, true}, {65, false}, {60, false}, {67, false}}};
    TBuffer b(MUSIC_RATE, song.LengthSeconds(), true);
    Arpeggio(b, song, 0.5, 1, TInstrument::Pluck, 0.16f);
    BassLine(b, song, 1.0, {-12, -12, -5, 0}, -1, 0.4f);
    Pads(b, song, 0, TInstrument::Pad, 0.05f);
    Play(b, song, WalkMelody(song, {0, 4, 0, 5}, 0, 72, 84, 11), TInstrument::Bell, 0.22f, 0.2f);
    Play(b, song, WalkMelody(song, {1, 3, 2, 5, 1, 6, 3, 5}, 4, 67, 81, 23), TInstrument::Lead, 0.2f, -0.1f);
    Drums(b, song, 0.5, "k...k...", "..s...s.", "hHhHhHhH", 0.6f);
    return Master(std::move(b), 60.0 / 112 * 0.75, 0.35f, 0.3f);
}

TBuffer ComposeGame()
{
    // A minor at 140 beats a minute: pumping eighth-note bass, sixteenth arpeggios, four on the floor.
    TSong song{140, 57, true,
               {{57, true}, {57, true}, {53, false}, {55, false}, {57, true}, {57, true}, {53, false}, {55, false},
                {62, true}, {53, false}, {55, false}, {57, true}, {53, false}, {55, false}, {57, true}, {55, false}}};
    TBuffer b(MUSIC_RATE, song.LengthSeconds(), true);
    BassLine(b, song, 0.5, {-24, -12, -24, -12, -24, -12, -17, -12}, 0, 0.4f);
    Arpeggio(b, song, 0.25, 0, TInstrument::Pluck, 0.11f);
    Pads(b, song, 0, TInstrument::Organ, 0.04f);
    Play(b, song, WalkMelody(song, {2, 3, 2, 1, 6, 3, 0, 4}, 4, 69, 84, 5), TInstrument::Lead, 0.19f, 0.1f, 0.8);
    Drums(b, song, 0.25, "k...k...k...k...", "....s.......s...", "h.H.h.H.h.H.hhH.", 0.75f);
    return Master(std::move(b), 60.0 / 140 * 0.5, 0.25f, 0.2f);
}

TBuffer ComposeLevelComplete()
{
    // G major and bouncy: bells over brass stabs and a skipping bass.
    TSong song{120, 67, false,
               {{67, false}, {60, false}, {62, false}, {67, false}, {64, true}, {60, false}, {62, false}, {67, false}}};
    TBuffer b(MUSIC_RATE, song.LengthSeconds(), true);
    BassLine(b, song, 0.5, {-12, -99, -5, -99, -12, -99, -5, 0}, -1, 0.4f);
    for (size_t bar = 0; bar < song.bars.size(); ++bar)
        for (double beat : {0.0, 1.5})
            for (int t : song.bars[bar].Tones())
                AddNote(b, song.Seconds(bar * 4.0 + beat), song.Seconds(0.4), t, TInstrument::Brass, 0.07f, 0.0f);
    Play(b, song, WalkMelody(song, {2, 3, 6, 1}, 0, 74, 86, 77), TInstrument::Bell, 0.25f, 0.15f);
    Arpeggio(b, song, 0.5, 1, TInstrument::Pluck, 0.08f);
    Drums(b, song, 0.5, "k...k.k.", "..s...s.", "hHhHhHhH", 0.55f);
    return Master(std::move(b), 60.0 / 120 * 0.75, 0.3f, 0.25f);
}

TBuffer ComposeGameOver()
{
    // D minor at 80 beats a minute: slow pads, a sighing melody, a heartbeat kick.
    TSong song{80, 62, true,
               {{62, true}, {58, false}, {55, true}, {57, false}, {62, true}, {53, false}, {55, true}, {57, false}}};
    TBuffer b(MUSIC_RATE, song.LengthSeconds(), true);
    Pads(b, song, 0, TInstrument::Pad, 0.09f);
    BassLine(b, song, 2.0, {-24, -17}, 0, 0.38f);
    Play(b, song, WalkMelody(song, {4, 1, 5, 4, 1, 0, 5, 4}, 0, 62, 74, 3), TInstrument::Lead, 0.2f, 0.0f, 0.95);
    Arpeggio(b, song, 1.0, 1, TInstrument::Bell, 0.05f);
    Drums(b, song, 1.0, "k...", "....", "..h.", 0.45f);
    return Master(std::move(b), 60.0 / 80 * 0.75, 0.4f, 0.35f);
}

} // namespace synth
