// TGameOverScreen - the run's final statistics, fixed when the screen is made.
#include "screens/GameOverScreen.h"

#include <string>

#include "gameplay/Profile.h"
#include "screens/TitleScreen.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Helpers.h"
#include "toolkit/Color.h"

TGameOverScreenPtr TGameOverScreen::Create()
{
    auto screen = std::make_shared<TGameOverScreen>();
    screen->name = "Game Over";
    screen->Init();
    return screen;
}

int TGameOverScreen::Init()
{
    // Turned into text once: later changes to the profile do not show here. Without a run (the screen
    // made on its own) the rows show a fresh profile's values rather than dereferencing nothing.
    TProfilePtr run = profile ? profile : TProfile::Create();
    InitResult("gameover.ogg",
               {{"Final Score:", PadWithZeros(std::to_string(run->score), 5)},
                {"Final Level:", std::to_string(run->level)},
                {"Biggest Combo:", std::to_string(run->biggestCombo)},
                {"Wrong Answers:", std::to_string(run->wrongAnswers)}},
               635, TColor::Create(255, 50, 50, 1.0f));

    // The run is entered in its mode's table once, as the run ends; a screen made without a run records
    // nothing. The best is shown only when the mode has one: a first run that scored nothing is not
    // kept, and "00000" would be no one's best.
    if (game->saved && profile) {
        const TSavedState::TRunResult result =
            game->saved->RecordRun(profile->gameMode, profile->score, profile->level, TodaysDate());
        if (result.best <= 0)
            return 0;
        statColumn->AddLabel("Best Score:");
        numColumn->AddLabel(PadWithZeros(std::to_string(result.best), 5));
        if (result.newBest) {
            newBestLabel = TLabel::Create("New best!", 780, 360, gameFont, 0.5f, 0.8f);
            newBestLabel->SetColor(255, 255, 0, 1.0f);
            newBestLabel->SetShadow(2, 2, 0.5f);
        }
    }
    return 0;
}

int TGameOverScreen::Draw()
{
    TResultScreen::Draw();
    if (newBestLabel)
        newBestLabel->Draw();
    return 0;
}

int TGameOverScreen::Close()
{
    game->PlayGameSound(selectSound, selectChannel, 1.0f, 1.0f);
    game->ChangeScreen(TTitleScreen::Create());
    return 0;
}
