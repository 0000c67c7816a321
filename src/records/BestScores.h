// BestScores - the five best finished runs of each mode (score, level reached, date), and their text form.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct TBestScore {
    int score = 0;
    int level = 1;
    std::string date;   // YYYY-MM-DD, the player's local date when the run ended
};

class TBestScores;
using TBestScoresPtr = std::shared_ptr<TBestScores>;

class TBestScores {
public:
    static constexpr int KEPT = 5;
    static constexpr int MODE_COUNT = 5;
    // A full table is under 1 KiB; anything far larger is not one of ours.
    static constexpr size_t MAX_BYTES = 16384;

    // Per mode (the profile's mode numbers), best first; equal scores keep the order they were made in.
    std::array<std::vector<TBestScore>, MODE_COUNT> modes;

    // The table that text holds, or nothing (why says what is wrong) when the text is not exactly a table
    // this game writes: another program's file, a cut or damaged one, or one edited by hand.
    static std::optional<TBestScores> Parse(const std::string& text, std::string& why);
    // The text form, ending in a checksum line so that a cut or damaged file is recognised.
    std::string Format() const;

    // Enters a finished run: its place in the mode's table from 0, or -1 when it is not among the best
    // (a score of 0 is never kept: there is nothing to beat).
    int Add(int mode, const TBestScore& run);
    // The mode's best score, 0 when it has none.
    int Best(int mode) const;
};
