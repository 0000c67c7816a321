// Start-up and the frame loop, split so tests can run the real loop one frame at a time.
#pragma once

#include <cstdint>
#include <string>

#include "shell/Screen.h"

// Start-up: platform, frame timer, globals, seed, title bar, display, shared resources, first screen.
void Startup();
// Loads the font and the images that several screens share; once, after the display is open.
void LoadSharedResources();
// Starts reading the files LoadSharedResources and the first screen load, beside the display's opening.
void PreloadStartFiles();
// What the command line asked for and the settings kept: the data folder, the kept records, full screen
// and sound. Runs in start-up after the game and renderer are made, before the image bank and display.
void ApplyLaunchOptions();
// What makes the Data/ folder inside folder unusable ("Images/explosion.png is missing"), or ""
// when every file the game cannot start without is there to read.
std::string DataFolderProblem(const std::string& folder);
// The screen start-up pushes.
TScreenPtr CreateFirstScreen();
// One pass of the frame loop: the wait, input, quit test, logic, drawing, present, the 1 ms sleep.
// False when Ctrl+X was seen (the caller ends the program); ends the program itself when the game's
// logic asks for it.
bool RunFrame();
// Whether the frame timer's next tick has come. The browser, whose page may not wait for it, calls
// RunFrame only then.
bool FrameTickDue();
// Where the last RunFrame spent its time, in nanoseconds of the steady clock: logic (the quit test and
// the game's logic), drawing (building the frame's quads) and presenting (submission and the swap).
// The wait for the frame timer is left out, so the sum is the frame's own work.
struct TFrameWork {
    int64_t logicNs = 0;
    int64_t drawNs = 0;
    int64_t presentNs = 0;
    int64_t TotalNs() const { return logicNs + drawNs + presentNs; }
};
const TFrameWork& LastFrameWork();
// Startup, then frames until Ctrl+X; ends the program.
[[noreturn]] void RunGame();
// Drops the frame timer and the program-wide objects so Startup can run again in the same process.
void ResetGameState();
