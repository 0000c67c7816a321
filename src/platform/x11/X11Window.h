// X11Window - the game's window destroyed by another X client counts as a close request; and waiting
// for the X server to send the window something.
#pragma once

#include <chrono>
#include <cstdint>

struct SDL_Window;

// Watches the window when it lives on an X server (nothing on other window systems): errors about it
// once it is gone no longer end the program through the X library's report.
void WatchForDestroyFromOutside(SDL_Window* window);
// True once after the watched window was found destroyed from outside.
bool WindowDestroyedFromOutside();

// True when the X server has sent nothing the event pump has yet to read (the connection is flushed and
// read to find out, as the pump does): the pump can be left out. False whenever that cannot be known.
bool NothingArrivedFromX();
// Whether the window's events come over an X connection this program can wait on.
bool XEventsAwaitable();
// Something other than NothingArrivedFromX has read or written the connection (the event pump, a
// present): the next look cannot take the last one's word.
void XConnectionUsed();
// Sleeps until `until` or until the X server sends something; true when the whole sleep passed with
// nothing arriving and nothing left unread since NothingArrivedFromX last found so (which is asked
// first if need be): the pump can be left out without looking again.
bool SleepWhileXQuiet(std::chrono::steady_clock::time_point until);
// Sleeps until the X server has sent something the event pump has yet to read, or `timeoutMs` pass;
// true when something came (or may have: an interrupted wait counts as something).
bool AwaitXEvents(int timeoutMs);
