// Free helpers shared by the game's classes: checked image loading, fatal errors, small maths and text.
#pragma once

#include <memory>
#include <string>

class TImage;

// Message box, then the runtime error with the same text (standard error, exit code -1).
[[noreturn]] void ReportError(const std::string& message, int fatal);
// Ends the program through ReportError when the image cannot be loaded; flags -1 = the default flags.
std::shared_ptr<TImage> LoadImageChecked(const std::string& path, int flags);
std::shared_ptr<TImage> LoadAnimImageChecked(const std::string& path, int cellWidth, int cellHeight,
                                             int firstCell, int cellCount, int flags);
// Builds every frame's texture now so the first draw does not stall.
int PrecacheImage(const std::shared_ptr<TImage>& image);
// Smallest power of two >= n; 1 for n <= 1.
int NextPowerOfTwo(int n);
// Appends "/" unless the path already ends in "/" or a backslash.
std::string EnsureTrailingSlash(const std::string& path);
// 1 when the rectangles share area; touching edges do not overlap.
int RectsOverlap(int x1, int y1, int w1, int h1, int x2, int y2, int w2, int h2);
// Left-pads with "0" to the given length in characters; longer texts come back unchanged.
std::string PadWithZeros(const std::string& text, int length);
// Text from outside (an argument, a line of a file) as a message shows it: in single quotes, with
// control characters and bytes that are not UTF-8 written as \xNN (a backslash as \\), and cut to
// its first 40 characters followed by "...".
std::string QuotedForMessage(const std::string& text);
// Left, then right, then middle button; stops at the first one clicked so later clicks stay pending.
int AnyMouseHit();
// Border of a box exactly width x height pixels.
int DrawRectOutline(int x, int y, int width, int height);
// Playback rate walking up the major scale: 1.0 at step 0, 2.0 at step 7.
double MajorScaleRate(int step);
