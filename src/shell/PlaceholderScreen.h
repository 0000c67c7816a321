// TPlaceholderScreen - the plain first screen until the title screen takes its place: the game's name,
// centred; Escape ends the program as it will on the title screen.
#pragma once

#include "shell/Screen.h"

class TPlaceholderScreen;
using TPlaceholderScreenPtr = std::shared_ptr<TPlaceholderScreen>;

class TPlaceholderScreen : public TScreen {
public:
    static TPlaceholderScreenPtr Create();

    int Draw() override;
    int Init() override;
    int Logic() override;
};
