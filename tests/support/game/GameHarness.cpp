// GameHarness - the whole game in-process on the virtual clock.
#include "support/game/GameHarness.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/Startup.h"
#include "platform/Platform.h"
#include "platform/sound/SoundTesting.h"
#include "platform/Testing.h"
#include "shell/Game.h"
#include "shell/Globals.h"

void PrepareHeadlessPlatform()
{
    // Real OpenGL through Mesa without an X server; set before the video subsystem first starts.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    // The mix is rendered by hand in tests; no sound card is needed or wanted.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    UseVirtualClock(true);
    UseManualAudio(true);
    SetProgramExitHook([](int code) { throw TProgramExit{code}; });
}

void RestoreRealProgramExit()
{
    SetProgramExitHook(nullptr);
}

GameHarness::GameHarness(int seed)
{
    PrepareHeadlessPlatform();
    ResetGameState();
    Startup();
    // Start-up seeds from the clock; a fixed seed makes the questions the same on every run.
    SeedRandom(seed);
}

GameHarness::~GameHarness()
{
    ResetGameState();
}

bool GameHarness::Frame()
{
    return RunFrame();
}

bool GameHarness::Frames(int n)
{
    for (int i = 0; i < n; ++i)
        if (!RunFrame())
            return false;
    return true;
}

std::optional<int> GameHarness::RunUntilExit(int maxFrames)
{
    try {
        for (int i = 0; i < maxFrames; ++i)
            if (!RunFrame())
                EndProgram();
    } catch (const TProgramExit& exit) {
        return exit.code;
    }
    return std::nullopt;
}

void GameHarness::KeyDown(int key) { InjectKeyDown(key); }
void GameHarness::KeyUp(int key) { InjectKeyUp(key); }
void GameHarness::Press(int key) { InjectKeyPress(key); }

void GameHarness::PressWithCtrl(int key)
{
    InjectKeyDown(KEY_LCONTROL);
    InjectKeyPress(key);
}

void GameHarness::ReleaseCtrl() { InjectKeyUp(KEY_LCONTROL); }

void GameHarness::Type(const std::string& text)
{
    for (char32_t c : DecodeUtf8(text))
        InjectTypedChar(int(c));
}

void GameHarness::Click(int button) { InjectMouseClick(button); }
void GameHarness::MoveMouse(int x, int y) { InjectMouseMove(x, y); }

void GameHarness::CloseWindow()
{
    TInputEvent event{TInputEvent::Close};
    ProcessInputEvent(event);
}

void GameHarness::Redraw()
{
    game->Draw();
}

uint32_t GameHarness::Pixel(int x, int y)
{
    return ReadPixel(x, y);
}

void GameHarness::StartCapturingStdout()
{
    testing::internal::CaptureStdout();
}

std::string GameHarness::StopCapturingStdout()
{
    return testing::internal::GetCapturedStdout();
}
