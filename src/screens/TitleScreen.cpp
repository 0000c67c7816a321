// TTitleScreen - the game's name, the mode menu and the way out of the program.
#include "screens/TitleScreen.h"

#include "gameplay/GameScreen.h"
#include "gameplay/Profile.h"
#include "platform/Platform.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Helpers.h"
#include "shell/Renderer.h"
#include "shell/Startup.h"
#include "toolkit/Color.h"
#include "toolkit/Shadow.h"

namespace {
// Row k of the menu starts mode k, so these follow the profile's mode constants in order.
const char* const MODE_NAMES[] = {"Addition", "Subtraction", "Multiplication", "Division", "All of the Above"};
constexpr int MODE_COUNT = 5;
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
    optionColumn = TLabelColumn::Create(350, 260, 40, gameFont, 0.5f, 0.8f, TColor::Create(150, 255, 255, 1.0f),
                                        TShadow::Create(2, 2, 0.5f));
    for (int k = 0; k < MODE_COUNT; ++k) {
        numberColumn->AddLabel(std::to_string(k + 1) + ":");
        optionColumn->AddLabel(MODE_NAMES[k]);
    }
    // Past the longest name, in the menu's font and a quieter shade of its colour; a mode with no
    // finished run yet shows nothing.
    if (game->saved) {
        // Another copy of the game may have saved a run since this one last looked.
        game->saved->RefreshScores();
        bestColumn = TLabelColumn::Create(700, 260, 40, gameFont, 0.5f, 0.8f, TColor::Create(90, 150, 160, 1.0f),
                                          TShadow::Create(2, 2, 0.5f));
        for (int k = 0; k < MODE_COUNT; ++k) {
            const int best = game->saved->scores.Best(k);
            bestColumn->AddLabel(best > 0 ? "Best " + PadWithZeros(std::to_string(best), 5) : "");
        }
    }

    headingColor = TColor::Create(100, 150, 255, 1.0f);
    headingShadow = TShadow::Create(3, 3, 0.5f);
    promptColor = TColor::Create(100, 255, 100, 1.0f);
    hintColor = TColor::Create(255, 255, 0, 1.0f);
    textShadow = TShadow::Create(2, 2, 0.5f);
    prompt = "Choose a Mode:";
    hint = "Press <Esc> to Exit";
    return 0;
}

int TTitleScreen::Logic()
{
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
    renderer->OutputText(prompt, 300, 200, gameFont, 0.5f, 0.8f, promptColor, textShadow);
    numberColumn->Draw();
    optionColumn->Draw();
    if (bestColumn)
        bestColumn->Draw();
    renderer->OutputText(hint, 300, float(renderer->screenHeight - 100), gameFont, 0.5f, 0.8f, hintColor, textShadow);
    return 0;
}

int TTitleScreen::StartGame()
{
    StartRunRandom();
    profile = TProfile::Create();
    return 0;
}
