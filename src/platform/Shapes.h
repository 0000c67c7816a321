// Shapes - filled rectangles and one-pixel lines in the current colour, alpha, blend mode and matrix.
#pragma once

void DrawRect(float x, float y, float w, float h);
// The pixels from (x1, y1) towards (x2, y2) like a classic line routine; the last one only when asked.
void DrawLine(float x1, float y1, float x2, float y2, int lastPixel);
