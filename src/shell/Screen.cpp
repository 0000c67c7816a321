// TScreen - the do-nothing base screen.
#include "shell/Screen.h"

TScreenPtr TScreen::Create()
{
    auto screen = std::make_shared<TScreen>();
    screen->Init();
    return screen;
}
