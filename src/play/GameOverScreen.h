// TGameOverScreen - the end of a run: the final statistics, then back to the title on a key or a click.
#pragma once

#include <memory>
#include <string>

#include "play/ResultScreen.h"
#include "records/SavedState.h"
#include "toolkit/Label.h"

class TGameOverScreen;
using TGameOverScreenPtr = std::shared_ptr<TGameOverScreen>;

class TGameOverScreen : public TResultScreen {
public:
    // When scores are kept, a fifth row holds the mode's best, and this says the run beat it.
    TLabelPtr newBestLabel;

    // The result screen, and "New best!" when the run beat its mode's best.
    int Draw() override;
    // Game-over music, the select sound, and the profile's statistics turned into text once.
    int Init() override;

    // Named "Game Over", Init already run.
    static TGameOverScreenPtr Create();
    // Select sound, then a new title screen.
    int Close() override;
    // The best row and "New best!" once the run's save is done, then the result screen's keys.
    int Logic() override;
    // Still until a key only once the run's save is done: till then each tick looks for its outcome.
    bool StillUntilInput() const override { return !save && TResultScreen::StillUntilInput(); }

protected:
    const std::string& HeadingText() override { return heading; }

private:
    void ShowSavedRun();

    std::string heading = "Game Over";
    // The run's save while it runs.
    std::shared_ptr<const TSavedState::TRunSave> save;
};
