// TScreen - base of every screen: the game draws each screen on its stack and runs the current one's logic.
#pragma once

#include <memory>
#include <string>

class TScreen;
using TScreenPtr = std::shared_ptr<TScreen>;

class TScreen {
public:
    virtual ~TScreen() = default;

    std::string name;

    // A plain screen that does nothing; subclasses offer their own Create, which sets the name and runs Init.
    static TScreenPtr Create();

    // Every frame for each screen on the stack, paused or not.
    virtual int Draw() { return 0; }
    // Builds the screen's state (labels, music, sounds); may be run again to restart the screen.
    virtual int Init() { return 0; }
    // Every frame while this is the current screen and the game is not paused.
    virtual int Logic() { return 0; }
    // While the game is paused, over the dimmed picture: what should stay readable (none by default).
    virtual int DrawPaused() { return 0; }
    // True for a screen whose logic and drawing change nothing from frame to frame unless the player
    // does something: no counters, nothing moving, so its frames need not come at every tick.
    virtual bool StillUntilInput() const { return false; }
};
