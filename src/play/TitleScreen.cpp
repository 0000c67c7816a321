// TTitleScreen - the game's name, the mode menu and the way out of the program.
#include "play/TitleScreen.h"

#include "platform/Language.h"
#include "platform/Platform.h"
#include "play/GameScreen.h"
#include "play/Profile.h"
#include "play/Spoken.h"
#include "records/SavedState.h"
#include "shell/Access.h"
#include "shell/Color.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Helpers.h"
#include "shell/Renderer.h"
#include "shell/Shadow.h"
#include "shell/TextFit.h"

namespace {
// Row k of the menu starts mode k, so these follow the profile's mode constants in order.
const char* const MODE_NAMES[] = {ToTranslate("Addition"), ToTranslate("Subtraction"),
                                  ToTranslate("Multiplication"), ToTranslate("Division"),
                                  ToTranslate("All of the Above")};
constexpr int MODE_COUNT = 5;
// Where the columns begin: a mode's name has the room up to the best scores, or to the screen's edge.
constexpr float OPTIONS_X = 350.0f, BEST_X = 700.0f, TEXT_X = 300.0f;
}

TTitleScreenPtr TTitleScreen::Create()
{
    auto screen = std::make_shared<TTitleScreen>();
    screen->name = "Title";
    screen->Init();
    return screen;
}

int TTitleScreen::Init()
{
    game->LoadMusic(MUSIC_FILE, SOUND_LOOP);
    game->PlayMusic();
    selectSound = game->LoadGameSound("select.wav", 0);

    numberColumn = TLabelColumn::Create(300, 260, 40, gameFont, 0.5f, 0.8f, TColor::Create(255, 255, 255, 1.0f),
                                        TShadow::Create(2, 2, 0.5f));
    optionColumn = TLabelColumn::Create(OPTIONS_X, 260, 40, gameFont, 0.5f, 0.8f, TColor::Create(150, 255, 255, 1.0f),
                                        TShadow::Create(2, 2, 0.5f));
    const float width = float(renderer->screenWidth);
    const float optionsEnd = game->saved ? BEST_X : width;
    for (int k = 0; k < MODE_COUNT; ++k) {
        numberColumn->AddLabel(std::to_string(k + 1) + ":");
        FitLabelWidth(*optionColumn->AddLabel(Translate(MODE_NAMES[k])), optionsEnd - OPTIONS_X - FIT_MARGIN);
    }
    // Past the longest name, in the menu's font and a quieter shade of its colour; a mode with no
    // finished run yet shows nothing.
    if (game->saved)
        ShowBests();

    headingColor = TColor::Create(100, 150, 255, 1.0f);
    headingShadow = TShadow::Create(3, 3, 0.5f);
    promptColor = TColor::Create(100, 255, 100, 1.0f);
    hintColor = TColor::Create(255, 255, 0, 1.0f);
    textShadow = TShadow::Create(2, 2, 0.5f);
    prompt = Translate("Choose a Mode:");
    hint = Translate("Press <Esc> to Exit");
    promptScaleX = FittedScaleX(prompt, gameFont, 0.5f, width - TEXT_X - FIT_MARGIN);
    hintScaleX = FittedScaleX(hint, gameFont, 0.5f, width - TEXT_X - FIT_MARGIN);
    AnnounceChoices();
    return 0;
}

void TTitleScreen::AnnounceChoices() const
{
    if (!Speaking())
        return;
    // The menu as it reads, row by row, with a mode's best score beside it.
    std::string words = prompt;
    for (int k = 0; k < MODE_COUNT; ++k) {
        std::string row = std::to_string(k + 1) + ": " + Translate(MODE_NAMES[k]);
        if (const int best = game->saved ? game->saved->scores.Best(k) : 0)
            row += ", " + TranslateWith("Best %s", std::to_string(best));
        words = SpokenSentences(words, row);
    }
    // TRANSLATORS: said aloud in the spoken mode after the title's choices: where the pause is and the
    // way out.
    Announce(SpokenSentences(words, Translate("P pauses a game at any time. Escape quits.")));
}

void TTitleScreen::ShowBests()
{
    // Another copy of the game may have saved a run since this one last looked; a save of this one's
    // that still runs leaves its table for a later frame.
    game->saved->RefreshScores();
    bestsWaiting = game->saved->Saving();
    bestColumn = TLabelColumn::Create(BEST_X, 260, 40, gameFont, 0.5f, 0.8f, TColor::Create(90, 150, 160, 1.0f),
                                      TShadow::Create(2, 2, 0.5f));
    for (int k = 0; k < MODE_COUNT; ++k) {
        const int best = game->saved->scores.Best(k);
        const TLabelPtr label =
            // TRANSLATORS: beside a mode's name, that mode's best score (five digits).
            bestColumn->AddLabel(best > 0 ? TranslateWith("Best %s", PadWithZeros(std::to_string(best), 5)) : "");
        FitLabelWidth(*label, float(renderer->screenWidth) - BEST_X - FIT_MARGIN);
    }
}

int TTitleScreen::Logic()
{
    if (bestsWaiting && !game->saved->Saving())
        ShowBests();

    // Escape wins over everything: the program ends and no run may start in the same frame.
    if (KeyWasHit(KEY_ESCAPE)) {
        game->endGame = 1;
        return 0;
    }

    // Counting upwards lets the highest digit hit this frame win. The keypad is asked only when the
    // main-keyboard digit was not hit, so its hit stays pending; the screen change clears it anyway.
    int selection = -1;
    for (int k = 1; k <= MODE_COUNT; ++k) {
        if (KeyWasHit(KEY_1 + k - 1) || KeyWasHit(KEY_NUMPAD1 + k - 1))
            selection = k - 1;
    }
    if (selection == -1)
        return 0;

    game->PlayGameSound(selectSound, selectChannel, 1.0f, 1.0f);
    StartGame();
    // The game screen reads the mode while it builds the level, so it is set before the screen is made.
    profile->gameMode = selection;
    game->ChangeScreen(TGameScreen::Create());
    return 0;
}

int TTitleScreen::Draw()
{
    renderer->OutputTextCentered(game->name, 10, gameFont, 1.5f, 3.0f, headingColor, headingShadow);
    renderer->OutputText(prompt, TEXT_X, 200, gameFont, promptScaleX, 0.8f, promptColor, textShadow);
    numberColumn->Draw();
    optionColumn->Draw();
    if (bestColumn)
        bestColumn->Draw();
    renderer->OutputText(hint, TEXT_X, float(renderer->screenHeight - 100), gameFont, hintScaleX, 0.8f, hintColor,
                         textShadow);
    return 0;
}

namespace {
// Each new run: with a launch's fixed seed, the generators start from it again, so every run asks the
// same questions; otherwise questions and effects share the one generator, as seeded at start-up.
void StartRunRandom()
{
    if (game->launchSeed) {
        SeedRandom(*game->launchSeed);
        SeedQuestionRandom(*game->launchSeed);
    } else {
        StopQuestionRandom();
    }
}
}

int TTitleScreen::StartGame()
{
    StartRunRandom();
    profile = TProfile::Create();
    return 0;
}
