// TLevelCompleteScreen - between two levels: the score so far, the time left and the bonus it earns;
// closing it adds the bonus and starts the next level.
#pragma once

#include <memory>
#include <string>

#include "play/ResultScreen.h"

class TLevelCompleteScreen;
using TLevelCompleteScreenPtr = std::shared_ptr<TLevelCompleteScreen>;

class TLevelCompleteScreen : public TResultScreen {
public:
    // Level-complete music, the select sound, and the tally of the finished level.
    int Init() override;

    // Named "Level Complete", Init already run.
    static TLevelCompleteScreenPtr Create();
    // Adds the time bonus, raises the level, select sound, then the next level's game screen.
    int Close() override;
    // Seconds left in the finished level, kept in double precision: the bonus depends on the last bits.
    double GetSeconds();

    // The tally as pure functions of the frames left, so the text and the bonus can be checked alone.
    static double SecondsForFrames(int framesLeft);
    // Two points per whole second left.
    static int TimeBonusForFrames(int framesLeft);
    // "10.00 secs": the single-precision seconds to nine significant digits, cut to five characters.
    static std::string TimeLeftText(int framesLeft);

protected:
    // "Level N Complete!" for the profile's level, made again only when that changes.
    const std::string& HeadingText() override;

private:
    std::string heading;
    int headingLevel = 0;   // the level `heading` names; 0 before it is first made
};
