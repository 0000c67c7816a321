// Helpers shared by the whole-game tests of the front-end screens: where the game is, what plays,
// and playing answers as a person would type them.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Testing.h"
#include "play/Level.h"
#include "play/Player.h"
#include "play/Profile.h"
#include "shell/Color.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Helpers.h"
#include "shell/Renderer.h"
#include "shell/Shadow.h"
#include "support/game/GameHarness.h"
#include "toolkit/LabelColumn.h"

inline std::string ScreenName()
{
    return game && game->currentScreen ? game->currentScreen->name : "";
}

// True when the named piece is the current music and its channel is sounding. The load cache hands
// out one object per file, so identity says which file it is.
inline bool MusicIs(const std::string& file)
{
    TSoundPtr expected = LoadSoundFile(game->musicPath + file, SOUND_LOOP);
    return expected && game->currentMusic == expected && game->musicChannel && game->musicChannel->Playing();
}

inline std::vector<std::string> ColumnTexts(const TLabelColumnPtr& column)
{
    std::vector<std::string> texts;
    for (const auto& label : *column)
        texts.push_back(label->text);
    return texts;
}

// Frames until the named screen is current; false when it has not come within maxFrames.
inline bool RunUntilScreen(GameHarness& h, const std::string& name, int maxFrames)
{
    for (int i = 0; i < maxFrames && ScreenName() != name; ++i)
        h.Frame();
    return ScreenName() == name;
}

// Types the text one character a frame, as the answer field takes them; the answer is judged in the
// frame of its last digit.
inline void TypeAnswer(GameHarness& h, const std::string& text)
{
    for (char c : text) {
        h.Type(std::string(1, c));
        h.Frame();
    }
}

inline std::string RightAnswer()
{
    return std::to_string(level->answer);
}

// As many digits as the right answer, the last one off by one, so it is judged at once and wrong.
inline std::string WrongAnswer()
{
    std::string text = RightAnswer();
    text.back() = char('0' + (text.back() - '0' + 1) % 10);
    return text;
}

// Waits out the death animation of a wrong answer until the player answers again.
inline void WaitUntilAnswering(GameHarness& h)
{
    for (int i = 0; i < 200 && (player->deathAnimCounter > 0 || player->successAnimCounter > 0); ++i)
        h.Frame();
}

// One text as a screen is meant to draw it: top-left corner (x below 0: centred across the screen),
// scale, colour, and the offset of its half-transparent black shadow.
struct TScreenText {
    std::string text;
    float x, y, sx, sy;
    int r, g, b;
    float shadow;
};

// A label column: the texts one under another, 40 pixels apart, at the menus' scale and shadow.
inline void AddColumn(std::vector<TScreenText>& texts, float x, float y, const std::vector<std::string>& rows,
                      int r, int g, int b)
{
    for (const std::string& row : rows) {
        texts.push_back({row, x, y, 0.5f, 0.8f, r, g, b, 2.0f});
        y += 40.0f;
    }
}

// Pixels of the current screen's picture that differ from the listed texts alone, drawn in order over
// the background: 0 when the screen draws exactly these texts, each where, as large and in the colour
// listed, and nothing else.
inline int PixelsOtherThan(GameHarness& h, const std::vector<TScreenText>& texts)
{
    h.Redraw();
    const std::vector<uint32_t> drawn = ReadBackBuffer();
    Cls();
    for (const TScreenText& t : texts) {
        const TColorPtr color = TColor::Create(t.r, t.g, t.b, 1.0f);
        const TShadowPtr shadow = TShadow::Create(t.shadow, t.shadow, 0.5f);
        if (t.x < 0.0f)
            renderer->OutputTextCentered(t.text, t.y, gameFont, t.sx, t.sy, color, shadow);
        else
            renderer->OutputText(t.text, t.x, t.y, gameFont, t.sx, t.sy, color, shadow);
    }
    const std::vector<uint32_t> expected = ReadBackBuffer();
    int differing = 0;
    for (size_t i = 0; i < drawn.size() && i < expected.size(); ++i)
        differing += drawn[i] != expected[i];
    return expected.empty() ? -1 : differing;
}
