// TResultScreen - the layout and the keys the game-over and level-complete screens have in common.
#include "play/ResultScreen.h"

#include "platform/Language.h"
#include "platform/Platform.h"
#include "play/Spoken.h"
#include "shell/Access.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Helpers.h"
#include "shell/Renderer.h"
#include "shell/TextFit.h"

namespace {
// Where the names begin; each has the room up to the values.
constexpr float NAMES_X = 260.0f;
}

void TResultScreen::InitResult(const std::string& music, const std::vector<TRow>& rows, float newValuesX,
                               const TColorPtr& heading)
{
    valuesX = newValuesX;
    game->LoadMusic(music, SOUND_LOOP);
    game->PlayMusic();
    selectSound = game->LoadGameSound("select.wav", 0);

    statColumn = TLabelColumn::Create(NAMES_X, 200, 40, gameFont, 0.5f, 0.8f, TColor::Create(150, 255, 255, 1.0f),
                                      TShadow::Create(2, 2, 0.5f));
    numColumn = TLabelColumn::Create(valuesX, 200, 40, gameFont, 0.5f, 0.8f, TColor::Create(255, 255, 255, 1.0f),
                                     TShadow::Create(2, 2, 0.5f));
    for (const TRow& row : rows)
        AddRow(row);

    headingColor = heading;
    headingShadow = TShadow::Create(3, 3, 0.5f);
    hintColor = TColor::Create(255, 255, 0, 1.0f);
    hintShadow = TShadow::Create(2, 2, 0.5f);
    hint = Translate("Press <Space> to Continue");
    hintScaleX = FittedScaleX(hint, gameFont, 0.5f, float(renderer->screenWidth) - 2.0f * FIT_MARGIN);
}

void TResultScreen::AddRow(const TRow& row)
{
    FitLabelWidth(*statColumn->AddLabel(row.name), valuesX - NAMES_X - FIT_MARGIN);
    FitLabelWidth(*numColumn->AddLabel(row.value), float(renderer->screenWidth) - valuesX - FIT_MARGIN);
    // A row that comes after the screen was read out (a best score the save found later) is said alone.
    if (announced && Speaking())
        Announce(row.name + " " + SpokenNumber(row.value));
}

void TResultScreen::AnnounceResult()
{
    if (!Speaking())
        return;
    std::string words = HeadingText();
    auto value = numColumn->begin();
    for (const TLabelPtr& name : *statColumn) {
        if (value == numColumn->end())
            break;
        words = SpokenSentences(words, name->text + " " + SpokenNumber((*value++)->text));
    }
    // TRANSLATORS: said aloud in the spoken mode at the end of a result screen.
    Announce(SpokenSentences(words, Translate("Press Space to go on.")));
}

int TResultScreen::Logic()
{
    // Once every row is in (the game-over screen adds the best score after its own rows).
    if (!announced) {
        announced = true;
        AnnounceResult();
    }
    // Escape continues like Space: leaving mid-run is the game screen's business, not a result screen's.
    if (KeyWasHit(KEY_ESCAPE))
        Close();
    // Close has cleared every key and click, so several presses in one frame close only once.
    if (KeyWasHit(KEY_SPACE) || KeyWasHit(KEY_ENTER) || AnyMouseHit())
        Close();
    return 0;
}

int TResultScreen::Draw()
{
    const std::string& heading = HeadingText();
    if (Translated() && heading != fittedHeading) {
        fittedHeading = heading;
        headingScaleX = FittedScaleX(heading, gameFont, 1.0f, float(renderer->screenWidth) - 2.0f * FIT_MARGIN);
    }
    renderer->OutputTextCentered(heading, float(renderer->screenHeight / 2 - 300), gameFont, headingScaleX, 1.5f,
                                 headingColor, headingShadow);
    statColumn->Draw();
    numColumn->Draw();
    renderer->OutputTextCentered(hint, 700, gameFont, hintScaleX, 0.8f, hintColor, hintShadow);
    return 0;
}
