// TGameOverScreen - the run's final statistics, fixed when the screen is made.
#include "screens/GameOverScreen.h"

#include <string>

#include "gameplay/Profile.h"
#include "platform/Platform.h"
#include "screens/TitleScreen.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Helpers.h"
#include "shell/Renderer.h"
#include "toolkit/Color.h"
#include "toolkit/Shadow.h"

TGameOverScreenPtr TGameOverScreen::Create()
{
    auto screen = std::make_shared<TGameOverScreen>();
    screen->name = "Game Over";
    screen->Init();
    return screen;
}

int TGameOverScreen::Init()
{
    game->LoadMusic("gameover.ogg", SOUND_LOOP);
    game->PlayMusic();
    selectSound = game->LoadGameSound("select.wav", 0);

    statColumn = TLabelColumn::Create(260, 200, 40, gameFont, 0.5f, 0.8f, TColor::Create(150, 255, 255, 1.0f),
                                      TShadow::Create(2, 2, 0.5f));
    statColumn->AddLabel("Final Score:");
    statColumn->AddLabel("Final Level:");
    statColumn->AddLabel("Biggest Combo:");
    statColumn->AddLabel("Wrong Answers:");

    // Turned into text once: later changes to the profile do not show here. Without a run (the screen
    // made on its own) the rows show a fresh profile's values rather than dereferencing nothing.
    TProfilePtr run = profile ? profile : TProfile::Create();
    numColumn = TLabelColumn::Create(635, 200, 40, gameFont, 0.5f, 0.8f, TColor::Create(255, 255, 255, 1.0f),
                                     TShadow::Create(2, 2, 0.5f));
    numColumn->AddLabel(PadWithZeros(std::to_string(run->score), 5));
    numColumn->AddLabel(std::to_string(run->level));
    numColumn->AddLabel(std::to_string(run->biggestCombo));
    numColumn->AddLabel(std::to_string(run->wrongAnswers));
    return 0;
}

int TGameOverScreen::Logic()
{
    if (KeyWasHit(KEY_ESCAPE))
        Close();
    // Close has cleared every key and click, so a frame with Escape and Space closes only once.
    if (KeyWasHit(KEY_SPACE) || KeyWasHit(KEY_ENTER) || AnyMouseHit())
        Close();
    return 0;
}

int TGameOverScreen::Draw()
{
    // Made once: the drawing only reads them, and a frame need not allocate.
    static const TColorPtr headingColor = TColor::Create(255, 50, 50, 1.0f);
    static const TShadowPtr headingShadow = TShadow::Create(3, 3, 0.5f);
    static const TColorPtr hintColor = TColor::Create(255, 255, 0, 1.0f);
    static const TShadowPtr hintShadow = TShadow::Create(2, 2, 0.5f);

    renderer->OutputTextCentered("Game Over", float(renderer->screenHeight / 2 - 300), gameFont, 1.0f, 1.5f,
                                 headingColor, headingShadow);
    statColumn->Draw();
    numColumn->Draw();
    // A temporary of a text this long would allocate on every frame.
    static const std::string hint = "Press <Space> to Continue";
    renderer->OutputTextCentered(hint, 700, gameFont, 0.5f, 0.8f, hintColor, hintShadow);
    return 0;
}

int TGameOverScreen::Close()
{
    game->PlayGameSound(selectSound, selectChannel, 1.0f, 1.0f);
    game->ChangeScreen(TTitleScreen::Create());
    return 0;
}
