// Every screen in every language: each line of text drawn stays on the screen and clear of every other
// line, the title with its best scores, the level's words and strips, the tallies, the paused picture,
// and the font has a glyph for each of its characters (the fallback's for the letters the game's own
// lacks). English is held to the same rule, and the translations must keep to it too, narrowed where
// need be.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "app/LaunchOptions.h"
#include "platform/Font.h"
#include "platform/Language.h"
#include "platform/Text.h"
#include "play/GameOverScreen.h"
#include "play/GameScreen.h"
#include "play/ScreenTestSupport.h"
#include "support/TempHome.h"

namespace {

struct TInk {
    std::string text;
    float left, top, right, bottom;
};

// Each line drawn since the last Clear; a shadow (the same text, a few pixels off) joins its text. The
// lines with a character the font drawing them has no glyph for, which the screen shows as a gap.
class TInkRecorder {
public:
    TInkRecorder()
    {
        SetTextDrawnHook([this](const std::string& text, float l, float t, float r, float b) {
            for (char32_t c : DecodeUtf8(text))
                if (GlyphAdvance(c) < 0 && std::find(gaps.begin(), gaps.end(), text) == gaps.end())
                    gaps.push_back(text);
            for (TInk& ink : lines)
                if (ink.text == text && l < ink.right && ink.left < r && t < ink.bottom && ink.top < b) {
                    ink = {text, std::min(l, ink.left), std::min(t, ink.top), std::max(r, ink.right),
                           std::max(b, ink.bottom)};
                    return;
                }
            lines.push_back({text, l, t, r, b});
        });
    }
    ~TInkRecorder() { SetTextDrawnHook(nullptr); }
    std::vector<TInk> lines;
    std::vector<std::string> gaps;
};

// The languages with a catalog in the build's locale/ folder, after English.
std::vector<std::string> Languages()
{
    std::vector<std::string> languages;
    for (const auto& entry : std::filesystem::directory_iterator("locale"))
        if (std::filesystem::exists(entry.path() / "LC_MESSAGES" / "calcadia.mo"))
            languages.push_back(entry.path().filename().string());
    std::sort(languages.begin(), languages.end());
    languages.insert(languages.begin(), "en");
    return languages;
}

// A line's ink may come this close to another's: glyph boxes carry a pixel of clear edge.
constexpr float TOUCH = 1.0f;

// Two lines run into each other when their ink meets on one row. Lines on rows of their own (a column's
// rows, 40 pixels apart in a font taller than that) may reach into each other's band with a descender
// or an accent, as the English ones do: that is the layout's design, the same in every language.
bool RunInto(const TInk& a, const TInk& b)
{
    const float acrossX = std::min(a.right, b.right) - std::max(a.left, b.left);
    const float acrossY = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return acrossX > TOUCH && acrossY > 0.5f * std::min(a.bottom - a.top, b.bottom - b.top);
}

// The faults of the frame the harness draws now: lines off the screen or into another. Lines named in
// `over` (the pause banner) lie over the picture by design and are held to the screen's edges only.
// With `only` given, just that line is looked at (a word effect, while numbers fall off the screen as
// they are meant to).
std::string Faults(GameHarness& h, const std::string& where, const std::vector<std::string>& over = {},
                   const std::string& only = "")
{
    TInkRecorder recorder;
    h.Redraw();
    std::ostringstream faults;
    for (const std::string& text : recorder.gaps)
        faults << where << ": \"" << text << "\" has characters the font cannot draw\n";
    const std::vector<TInk>& lines = recorder.lines;
    for (size_t i = 0; i < lines.size(); ++i) {
        const TInk& a = lines[i];
        if (!only.empty() && a.text != only)
            continue;
        if (a.left < 0.0f || a.top < 0.0f || a.right > 1024.0f || a.bottom > 768.0f)
            faults << where << ": \"" << a.text << "\" runs off the screen (" << a.left << ", " << a.top << ", "
                   << a.right << ", " << a.bottom << ")\n";
        if (std::find(over.begin(), over.end(), a.text) != over.end())
            continue;
        for (size_t j = only.empty() ? i + 1 : 0; j < lines.size(); ++j) {
            const TInk& b = lines[j];
            if (j == i || std::find(over.begin(), over.end(), b.text) != over.end())
                continue;
            if (RunInto(a, b))
                faults << where << ": \"" << a.text << "\" runs into \"" << b.text << "\"\n";
        }
    }
    return faults.str();
}

// The word effect the player spawned last: checked with everything as it appears, and alone again half
// faded, when it has grown the most while still plain to see.
std::string WordFaults(GameHarness& h, const std::string& where)
{
    std::string faults = Faults(h, where + ", as it appears");
    const std::string word = TGameScreen::particleList->Last()->text;
    h.Frames(33);
    return faults + Faults(h, where + ", half faded", {}, word);
}

// Waits until no effect is left on the screen, so each word is checked alone.
void UntilEffectsFade(GameHarness& h)
{
    for (int i = 0; i < 120 && TGameScreen::particleList && TGameScreen::particleList->Count() > 0; ++i)
        h.Frame();
}

}  // namespace

