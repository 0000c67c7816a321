// Shared set-up of the gameplay tests: the whole game on the virtual clock with a level started directly,
// and helpers that type answers frame by frame and look at the effects on screen.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Testing.h"
#include "play/GameScreen.h"
#include "play/HUD.h"
#include "play/Level.h"
#include "play/Player.h"
#include "play/Profile.h"
#include "shell/Access.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Renderer.h"
#include "support/game/GameHarness.h"
#include "toolkit/ImageBank.h"

class GameplayTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        UseEventAwaiter(nullptr);
        UseFakeRefreshRate(0);
        harness.reset();
        TGameScreen::particleList = nullptr;
    }

    // A fresh game, then a new run in the mode and level given, straight onto its game screen.
    void StartLevel(int mode = TProfile::MODE_ADDITION, int levelNumber = 1, int seed = 4242)
    {
        // One game at a time: the old harness's teardown would otherwise drop the new game's globals.
        harness.reset();
        harness = std::make_unique<GameHarness>(seed);
        SetAccessModes(modes);
        profile = TProfile::Create();
        profile->gameMode = mode;
        profile->level = levelNumber;
        game->ChangeScreen(TGameScreen::Create());
    }

    // One character into the typed queue and one frame to take it.
    void TypeChar(char c)
    {
        harness->Type(std::string(1, c));
        harness->Frame();
    }
    void TypeText(const std::string& text)
    {
        for (char c : text)
            TypeChar(c);
    }
    void AnswerRight() { TypeText(std::to_string(level->answer)); }
    // A wrong answer with as many digits as the right one, so it is judged without Enter.
    std::string WrongText() const
    {
        const int a = level->answer;
        return std::to_string(a % 10 == 9 ? a - 1 : a + 1);
    }
    void AnswerWrong() { TypeText(WrongText()); }
    void PressEnter() { TypeChar('\r'); }

    std::string ScreenName() const { return game->currentScreen ? game->currentScreen->name : ""; }

    std::vector<TParticlePtr> Particles() const
    {
        std::vector<TParticlePtr> all;
        if (TGameScreen::particleList)
            for (const TParticlePtr& p : *TGameScreen::particleList)
                all.push_back(p);
        return all;
    }
    // The live text particles showing exactly this text.
    std::vector<TParticlePtr> TextParticles(const std::string& text) const
    {
        std::vector<TParticlePtr> found;
        for (const TParticlePtr& p : Particles())
            if (p->text == text)
                found.push_back(p);
        return found;
    }
    int ImageParticles(const std::string& imageName) const
    {
        const TGameImagePtr image = imageBank->Find(imageName);
        int n = 0;
        for (const TParticlePtr& p : Particles())
            if (p->gameImage == image)
                ++n;
        return n;
    }
    static void ExpectColor(const TParticlePtr& p, int r, int g, int b)
    {
        ASSERT_TRUE(p->color);
        EXPECT_EQ(p->color->R, r);
        EXPECT_EQ(p->color->G, g);
        EXPECT_EQ(p->color->B, b);
    }

    std::unique_ptr<GameHarness> harness;
    // The modes the next StartLevel plays in; the harness's end puts the defaults back.
    TAccessModes modes;
};
