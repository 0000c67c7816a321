// TGameOverScreen - the run's final statistics, fixed when the screen is made.
#include "play/GameOverScreen.h"

#include <string>

#include "platform/Language.h"
#include "play/Profile.h"
#include "play/TitleScreen.h"
#include "records/SavedState.h"
#include "shell/Color.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Helpers.h"
#include "shell/Renderer.h"
#include "shell/TextFit.h"

namespace {
// "New best!" stands right of the best score's row.
constexpr float NEW_BEST_X = 780.0f;
}

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
    // TRANSLATORS: the heading of the screen that ends a run.
    heading = Translate("Game Over");
    InitResult("gameover.ogg",
               {{Translate("Final Score:"), PadWithZeros(std::to_string(run->score), 5)},
                {Translate("Final Level:"), std::to_string(run->level)},
                {Translate("Biggest Combo:"), std::to_string(run->biggestCombo)},
                {Translate("Wrong Answers:"), std::to_string(run->wrongAnswers)}},
               635, TColor::Create(255, 50, 50, 1.0f));

    // The run is entered in its mode's table once, as the run ends; a screen made without a run records
    // nothing. The save runs beside the frames, so the screen is up at once; its best row comes when
    // the save knows it (ShowSavedRun).
    if (game->saved && profile)
        save = game->saved->SaveRun(profile->gameMode, profile->score, profile->level, TodaysDate());
    return 0;
}

void TGameOverScreen::ShowSavedRun()
{
    const std::optional<TSavedState::TRunResult> result = game->saved->SavedRun(save);
    if (!result)
        return;
    save = nullptr;
    // The best is shown only when the mode has one: a first run that scored nothing is not kept, and
    // "00000" would be no one's best.
    if (result->best <= 0)
        return;
    AddRow({Translate("Best Score:"), PadWithZeros(std::to_string(result->best), 5)});
    if (result->newBest) {
        newBestLabel = TLabel::Create(Translate("New best!"), NEW_BEST_X, 360, gameFont, 0.5f, 0.8f);
        FitLabelWidth(*newBestLabel, float(renderer->screenWidth) - NEW_BEST_X - FIT_MARGIN);
        newBestLabel->SetColor(255, 255, 0, 1.0f);
        newBestLabel->SetShadow(2, 2, 0.5f);
    }
}

int TGameOverScreen::Logic()
{
    if (save && game->saved)
        ShowSavedRun();
    return TResultScreen::Logic();
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
