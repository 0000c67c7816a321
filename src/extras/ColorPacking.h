// ColorPacking - 32-bit ARGB colours taken apart and packed.
#pragma once

// 32-bit ARGB pixels: alpha in the top byte, blue in the lowest. PackARGB clamps each part to 0-255 so
// one part never spills into the next.
int ColorAlpha(int argb);
int ColorRed(int argb);
int ColorGreen(int argb);
int ColorBlue(int argb);
int PackARGB(int a, int r, int g, int b);
