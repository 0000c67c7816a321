// save_stall - the frames' pace while another copy of the game holds the records' locks: on the real
// clock, a run ends and Ctrl+F is pressed while another process holds best-scores.lock and
// settings.lock for SECONDS. Prints the time from the level's timer running out to Game Over on the
// screen, the longest gap between presented frames in the three seconds after each, and when the saves
// landed once the locks were let go.
//
// bench/save_stall [SECONDS]   (default 60; run from the build folder, SDL_VIDEODRIVER=offscreen)
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/LaunchOptions.h"
#include "app/Startup.h"
#include "platform/Platform.h"
#include "platform/Testing.h"
#include "play/Level.h"
#include "play/Profile.h"
#include "records/SavedState.h"
#include "shell/Game.h"
#include "shell/Globals.h"

namespace {

double Now()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string ScreenName() { return game && game->currentScreen ? game->currentScreen->name : ""; }

// Frames for `ms` milliseconds; the longest time between two frames' ends, each of which presented.
double LongestGap(double ms)
{
    const double end = Now() + ms;
    double last = Now(), longest = 0.0;
    while (Now() < end) {
        RunFrame();
        const double now = Now();
        longest = std::max(longest, now - last);
        last = now;
    }
    return longest;
}

}  // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    char home[] = "/tmp/calcadia-save-stall-XXXXXX";
    if (!mkdtemp(home))
        return 1;
    const std::string data = std::string(home) + "/data", config = std::string(home) + "/config";
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    std::system(("mkdir -p " + data + "/calcadia " + config + "/calcadia").c_str());

    // Another copy of the game, stopped while it holds both locks.
    int ready[2];
    if (pipe(ready) != 0)
        return 1;
    const pid_t holder = fork();
    if (holder == 0) {
        for (const std::string& lock : {data + "/calcadia/best-scores.lock", config + "/calcadia/settings.lock"})
            flock(open(lock.c_str(), O_RDWR | O_CREAT, 0644), LOCK_EX);
        if (write(ready[1], "1", 1) != 1)
            _exit(1);
        sleep(unsigned(seconds));
        _exit(0);
    }
    char byte;
    if (read(ready[0], &byte, 1) != 1)
        return 1;
    const double held = Now();

    TLaunchOptions options;
    options.keepRecords = true;
    SetLaunchOptions(options);
    Startup();
    RunFrame();
    InjectKeyPress(KEY_1);
    while (ScreenName() != "Game")
        RunFrame();
    LongestGap(500);
    profile->score = 120;
    level->timeLeft = 1;
    const double timeUp = Now();
    while (ScreenName() != "Game Over")
        RunFrame();
    const double toGameOver = Now() - timeUp;
    const double gameOverGap = LongestGap(3000);
    const bool runSaving = game->saved->Saving();
    InjectKeyPress(KEY_SPACE);
    RunFrame();
    const std::string afterSpace = ScreenName();
    InjectKeyDown(KEY_LCONTROL);
    InjectKeyPress(KEY_F);
    const double ctrlFGap = LongestGap(3000);
    InjectKeyUp(KEY_LCONTROL);
    const double pressed = Now();
    InjectKeyPress(KEY_1);
    RunFrame();
    const double oneTook = Now() - pressed;
    const std::string afterOne = ScreenName();

    std::printf("locks held by another process for %d s\n", seconds);
    std::printf("timer ran out -> Game Over on the screen: %.0f ms (the 80-frame death animation included)\n",
                toGameOver);
    std::printf("longest gap between frames, 3 s of Game Over: %.1f ms (run's save still waiting: %s)\n",
                gameOverGap, runSaving ? "yes" : "no");
    std::printf("Space at Game Over -> %s on the next frame\n", afterSpace.c_str());
    std::printf("longest gap between frames, 3 s after Ctrl+F: %.1f ms\n", ctrlFGap);
    std::printf("1 after Ctrl+F -> %s in %.1f ms\n", afterOne.c_str(), oneTook);
    // The saves land once the locks are let go (here: the holder waited out, or the 10 s the save waits).
    while (game->saved->Saving())
        RunFrame();
    std::printf("saves done %.1f s after the locks were taken\n", (Now() - held) / 1000.0);
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    std::system((std::string("rm -rf ") + home).c_str());
    EndProgram();
}
