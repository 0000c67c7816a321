// GameHarness - runs the real start-up and frame loop in-process on the virtual clock, frame by frame,
// with scripted input, so whole-game tests can play the game and look at its globals and pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Thrown by the program-exit hook the harness installs, where the real game would exit.
struct TProgramExit {
    int code;
};

// Offscreen display, virtual clock, manual audio, and exits turned into TProgramExit. Idempotent;
// the constructor of GameHarness calls it, and tests that do not start the game may call it alone.
void PrepareHeadlessPlatform();

// Removes the exit hook again, for code that must really exit (death tests' children).
void RestoreRealProgramExit();

class GameHarness {
public:
    // Starts the game exactly as the program does, then reseeds with the given seed so runs replay.
    explicit GameHarness(int seed = 12345);
    // Drops the game's objects, closes the display and clears input, so the next harness starts clean.
    ~GameHarness();
    GameHarness(const GameHarness&) = delete;
    GameHarness& operator=(const GameHarness&) = delete;

    // One pass of the frame loop. False when Ctrl+X was seen (the real loop would then end the program).
    // An EndProgram inside the frame (close button, endGame) throws TProgramExit.
    bool Frame();
    // Up to n frames; stops early and returns false at Ctrl+X.
    bool Frames(int n);
    // Frames until the program would end; the exit code, or nothing if it still runs after maxFrames.
    // Ctrl+X counts as an end with code 0, as in the real loop.
    std::optional<int> RunUntilExit(int maxFrames);

    // Input, delivered as the window system would deliver it.
    void KeyDown(int key);
    void KeyUp(int key);
    void Press(int key);                    // down, then up
    void PressWithCtrl(int key);            // left Ctrl held across the press, and still held afterwards
    void ReleaseCtrl();
    void Type(const std::string& text);     // each character of the UTF-8 text into the typed queue
    void Click(int button);
    void MoveMouse(int x, int y);
    void CloseWindow();

    // Draws the current state once more without logic or flip, so the back buffer holds a whole frame.
    void Redraw();
    // Pixel of the back buffer in game space as 0xAARRGGBB; call Redraw first after a Frame.
    uint32_t Pixel(int x, int y);
    static int Red(uint32_t argb) { return int((argb >> 16) & 0xFF); }
    static int Green(uint32_t argb) { return int((argb >> 8) & 0xFF); }
    static int Blue(uint32_t argb) { return int(argb & 0xFF); }

    // Standard output written between the two calls (PrintLine lines, for example).
    static void StartCapturingStdout();
    static std::string StopCapturingStdout();
};
