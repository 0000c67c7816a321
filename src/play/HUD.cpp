// HUD - the top and bottom strips: level, goal, score, combo and the shrinking time bar.
#include "play/HUD.h"

#include <string>

#include "platform/Language.h"
#include "platform/Platform.h"
#include "play/Level.h"
#include "play/Player.h"
#include "play/Profile.h"
#include "shell/Access.h"
#include "shell/Globals.h"
#include "shell/Helpers.h"
#include "shell/Renderer.h"
#include "shell/TextFit.h"
#include "shell/TextFormat.h"

namespace {

// One statistic row, fixed on the screen: caption and value 40 (scaled) pixels apart, one colour. A
// translated caption is narrowed so that the row, with the widest value it is likely to show, ends
// before `end`.
TStatLabelPtr MakeStatRow(const std::string& caption, const std::string& value, float x, float y,
                          int formatMode, int formatParam, int r, int g, int b, float end,
                          const char* widestValue)
{
    TStatLabelPtr row = TStatLabel::Create(caption, value, x, y, gameFont, 0.4f, 0.6f);
    row->SetUseRendererCamera(0);
    if (Translated()) {
        const float valueWidth = row->stat->GetPotentialWidth(widestValue, 1);
        const float gap = 40.0f * row->description->scaleX;
        FitLabelWidth(*row->description, end - FIT_MARGIN - x - gap - valueWidth);
    }
    row->AlignAsRow(40);
    row->stat->SetFormatMode(formatMode, formatParam);
    row->SetColor(r, g, b, 1.0f);
    row->SetShadow(1.0f, 1.0f, 0.5f);
    return row;
}

}  // namespace

THUDPtr THUD::Create()
{
    auto hudObject = std::make_shared<THUD>();
    hudObject->Init();
    return hudObject;
}

int THUD::TimerBarFill(int framesLeft, int frameLimit)
{
    if (frameLimit <= 0 || framesLeft <= 0)
        return 0;
    // The fraction first, then the width, in doubles, truncated: the bar a pixel short where the fraction
    // rounds just below a whole pixel (261 frames of 3600: 28.999... px, so 28).
    return int(double(framesLeft) / double(frameLimit) * TIMER_BAR_WIDTH);
}

int THUD::SecondsShown(int framesLeft)
{
    // Rounded up, so the display reads 00 only when the time has really run out.
    if (framesLeft <= 0)
        return 0;
    return (framesLeft + 59) / 60;
}

int THUD::Init()
{
    const int sw = renderer->screenWidth;
    const int sh = renderer->screenHeight;
    const int textMode = TTextFormat::FORMAT_MODE_STRING;
    const int paddedMode = TTextFormat::FORMAT_MODE_ZERO_PADDED_INT;

    // Each row has the room up to the next one on its strip, or to the screen's edge.
    const float goalX = float(sw / 2 - 100), scoreX = float(sw - 250);
    // The rows sit as close to the screen's edges as English allows: no room below the bottom row's
    // baseline for a descender (the Russian "Серия"), none above the top row's capitals for stacked
    // accents (the Vietnamese "Điểm"). Translated, both rows move a few pixels inwards.
    const float inwards = Translated() ? 7.0f : 0.0f;
    const float comboY = float(sh - 32) - inwards, topY = 3.0f + inwards;
    // TRANSLATORS: the strips' captions are short: each stands before its number in a small space.
    // "Combo" is the count of right answers in a row.
    comboLabel = MakeStatRow(Translate("Combo"), "0", float(sw - 200), comboY, textMode, 0, 255, 255, 100,
                             float(sw), "99");
    goalLabel = MakeStatRow(Translate("Goal"), "0/" + std::to_string(player->goal), goalX, topY, textMode, 0, 100,
                            255, 100, scoreX, "10/10");
    levelLabel = MakeStatRow(Translate("Level"), std::to_string(profile->level), 10.0f, topY, textMode, 0, 255, 255,
                             100, goalX, "99");
    scoreLabel = MakeStatRow(Translate("Score"), std::to_string(profile->score), scoreX, topY, paddedMode, 5, 255,
                             255, 100, float(sw), "00000");

    timeLabel = TLabel::Create("", float(sw / 2), float(sh - 32), gameFont, 0.4f, 0.6f);
    timeLabel->useRendererCamera = 0;
    timeLabel->SetFormatMode(paddedMode, 2);
    timeLabel->SetColor(255, 255, 255, 1.0f);
    timeLabel->SetShadow(1.0f, 1.0f, 0.7f);
    timeLabel->alignment = TLabel::ALIGN_CENTRE_HORIZ;

    // The factor that stretches the bar, just left of it, in the seconds' size: a player, or a teacher
    // looking on, sees that this level's seconds are not the usual ones.
    if (AccessModes().timePercent != 100) {
        moreTimeLabel = TLabel::Create("x" + LocalDecimal(TimeFactorText(AccessModes().timePercent)),
                                       float((level->width - TIMER_BAR_WIDTH) / 2 - 10), float(sh - 32), gameFont,
                                       0.4f, 0.6f);
        moreTimeLabel->useRendererCamera = 0;
        moreTimeLabel->SetColor(255, 255, 255, 1.0f);
        moreTimeLabel->SetShadow(1.0f, 1.0f, 0.7f);
        moreTimeLabel->alignment = TLabel::ALIGN_RIGHT;
    }

    UpdateAll();
    return 0;
}

