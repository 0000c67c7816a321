// TLevelCompleteScreen - the tally between two levels and the step to the next one.
#include "play/LevelCompleteScreen.h"

#include <cmath>
#include <cstdio>

#include "platform/Language.h"
#include "play/GameScreen.h"
#include "play/Level.h"
#include "play/Player.h"
#include "play/Profile.h"
#include "shell/Color.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Helpers.h"

namespace {
// Milliseconds per frame as a single-precision constant. It is a little under 1000 / 60, so a whole
// number of seconds comes out just below that number (600 frames give 9.9999996), and the bonus,
// which floors the seconds, depends on exactly this value.
constexpr float MILLIS_PER_FRAME = 16.666666f;
}

double TLevelCompleteScreen::SecondsForFrames(int framesLeft)
{
    // Formed in double precision: rounding to single precision first would turn 9.9999996 into 10.
    return double(framesLeft) * double(MILLIS_PER_FRAME) / 1000.0;
}

int TLevelCompleteScreen::TimeBonusForFrames(int framesLeft)
{
    return int(std::floor(SecondsForFrames(framesLeft)) * 2.0);
}

std::string TLevelCompleteScreen::TimeLeftText(int framesLeft)
{
    // The text shows the single-precision value, which does reach 10 for 600 frames ("10.00"), while
    // the bonus above keeps the double value; "%#.9g" keeps trailing zeros, so 0 frames read "0.000".
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%#.9g", double(float(SecondsForFrames(framesLeft))));
    // TRANSLATORS: the seconds left when the level was won, such as 12.56; a short unit is best.
    return TranslateWith("%s secs", LocalDecimal(std::string(buffer).substr(0, 5)));
}

TLevelCompleteScreenPtr TLevelCompleteScreen::Create()
{
    auto screen = std::make_shared<TLevelCompleteScreen>();
    screen->name = "Level Complete";
    screen->Init();
    return screen;
}

double TLevelCompleteScreen::GetSeconds()
{
    // The finished level stays in its global, frozen, while this screen is shown.
    return SecondsForFrames(level ? level->timeLeft : 0);
}

int TLevelCompleteScreen::Init()
{
    const int framesLeft = level ? level->timeLeft : 0;
    // The score before the bonus: the bonus is added only when the screen closes.
    InitResult("levelcomplete.ogg",
               {{Translate("Current Score:"), PadWithZeros(std::to_string(profile ? profile->score : 0), 5)},
                {Translate("Time Left:"), TimeLeftText(framesLeft)},
                {Translate("Time Bonus:"),
                 // Every language's own plural, where English keeps "points" even for one.
                 // TRANSLATORS: the points the time left adds to the score; keep the "+ ".
                 TranslateCount("+ %d points", "+ %d points", TimeBonusForFrames(framesLeft))},
                {Translate("Best Combo:"), std::to_string(player ? player->bestCombo : 0)}},
               605, TColor::Create(100, 255, 100, 1.0f));
    HeadingText();
    return 0;
}

const std::string& TLevelCompleteScreen::HeadingText()
{
    // Read every frame; the level is raised only by Close, so this names the level just finished.
    const int levelNumber = profile ? profile->level : 1;
    if (levelNumber != headingLevel || heading.empty()) {
        heading = TranslateWith("Level %d Complete!", std::to_string(levelNumber));
        headingLevel = levelNumber;
    }
    return heading;
}

int TLevelCompleteScreen::Close()
{
    // The same frozen timeLeft as in Init, so the bonus added is the bonus shown.
    profile->level += 1;
    profile->score += int(std::floor(GetSeconds()) * 2.0);
    game->PlayGameSound(selectSound, selectChannel, 1.0f, 1.0f);
    game->ChangeScreen(TGameScreen::Create());
    return 0;
}
