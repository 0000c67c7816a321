// TTitleScreen - the first screen and the one every run returns to: the game's name, the five modes on
// the keys 1 to 5, and Escape to leave the program.
#pragma once

#include <memory>
#include <string>

#include "platform/sound/Sound.h"
#include "shell/Color.h"
#include "shell/Screen.h"
#include "shell/Shadow.h"
#include "toolkit/LabelColumn.h"

class TTitleScreen;
using TTitleScreenPtr = std::shared_ptr<TTitleScreen>;

class TTitleScreen : public TScreen {
public:
    static constexpr const char* MUSIC_FILE = "title.ogg";
    TSoundPtr selectSound;        // null when select.wav is missing
    TChannelPtr selectChannel;
    TLabelColumnPtr numberColumn; // "1:" to "5:"
    TLabelColumnPtr optionColumn; // the mode names, row k is mode k
    TLabelColumnPtr bestColumn;   // each mode's best score beside its name; null when no scores are kept

    int Draw() override;
    // Title music, the select sound, the two columns and the texts around them.
    int Init() override;
    // Escape ends the program before any digit is read; otherwise the highest of 1-5 hit starts a run.
    int Logic() override;
    // Nothing on the title moves or counts frames, once the bests a save was still writing are in.
    bool StillUntilInput() const override { return !bestsWaiting; }

    // Named "Title", Init already run.
    static TTitleScreenPtr Create();
    // A fresh profile for the new run, replacing the previous run's.
    int StartGame();

private:
    // The spoken mode's reading of the screen: the choices, the pause key and the way out.
    void AnnounceChoices() const;
    // The best column from the table as it is now.
    void ShowBests();

    // A save (the run just ended) was still running when the screen was made: its table comes later.
    bool bestsWaiting = false;
    // Made in Init, so that drawing a frame only reads them and allocates nothing.
    TColorPtr headingColor, promptColor, hintColor;
    TShadowPtr headingShadow, textShadow;
    std::string prompt, hint;
    // Narrower than 0.5 only for a translated text that would not fit.
    float promptScaleX = 0.5f, hintScaleX = 0.5f;
};
