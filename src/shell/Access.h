// Access - the ways a player can ask the game to meet them: more time, calm motion, spoken words. All
// off by default, when the game is exactly as it always was.
#pragma once

#include <string>

struct TAccessModes {
    // Every level's time limit in percent of the usual one: 150 gives a 60-second level 90 seconds.
    int timePercent = 100;
    // No camera zoom; explosions fade where they stand instead of spinning and scattering.
    bool calm = false;
    // The questions, results, timer warnings and screens are spoken (and offered to screen readers).
    bool speak = false;
    // The same words, without the spoken mode's other changes: the browser writes them where screen
    // readers read them, whether or not the player asked for the spoken mode.
    bool describe = false;

    bool operator==(const TAccessModes&) const = default;
};

// Longest and shortest time factor, in percent: enough for a child who types slowly, without making
// a level a wait.
constexpr int MIN_TIME_PERCENT = 100;
constexpr int MAX_TIME_PERCENT = 400;

// The modes of this launch, set once by start-up (tests set their own).
void SetAccessModes(const TAccessModes& modes);
const TAccessModes& AccessModes();

// The factor as a player writes it: 150 is "1.5", 200 "2", 125 "1.25".
std::string TimeFactorText(int percent);
// Reads "1.5", "2" or "1.25" (at most two decimals, from 1 to 4) into percent; false for anything else.
bool ParseTimeFactor(const std::string& text, int& percent);

// True in the spoken mode: callers ask first, so that the usual game never even puts the words together.
inline bool Speaking() { return AccessModes().speak || AccessModes().describe; }
// Says the words when the spoken mode is on; nothing otherwise.
void Announce(const std::string& words);
