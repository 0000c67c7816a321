// Recorder - plays a run as a person might, reading each question off the level, and writes down the
// input as a replay script. The script, not this player, is what the tests replay.
#pragma once

#include <iosfwd>

#include "replay/Replay.h"

struct TRecordPlan {
    int mode = 1;           // the title key, 1-5
    bool keypad = false;    // choose it on the numeric keypad
    int seed = 1;
    int lastLevel = 4;      // the level in which the player stops answering and the time runs out
    int maxFrames = 60 * 60 * 10;   // the recording stops here if the game has not ended (ten minutes)
};

// Plays the plan from start-up to the program's end and returns the script of what was pressed and
// typed; the statistics lines of the recording go to report.
TReplayScript RecordReplay(const TRecordPlan& plan, std::ostream& report);
