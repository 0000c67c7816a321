// GL testing - what tests, benchmarks and the screenshot tool read off the display: the picture drawn,
// how frames reached the window, and whether the window may be resized. The game's own code never
// includes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Presented frames that were copied from an off-screen picture into the window (all of them whenever
// the window's drawable is not exactly the picture's size, none otherwise).
uint64_t PictureCopyCount();
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
// 1 while the open display's window may be resized; 0 otherwise or when none is open.
int DisplayIsResizable();
