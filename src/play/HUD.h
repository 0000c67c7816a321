// HUD - the heads-up strips of the game screen: level, goal, score, combo and the level timer.
#pragma once

#include <memory>

#include "toolkit/Label.h"
#include "toolkit/StatLabel.h"

class THUD;
using THUDPtr = std::shared_ptr<THUD>;

class THUD {
public:
    // The time bar, in play-field coordinates: centred, just above the bottom edge.
    static constexpr int TIMER_BAR_WIDTH = 400;
    static constexpr int TIMER_BAR_HEIGHT = 30;

    virtual ~THUD() = default;

    TStatLabelPtr comboLabel;
    TStatLabelPtr goalLabel;
    TStatLabelPtr levelLabel;
    TStatLabelPtr scoreLabel;
    TLabelPtr timeLabel;       // seconds left, two digits
    TLabelPtr moreTimeLabel;   // "x1.5" left of the bar when every limit is stretched; null otherwise

    // A HUD on which Init has already run; reads player, profile and level.
    static THUDPtr Create();

    // Builds the five labels, then UpdateAll.
    virtual int Init();
    // Strips, the four statistics, then the timer; fixed on the screen whatever the zoom.
    virtual int Draw();
    // Empty bar, red time-left part, outline, then the seconds over it.
    virtual int DrawTimerBar();
    // The timer bar with a pause sign beside it, for the paused game's overlay.
    virtual int DrawStoppedTimer();
    virtual int UpdateCombo();
    virtual int UpdateGoal();
    virtual int UpdateScore();
    // Seconds left, rounded up.
    virtual int UpdateTime();
    // Combo, goal, score, time, in this order.
    virtual int UpdateAll();

    // Width of the red part: trunc(timeLeft / timeLimit * 400); 0 when the limit is not positive.
    static int TimerBarFill(int timeLeft, int timeLimit);
    // Whole seconds shown for a number of frames left, rounded up.
    static int SecondsShown(int framesLeft);
};