int THUD::Draw()
{
    const int sw = renderer->screenWidth;
    const int sh = renderer->screenHeight;
    // Rectangles go straight to the screen, not through the camera: the zoom leaves the HUD alone.
    SetColor(0, 0, 0);
    SetAlpha(0.5f);
    DrawRect(0.0f, 0.0f, float(sw), 30.0f);
    SetColor(255, 255, 255);
    SetAlpha(1.0f);
    SetColor(0, 0, 0);
    SetAlpha(0.5f);
    DrawRect(0.0f, float(sh - 40), float(sw), 40.0f);
    SetColor(255, 255, 255);
    SetAlpha(1.0f);

    comboLabel->Draw();
    goalLabel->Draw();
    levelLabel->Draw();
    scoreLabel->Draw();
    DrawTimerBar();
    return 0;
}

int THUD::DrawTimerBar()
{
    const int barX = (level->width - TIMER_BAR_WIDTH) / 2;
    const int barY = level->height - 35;
    SetColor(50, 50, 50);
    DrawRect(float(barX), float(barY), float(TIMER_BAR_WIDTH), float(TIMER_BAR_HEIGHT));
    SetColor(255, 50, 50);
    DrawRect(float(barX), float(barY), float(TimerBarFill(level->timeLeft, level->timeLimit)),
             float(TIMER_BAR_HEIGHT));
    SetColor(255, 255, 255);
    DrawRectOutline(barX, barY, TIMER_BAR_WIDTH, TIMER_BAR_HEIGHT);
    UpdateTime();
    timeLabel->Draw();
    if (moreTimeLabel)
        moreTimeLabel->Draw();
    return 0;
}

int THUD::DrawStoppedTimer()
{
    DrawTimerBar();
    const float signX = float((level->width + TIMER_BAR_WIDTH) / 2 + 12);
    const float signY = float(level->height - 35 + 5);
    SetColor(255, 255, 0);
    DrawRect(signX, signY, 6.0f, 20.0f);
    DrawRect(signX + 12.0f, signY, 6.0f, 20.0f);
    SetColor(255, 255, 255);
    return 0;
}

int THUD::UpdateCombo()
{
    comboLabel->UpdateStat(std::to_string(player->combo));
    return 0;
}

int THUD::UpdateGoal()
{
    goalLabel->UpdateStat(std::to_string(player->levelScore) + "/" + std::to_string(player->goal));
    return 0;
}

int THUD::UpdateScore()
{
    scoreLabel->UpdateStat(std::to_string(profile->score));
    return 0;
}

int THUD::UpdateTime()
{
    timeLabel->SetTextRaw(std::to_string(SecondsShown(level->timeLeft)));
    return 0;
}

int THUD::UpdateAll()
{
    UpdateCombo();
    UpdateGoal();
    UpdateScore();
    UpdateTime();
    return 0;
}
