// TPlaceholderScreen - the game's name on the background, until the title screen exists.
#include "shell/PlaceholderScreen.h"

#include "platform/Platform.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Renderer.h"

TPlaceholderScreenPtr TPlaceholderScreen::Create()
{
    auto screen = std::make_shared<TPlaceholderScreen>();
    screen->name = "Calcadia";
    screen->Init();
    return screen;
}

int TPlaceholderScreen::Draw()
{
    renderer->OutputTextCentered(game->name, 300.0f, gameFont, 1.0f, 1.0f, TColor::Create(255, 255, 255, 1.0f),
                                 TShadow::Create(3.0f, 3.0f, 0.5f));
    return 0;
}

int TPlaceholderScreen::Init()
{
    return 0;
}

int TPlaceholderScreen::Logic()
{
    if (KeyWasHit(KEY_ESCAPE))
        game->endGame = 1;
    return 0;
}
