// Process services - message box, console line, program end and the fatal runtime error.
#pragma once

#include <functional>
#include <string>

// Modal message box on a real display; nothing under the offscreen driver or with no display at all.
void ShowNotice(const std::string& text, int serious);
// Writes the text and a line break to standard output, flushed.
void PrintLine(const std::string& text);
// Ends the program at once with exit code 0, closing the display on the way out.
[[noreturn]] void EndProgram();
// The runtime's fatal error: the text on standard error and exit code -1.
[[noreturn]] void RuntimeError(const std::string& text);
// For a host that runs the game inside something that goes on after it (the browser's page, a test):
// when set, the hook is called with the exit code (0 or -1) as the program ends, before it exits. The
// page stops its loop and says the game has ended; a test throws, to go on in the same process. An
// empty function takes the hook away.
void SetProgramExitHook(std::function<void(int)> hook);

// For the real program, first thing: standard input, output and error open (onto the null device where
// they were closed), SIGPIPE ignored, and the GL driver's shader cache off when its disk has no room
// (with a line on standard error saying so).
void PrepareProcess();
// True when the program started with its standard output closed (PrepareProcess then put the null
// device in its place): what is written there reaches no one.
bool StandardOutputWasClosed();
