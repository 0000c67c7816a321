// Testing - what tests, benchmarks, replays and the screenshot tool drive the platform with: the virtual
// clock, injected input, the exit hook, the drawing counters and reading the picture back. The game's
// own code never includes it (a test of the build checks that), so nothing the game does can depend on it.
#pragma once

// The virtual clock, a display's refresh modelled on it, and a stand-in for the wait on the window.
#include "platform/loop/LoopTesting.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// --- The picture ---
// While kept, a display's first frame is painted on the CPU on any window system (on X it is also
// shown on the window before GL draws it), and the painting stays here: 0xAARRGGBB, top row first,
// empty when the frame could not be painted.
void KeepFirstPictures(bool keep);
const std::vector<uint32_t>& FirstPicture();
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
