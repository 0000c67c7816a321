// Replay - a recorded game: a seed and the input of each frame, played through the real start-up and
// frame loop on the virtual clock, with a statistics line at every screen change.
//
// THE SCRIPT FORMAT
// One directive per line; '#' starts a comment, blank lines are skipped.
//   seed <n>              the generator's seed, set right after start-up (required, once)
//   end <frame>           play at most this many frames (required, once)
//   <frame> key <name>    a key pressed and released before that frame: a key hit, no typed character
//   <frame> down <name>   a key pressed and held; <frame> up <name> releases it
//   <frame> type <text>   each character of the text typed into the character queue
//   <frame> char <name>   one control character typed: enter, backspace or escape
//   <frame> click <1-3>   a mouse button clicked
// Frames count from 1: the input of frame n is delivered just before the n-th pass of the frame loop.
// Key names: 0-9, kp0-kp9, a-z, space, enter, escape, backspace, lctrl, rctrl.
//
// THE OUTPUT
// A line after start-up (frame 0), a line after every frame that changed the screen, and a last line
// when the program ends or the script runs out. Same seed and script, same output: the game's only
// randomness is the seeded generator and its only clock is the virtual one.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

struct TReplayEvent {
    enum Kind { Key, Down, Up, Type, Click };
    int frame = 0;
    Kind kind = Key;
    int code = 0;   // key code, character or mouse button
};

struct TReplayScript {
    int seed = 0;
    int endFrame = 0;
    std::vector<TReplayEvent> events;   // in frame order
};

// Parses a script; on failure returns false with the line number and the reason in error.
bool ParseReplayScript(std::istream& in, TReplayScript& script, std::string& error);
// Writes the script in the format above; events of one frame and kind are joined where the format allows.
void WriteReplayScript(std::ostream& out, const TReplayScript& script, const std::string& comment);
// Key code for a key name, -1 when unknown; and back.
int ReplayKeyCode(const std::string& name);
std::string ReplayKeyName(int code);

// The game, started headless for a replay; one at a time per process.
class TReplaySession {
public:
    TReplaySession(int seed, std::ostream& report);
    ~TReplaySession();

    // Delivers the event now, before the next frame.
    void Deliver(const TReplayEvent& event);
    // Runs one frame; false once the program has ended (the last line is then written).
    bool Step();
    // Writes the closing line for a script that ran out while the game still runs.
    void Finish();

    int frame = 0;
    bool ended = false;
    int exitCode = 0;

private:
    void Report(const char* what);
    std::ostream& out;
    const void* lastScreen = nullptr;
};

// Plays a whole script; returns the program's exit code, or 0 when the script ran out first.
int PlayReplay(const TReplayScript& script, std::ostream& report);
