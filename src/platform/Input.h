// Input - polled keyboard and mouse state fed by window events, with the key codes the game compares against.
#pragma once

enum : int {
    KEY_BACKSPACE = 8,
    KEY_ENTER = 13,
    KEY_ESCAPE = 27,
    KEY_SPACE = 32,
    KEY_1 = 49, KEY_2 = 50, KEY_3 = 51, KEY_4 = 52, KEY_5 = 53,
    KEY_D = 68, KEY_F = 70, KEY_J = 74, KEY_M = 77, KEY_P = 80, KEY_Q = 81, KEY_R = 82, KEY_X = 88,
    KEY_NUMPAD1 = 97, KEY_NUMPAD2 = 98, KEY_NUMPAD3 = 99, KEY_NUMPAD4 = 100, KEY_NUMPAD5 = 101,
    KEY_LCONTROL = 162,
    KEY_RCONTROL = 163,
};

// All of these first process pending window events.
int KeyWasHit(int key);
int KeyIsDown(int key);
// A Ctrl chord: uses up the key's hits as KeyWasHit does, and is 1 when one of them came while a
// Ctrl key was down, or a Ctrl key is down now.
int CtrlChordWasHit(int key);
int NextTypedChar();
void ClearKeys();
int MouseButtonWasHit(int button);
void ClearMouse();
int MousePosX();
int MousePosY();
int AppTerminateRequested();

// Drains the window system's event queue into the input state.
void PollInputEvents();
// A frame reads the window's events once, right after its wait, and until EndFrameInput the queries
// above use what was read then instead of asking the window system again: each asking is a round of
// system calls, and a frame's logic asks a dozen times. Outside a frame every query reads first.
void BeginFrameInput();
void EndFrameInput();
