// Process services - message box, console line, program end and the fatal runtime error.
#pragma once

#include <string>

// Modal message box on a real display; nothing under the offscreen driver or with no display at all.
void ShowNotice(const std::string& text, int serious);
// Writes the text and a line break to standard output, flushed.
void PrintLine(const std::string& text);
// Ends the program at once with exit code 0, closing the display on the way out.
[[noreturn]] void EndProgram();
// The runtime's fatal error: the text on standard error and exit code -1.
[[noreturn]] void RuntimeError(const std::string& text);

// For the real program, first thing: standard input, output and error open (onto the null device where
// they were closed), SIGPIPE ignored, and the GL driver's shader cache off when its disk has no room
// (with a line on standard error saying so).
void PrepareProcess();