TEST(TranslationFit, EveryScreenInEveryLanguageKeepsItsTextsOnTheScreenAndApart)
{
    const std::vector<std::string> languages = Languages();
    // English and at least the nine first languages.
    ASSERT_GE(languages.size(), 10u);
    for (const std::string& language : languages) {
        SCOPED_TRACE(language);
        UseLanguage("calcadia", "locale", language);
        ASSERT_EQ(Translated(), language != "en");
        TempHome home;
        TLaunchOptions keeping;
        keeping.keepRecords = true;
        SetLaunchOptions(keeping);
        std::string faults;
        {
            GameHarness h;
            faults += Faults(h, "title");
            h.Press(KEY_5);
            h.Frame();
            faults += WordFaults(h, "level 1's prompt");
            UntilEffectsFade(h);
            faults += Faults(h, "level 1");
            WaitUntilAnswering(h);
            TypeAnswer(h, RightAnswer());
            faults += WordFaults(h, "a right answer");
            UntilEffectsFade(h);
            WaitUntilAnswering(h);
            TypeAnswer(h, WrongAnswer());
            faults += Faults(h, "a wrong answer");
            WaitUntilAnswering(h);
            UntilEffectsFade(h);
            // Paused with the sound off: the banner over everything, the note in its corner.
            h.Press(KEY_M);
            h.Frame();
            h.Press(KEY_P);
            h.Frame();
            faults += Faults(h, "paused", {Translate("PAUSED")});
            h.Press(KEY_P);
            h.Frame();
            h.Press(KEY_M);
            h.Frame();
            while (ScreenName() == "Game" && player->successAnimCounter == 0) {
                WaitUntilAnswering(h);
                UntilEffectsFade(h);
                TypeAnswer(h, RightAnswer());
            }
            faults += WordFaults(h, "the goal reached");
            ASSERT_TRUE(RunUntilScreen(h, "Level Complete", 200));
            faults += Faults(h, "level complete");
            h.Press(KEY_SPACE);
            h.Frame();
            UntilEffectsFade(h);
            level->timeLeft = 1;
            h.Frame();
            faults += WordFaults(h, "the time up");
            ASSERT_TRUE(RunUntilScreen(h, "Game Over", 200));
            // The run's save runs beside the frames; the frame after it is done shows its outcome.
            game->saved->FinishSaving();
            h.Frame();
            ASSERT_TRUE(std::dynamic_pointer_cast<TGameOverScreen>(game->currentScreen)->newBestLabel);
            faults += Faults(h, "game over with a new best");
            h.Press(KEY_SPACE);
            h.Frame();
            faults += Faults(h, "the title with a best score");
        }
        SetLaunchOptions(TLaunchOptions());
        EXPECT_EQ(faults, "");
    }
    UseLanguage("calcadia", "locale", "en");
}
