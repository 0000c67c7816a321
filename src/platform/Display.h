// Display - the one window (or full-screen picture), its 2D drawing state and frame presentation.
#pragma once

#include <memory>
#include <string>

class TImageFont;

// Opaque handle of the open display; null when none is open.
struct TDisplay;

// Window caption; must be set before OpenGraphics, which uses it when the window is made.
void SetAppTitle(const std::string& title);
const std::string& GetAppTitle();
// Window icon from a picture file, kept and given to every window OpenGraphics makes (and to the
// open one). False when the file cannot be decoded; the window then has the system's default icon.
bool SetAppIcon(const std::string& path);

// Closes any open display, then opens width x height: depth 0 = a window, non-zero = full screen.
// Resets the drawing state to its defaults. Null when the mode cannot be set.
TDisplay* OpenGraphics(int width, int height, int depth, int refreshHz, int flags);
// Why the last OpenGraphics gave null, in words for the message the program ends with.
const std::string& OpenGraphicsFailure();
void CloseGraphics();
// Has the open display's renderer prepare everything later frames would otherwise prepare as they draw
// (the code for each kind of texture), so they come on time. Once after opening; drawing works without
// it, only the frames that first use a kind are slower. The display's first frame prepares what it draws
// as it draws it, and waits for nothing else: PrepareDrawing only marks the rest as due, and
// FinishPreparingDrawing, called before each frame's drawing, does it once that first frame has been
// presented.
void PrepareDrawing();
void FinishPreparingDrawing();
TDisplay* CurrentDisplay();

void Cls();
void SetClsColor(int r, int g, int b);
// Presents the back buffer; sync 1 waits for the vertical blank where the driver allows it. A frame
// that would show exactly the picture already presented is neither drawn nor presented again.
void FlipDisplay(int sync);
// Makes the next FlipDisplay present, for when what the window shows may have been lost.
void InvalidatePresentedFrame();

// Maps a point in window coordinates (as window events report them) into the game space, through
// the HiDPI drawable and the letterbox; the point is unchanged when no display is open.
void WindowToGame(int wx, int wy, int& gx, int& gy);
// The SDL id of the display's window, so input can ignore events of other windows; 0 when none is open.
unsigned DisplayWindowId();

int CountDisplayModes();
struct TDisplayMode { int width = 0, height = 0, depth = 0, refreshHz = 0; };
TDisplayMode GetDisplayMode(int index);

// Drawing state. Colour and alpha are stored exactly as given and clamped only when a quad is built.
void SetColor(int r, int g, int b);
void SetAlpha(float alpha);
void SetBlend(int mode);
void SetDrawScale(float sx, float sy);
void SetDrawRotation(float degrees);
// Null selects the built-in default font.
void SetDrawFont(const std::shared_ptr<TImageFont>& font);

struct TDrawState {
    int r = 255, g = 255, b = 255;
    float alpha = 1.0f;
    int clsR = 0, clsG = 0, clsB = 0;
    float rotation = 0.0f;
    float scaleX = 1.0f, scaleY = 1.0f;
    float ix = 1.0f, iy = 0.0f, jx = 0.0f, jy = 1.0f;
    std::shared_ptr<TImageFont> font;   // null here means the built-in font is current
    int blend = 1;
};
const TDrawState& GetDrawState();
// Back to the defaults, as every OpenGraphics does.
void ResetDrawState();
