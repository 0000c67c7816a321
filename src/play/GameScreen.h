// GameScreen - the screen a level is played on: builds the level's objects and runs them each frame.
#pragma once

#include <memory>

#include "shell/Screen.h"
#include "toolkit/ParticleList.h"

class TGameScreen;
using TGameScreenPtr = std::shared_ptr<TGameScreen>;

class TGameScreen : public TScreen {
public:
    // The effects of the level in play, shared by every game screen; rebuilt by Init.
    static TParticleListPtr particleList;

    // A game screen on which Init has already run, named "Game".
    static TGameScreenPtr Create();

    // Question, answer field, effects, then the HUD on top.
    int Draw() override;
    // The HUD's timer, over the pause's dimmed picture, marked as stopped.
    int DrawPaused() override;
    // Level, player, HUD, the level's Init, particles, music, LevelStart, camera reset, keys cleared.
    int Init() override;
    // Escape, developer keys (test mode only), then level, player and particles.
    int Logic() override;
};
