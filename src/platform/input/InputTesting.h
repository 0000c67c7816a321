// Input testing - input delivered as the window system would deliver it, for tests, replays and
// benchmarks. The game's own code never includes it.
#pragma once

// One input event in the layer's own terms; window events are translated into these, and tests
// feed them directly.
struct TInputEvent {
    enum Type { KeyDown, KeyUp, Char, MouseDown, MouseUp, MouseMove, FocusLost, FocusGained, Close } type;
    int code = 0;          // key code, typed character, or mouse button 1-3
    bool repeat = false;   // key-down produced by auto-repeat
    int x = 0, y = 0;      // mouse position in game space
};
void ProcessInputEvent(const TInputEvent& event);

// Shorthands built on ProcessInputEvent.
void InjectKeyDown(int key);
void InjectKeyUp(int key);
void InjectKeyPress(int key);   // down then up
void InjectTypedChar(int c);
void InjectMouseClick(int button);
void InjectMouseMove(int x, int y);
