// TGameOverScreen - the end of a run: the final statistics, then back to the title on a key or a click.
#pragma once

#include <memory>

#include "platform/sound/Sound.h"
#include "shell/Screen.h"
#include "toolkit/LabelColumn.h"

class TGameOverScreen;
using TGameOverScreenPtr = std::shared_ptr<TGameOverScreen>;

class TGameOverScreen : public TScreen {
public:
    TSoundPtr selectSound;
    TChannelPtr selectChannel;
    TLabelColumnPtr statColumn;   // the four row names
    TLabelColumnPtr numColumn;    // the four values, as text fixed at Init

    int Draw() override;
    // Game-over music, the select sound, and the profile's statistics turned into text once.
    int Init() override;
    // Escape, Space, Enter or any mouse button closes the screen.
    int Logic() override;

    // Named "Game Over", Init already run.
    static TGameOverScreenPtr Create();
    // Select sound, then a new title screen.
    int Close();
};
