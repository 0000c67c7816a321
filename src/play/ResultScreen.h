// TResultScreen - what the two result screens share: a heading, rows of names and values fixed when the
// screen is made, the hint to go on, and closing on a key or a click.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/sound/Sound.h"
#include "shell/Color.h"
#include "shell/Screen.h"
#include "shell/Shadow.h"
#include "toolkit/LabelColumn.h"

class TResultScreen : public TScreen {
public:
    TSoundPtr selectSound;
    TChannelPtr selectChannel;
    TLabelColumnPtr statColumn;   // the row names
    TLabelColumnPtr numColumn;    // the values, as text fixed at Init

    // The heading, the two columns and the hint.
    int Draw() override;
    // Escape, Space, Enter or any mouse button closes the screen.
    int Logic() override;
    // Fixed when made: nothing moves until a key or a click closes it.
    bool StillUntilInput() const override { return true; }
    // Select sound, then the screen that follows.
    virtual int Close() = 0;

protected:
    struct TRow {
        std::string name, value;
    };
    // Starts the screen's music (looping), loads the select sound, and builds the rows, their values
    // starting at valuesX, and the heading in its colour.
    void InitResult(const std::string& music, const std::vector<TRow>& rows, float valuesX,
                    const TColorPtr& heading);
    // One more row below the others; a translated name or value too long for its room is narrowed.
    void AddRow(const TRow& row);
    // The heading's text for this frame.
    virtual const std::string& HeadingText() = 0;

private:
    // The spoken mode's reading of the screen: the heading, each row, then how to go on.
    void AnnounceResult();
    bool announced = false;
    // Made in Init, so that drawing a frame only reads them and allocates nothing.
    TColorPtr headingColor, hintColor;
    TShadowPtr headingShadow, hintShadow;
    std::string hint;
    float valuesX = 0.0f;
    // Narrower than designed only for a translated text that would not fit; the heading's is worked out
    // again when its text changes.
    float hintScaleX = 0.5f, headingScaleX = 1.0f;
    std::string fittedHeading;
};
