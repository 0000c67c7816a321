// Arithmetic - rounding to whole numbers and to decimal places, and the playback rate of a pitch
// n semitones up.
#pragma once

// The nearest whole number, halves up (floor of x + 0.5, without that sum's rounding error); clamped to
// the int range, NaN gives 0.
int RoundNearest(double x);
// x rounded to `places` decimals (negative: to tens, hundreds...), halves away from zero, judged on the
// shortest decimal text of x, so 1.005 rounds to 1.01 as written.
double RoundToPlaces(double x, int places);

// Playback rate n semitones up: 2^(n/12).
double SemitoneRate(double n);
