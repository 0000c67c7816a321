// Profile - what lasts for one whole run: the mode, the level reached, lives, score and run statistics.
#pragma once

#include <memory>

class TProfile;
using TProfilePtr = std::shared_ptr<TProfile>;

class TProfile {
public:
    // Values of gameMode: the kind of question asked.
    static constexpr int MODE_ADDITION = 0;
    static constexpr int MODE_SUBTRACTION = 1;
    static constexpr int MODE_MULTIPLICATION = 2;
    static constexpr int MODE_DIVISION = 3;
    static constexpr int MODE_ALL = 4;   // each question picks one of the four above at random

    virtual ~TProfile() = default;

    int biggestCombo = 0;   // longest run of right answers in any level of the run
    int level = 1;          // the level being played, from 1
    int lives = 1;          // never below 0
    int gameMode = MODE_ADDITION;
    int score = 0;
    int wrongAnswers = 0;

    // A fresh run: level 1, one life, addition, every counter 0.
    static TProfilePtr Create();

    // lives += delta, floored at 0.
    virtual int UpdateLives(int delta);
    // score += delta, unbounded.
    virtual int UpdateScore(int delta);
};
