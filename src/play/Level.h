// Level - one level of play: makes the questions, holds the right answer, runs the level timer.
#pragma once

#include <memory>
#include <string>

#include "toolkit/Label.h"

class TLevel;
using TLevelPtr = std::shared_ptr<TLevel>;

class TLevel {
public:
    virtual ~TLevel() = default;

    int width = 1024;         // play field the player, its messages and the time bar are placed by
    int height = 768;
    int timeLeft = 0;         // frames before the time runs out
    int timeLimit = 3600;     // frames the level allows in all; set by Init
    int answer = 0;           // right answer of the question on show
    std::string currentQuestion;
    TLabelPtr questionLabel;

    // A level with its defaults; Init has not run.
    static TLevelPtr Create();

    // The question, hidden while either of the player's animations plays.
    virtual int Draw();
    // Replaces the question on show by a new one whose text differs from it.
    virtual int GenerateQuestion();
    // One frame of the timer: held during the success animation; calls TimeUp on the frame it hits 0.
    virtual int Logic();
    // The question label, the first question, then the timer from profile->level.
    virtual int Init();

    // Frames allowed at the given level: 3600 at level 1, 300 fewer each level, never under 900.
    static int TimeLimitForLevel(int levelNumber);
};
