// Shared set-up of the toolkit tests: headless platform, a fresh renderer and game, the game's font.
#pragma once

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Renderer.h"
#include "support/game/GameHarness.h"

class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrepareHeadlessPlatform();
        game = TGame::Create();
        renderer = TRenderer::Create();
        ClearKeys();
        // Null when the data or the real font loader is missing: the built-in font then stands in, and
        // every expectation below is computed from the measures of whatever font is in use.
        font = LoadFontFile("Data/Fonts/beware.ttf", 64, FONT_STYLE_SMOOTH);
        SetDrawFont(nullptr);
    }
    void TearDown() override
    {
        ClearKeys();
        renderer.reset();
        game.reset();
    }

    // Unscaled width of a text in the test font, as the drawing layer measures it.
    int Measure(const std::string& text)
    {
        SetDrawFont(font);
        int w = MeasureTextWidth(text);
        SetDrawFont(nullptr);
        return w;
    }
    int MeasureHeight()
    {
        SetDrawFont(font);
        int h = MeasureTextHeight("");
        SetDrawFont(nullptr);
        return h;
    }

    TImageFontPtr font;
};
