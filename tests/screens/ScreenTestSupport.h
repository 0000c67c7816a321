// Helpers shared by the whole-game tests of the front-end screens: where the game is, what plays,
// and playing answers as a person would type them.
#pragma once

#include <string>
#include <vector>

#include "gameplay/Level.h"
#include "gameplay/Player.h"
#include "gameplay/Profile.h"
#include "platform/Platform.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Helpers.h"
#include "shell/Renderer.h"
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
