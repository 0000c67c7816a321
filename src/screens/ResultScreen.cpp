// TResultScreen - the layout and the keys the game-over and level-complete screens have in common.
#include "screens/ResultScreen.h"

#include "platform/Platform.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Helpers.h"
#include "shell/Renderer.h"

void TResultScreen::InitResult(const std::string& music, const std::vector<TRow>& rows, float valuesX,
                               const TColorPtr& heading)
{
    game->LoadMusic(music, SOUND_LOOP);
    game->PlayMusic();
    selectSound = game->LoadGameSound("select.wav", 0);

    statColumn = TLabelColumn::Create(260, 200, 40, gameFont, 0.5f, 0.8f, TColor::Create(150, 255, 255, 1.0f),
                                      TShadow::Create(2, 2, 0.5f));
    for (const TRow& row : rows)
        statColumn->AddLabel(row.name);
    numColumn = TLabelColumn::Create(valuesX, 200, 40, gameFont, 0.5f, 0.8f, TColor::Create(255, 255, 255, 1.0f),
                                     TShadow::Create(2, 2, 0.5f));
    for (const TRow& row : rows)
        numColumn->AddLabel(row.value);

    headingColor = heading;
    headingShadow = TShadow::Create(3, 3, 0.5f);
    hintColor = TColor::Create(255, 255, 0, 1.0f);
    hintShadow = TShadow::Create(2, 2, 0.5f);
    hint = "Press <Space> to Continue";
}

int TResultScreen::Logic()
{
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
    renderer->OutputTextCentered(HeadingText(), float(renderer->screenHeight / 2 - 300), gameFont, 1.0f, 1.5f,
                                 headingColor, headingShadow);
    statColumn->Draw();
    numColumn->Draw();
    renderer->OutputTextCentered(hint, 700, gameFont, 0.5f, 0.8f, hintColor, hintShadow);
    return 0;
}
