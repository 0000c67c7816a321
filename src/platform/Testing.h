// Testing - what tests, benchmarks, replays and the screenshot tool drive the platform with: the virtual
// clock, injected input, the exit hook, the drawing counters and reading the picture back. The game's
// own code never includes it (a test of the build checks that), so nothing the game does can depend on it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// --- Time ---
// The virtual clock: time moves only when the program waits or sleeps, at once and without blocking.
// Tests and replays run the real frame loop on it.
void UseVirtualClock(bool on);
bool UsingVirtualClock();

// A display refreshing hz times a second whose presents wait for its vertical blank, modelled on the
// clock (real or virtual), in place of the open display's own rate; 0 goes back to the display's own.
void UseFakeRefreshRate(int hz);

// --- Input ---
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
// Stands in for the window system when a still screen's frame timer dozes: called with the longest
// sleep in milliseconds, it returns whether events came (on the virtual clock it moves the clock itself,
// with SleepMillis). An empty function gives the window system back.
void UseEventAwaiter(std::function<bool(int)> awaiter);

// --- Kept records ---
// Hears each step that makes the replacement of a kept record last, as it is taken: "write" (each write
// of the new bytes), "flush" (them to the disk), "rename" (over the old record) and "flush folder" (the
// rename to the disk). An empty function stops the listening.
void WatchStorageSteps(std::function<void(const std::string&)> watcher);

// --- Program end ---
// Tests run the game in-process: this hook, when set, is called instead of exiting with the exit code
// (0 or -1); it must not return (throwing is the usual way out).
void SetProgramExitHook(std::function<void(int)> hook);

// --- Drawing counters ---
// Draw calls issued since the last FlipDisplay, and during the frame the last FlipDisplay presented.
int DrawCallsThisFrame();
int DrawCallsLastFrame();
// Distinct textures the draw calls of the last frame that FlipDisplay ended used.
int DistinctTexturesLastFrame();
// Frames FlipDisplay really drew and presented since the program started, frames it left out because
// they would have shown the picture already on screen, and texture uploads (whole images or glyph
// rectangles) made so far.
uint64_t PresentedFrameCount();
// Presented frames that were drawn only in the box where they differ from the frame before.
uint64_t PartialFrameCount();
uint64_t SkippedFrameCount();
uint64_t TextureUploadCount();
// Presented frames that were copied from an off-screen picture into the window (all of them whenever
// the window's drawable is not exactly the picture's size, none otherwise).
uint64_t PictureCopyCount();

// --- Text ---
// Called for every line DrawTextAt draws with some ink, with the box its glyphs cover on the screen
// (left, top, right, bottom); an empty function stops it. Layout checks see every text this way.
void SetTextDrawnHook(std::function<void(const std::string& text, float left, float top, float right,
                                         float bottom)> hook);

// --- The picture ---
// Waits until the renderer has carried out every frame handed to it. A software renderer draws on its
// own threads while the program goes on, and presenting to an off-screen display does not wait for it,
// so a benchmark calls this after each frame to count the whole frame's work.
void FinishDrawing();
// Flushes pending quads and reads the back buffer in 1024 x 768 game space, top row first,
// as 0xAARRGGBB. Empty when no display is open.
std::vector<uint32_t> ReadBackBuffer();
uint32_t ReadPixel(int x, int y);
// Writes the back buffer to a PNG file (screenshots); false on failure.
bool SaveBackBufferPng(const std::string& path);
