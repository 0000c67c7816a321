// TLevelCompleteScreen - the tally between two levels and the step to the next one.
#include "screens/LevelCompleteScreen.h"

#include <cmath>
#include <cstdio>

#include "gameplay/GameScreen.h"
#include "gameplay/Level.h"
#include "gameplay/Player.h"
#include "gameplay/Profile.h"
#include "platform/Platform.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Helpers.h"
#include "shell/Renderer.h"
#include "toolkit/Color.h"
#include "toolkit/Shadow.h"

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
    return std::string(buffer).substr(0, 5) + " secs";
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
    game->LoadMusic("levelcomplete.ogg", SOUND_LOOP);
    game->PlayMusic();
    selectSound = game->LoadGameSound("select.wav", 0);

    statColumn = TLabelColumn::Create(260, 200, 40, gameFont, 0.5f, 0.8f, TColor::Create(150, 255, 255, 1.0f),
                                      TShadow::Create(2, 2, 0.5f));
    statColumn->AddLabel("Current Score:");
    statColumn->AddLabel("Time Left:");
    statColumn->AddLabel("Time Bonus:");
    statColumn->AddLabel("Best Combo:");

    const int framesLeft = level ? level->timeLeft : 0;
    numColumn = TLabelColumn::Create(605, 200, 40, gameFont, 0.5f, 0.8f, TColor::Create(255, 255, 255, 1.0f),
                                     TShadow::Create(2, 2, 0.5f));
    // The score before the bonus: the bonus is added only when the screen closes.
    numColumn->AddLabel(PadWithZeros(std::to_string(profile ? profile->score : 0), 5));
    numColumn->AddLabel(TimeLeftText(framesLeft));
    numColumn->AddLabel("+ " + std::to_string(TimeBonusForFrames(framesLeft)) + " points");
    numColumn->AddLabel(std::to_string(player ? player->bestCombo : 0));
    return 0;
}

int TLevelCompleteScreen::Logic()
{
    // Escape continues like Space: leaving mid-run is the game screen's business, not this one's.
    if (KeyWasHit(KEY_ESCAPE))
        Close();
    // Close has cleared every key and click, so several presses in one frame close only once.
    if (KeyWasHit(KEY_SPACE) || KeyWasHit(KEY_ENTER) || AnyMouseHit())
        Close();
    return 0;
}

int TLevelCompleteScreen::Draw()
{
    // Made once: the drawing only reads them, and a frame need not allocate.
    static const TColorPtr headingColor = TColor::Create(100, 255, 100, 1.0f);
    static const TShadowPtr headingShadow = TShadow::Create(3, 3, 0.5f);
    static const TColorPtr hintColor = TColor::Create(255, 255, 0, 1.0f);
    static const TShadowPtr hintShadow = TShadow::Create(2, 2, 0.5f);

    // Texts longer than a short string's inline room would allocate on every frame as temporaries.
    static const std::string hint = "Press <Space> to Continue";
    static std::string heading;

    // Read every frame; the level is raised only by Close, so this names the level just finished.
    const int levelNumber = profile ? profile->level : 1;
    heading.assign("Level ");
    heading += std::to_string(levelNumber);
    heading += " Complete!";
    renderer->OutputTextCentered(heading, float(renderer->screenHeight / 2 - 300), gameFont, 1.0f, 1.5f, headingColor,
                                 headingShadow);
    statColumn->Draw();
    numColumn->Draw();
    renderer->OutputTextCentered(hint, 700, gameFont, 0.5f, 0.8f, hintColor, hintShadow);
    return 0;
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
