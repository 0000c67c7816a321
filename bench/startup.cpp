// startup - exec to the first picture on the screen: the game against bare_clear (a bare SDL2 + OpenGL
// program that only clears), whole processes measured from outside under an X server whose root is black:
//
//     xvfb-run -a -s "-br -screen 0 1280x1024x24 -noreset" bench/startup [--launches N] [GAME...]
//
// A launch forks and execs the program, then reads the row of the screen through the middle of where its
// centred 1024 x 768 window appears, every half millisecond, until a pixel of it is not black (both
// programs clear to purple). The time from the fork to that read is the figure: loading the libraries,
// start-up, the first frame and its way into the X server, all of it. The program is then ended and the
// next one starts once the row is black again. The programs run in turn, launch after launch, so a drift of
// the machine's speed hits them alike; medians and ranges are printed, and each game's ratio to the bare
// program both as the ratio of the medians and as the median of the ratios within each round.
//
// GAME defaults to the game beside bench/ (../calcadia); several can be given to compare builds in one run
// (a copy of an older build beside its own Data/ folder, say).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Spread.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr int WINDOW_WIDTH = 1024;
constexpr double GIVE_UP_SECONDS = 20.0;

struct TRow {
    Display* x = nullptr;
    Window root = 0;
    int left = 0, y = 0, width = 0;
};

// True when a pixel of the row is not black; false while it all is, or cannot be read.
bool RowLit(const TRow& row)
{
    XImage* image = XGetImage(row.x, row.root, row.left, row.y, unsigned(row.width), 1, AllPlanes, ZPixmap);
    if (!image)
        return false;
    bool lit = false;
    for (int i = 0; i < row.width && !lit; ++i)
        lit = (XGetPixel(image, i, 0) & 0xFFFFFFu) != 0;
    XDestroyImage(image);
    return lit;
}

// Waits until the row is black again (the last program's window gone); false when it stays lit.
bool WaitDark(const TRow& row)
{
    const auto until = TClock::now() + std::chrono::seconds(3);
    while (RowLit(row)) {
        if (TClock::now() > until)
            return false;
        usleep(2000);
    }
    return true;
}

// Milliseconds from the fork to the first lit pixel of the row, or a negative number when the program
// ended or showed nothing within the time allowed.
double Launch(const TRow& row, const std::string& program, const std::vector<std::string>& arguments)
{
    const auto start = TClock::now();
    const pid_t child = fork();
    if (child == 0) {
        // Their own chatter (the sound library looking for a card the X server lacks) is not a figure.
        const int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) {
            dup2(quiet, 1);
            dup2(quiet, 2);
        }
        setenv("SDL_VIDEODRIVER", "x11", 1);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    if (child < 0)
        return -1;
    double ms = -1;
    for (;;) {
        if (RowLit(row)) {
            ms = std::chrono::duration<double, std::milli>(TClock::now() - start).count();
            break;
        }
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "startup: %s ended before showing anything (status %d)\n", program.c_str(), status);
            return -1;
        }
        if (TClock::now() - start > std::chrono::duration<double>(GIVE_UP_SECONDS))
            break;
        usleep(500);
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    return ms;
}

}  // namespace

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    int launches = 15;
    std::vector<std::string> games;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--launches") == 0 && i + 1 < argc) {
            launches = std::max(1, std::atoi(argv[++i]));
        } else if (argv[i][0] == '-') {
            std::fprintf(stderr, "usage: startup [--launches N] [GAME...]\n");
            return 2;
        } else {
            games.push_back(fs::absolute(argv[i]).string());
        }
    }
    const fs::path self = fs::read_symlink("/proc/self/exe");
    if (games.empty())
        games.push_back((self.parent_path().parent_path() / "calcadia").string());
    const std::string bare = (self.parent_path() / "bare_clear").string();

    TRow row;
    row.x = XOpenDisplay(nullptr);
    if (!row.x) {
        std::fprintf(stderr, "startup: needs an X server; run it as "
                             "xvfb-run -a -s \"-br -screen 0 1280x1024x24 -noreset\" bench/startup\n");
        return 2;
    }
    row.root = DefaultRootWindow(row.x);
    const int screenWidth = DisplayWidth(row.x, DefaultScreen(row.x));
    row.left = std::max(0, (screenWidth - WINDOW_WIDTH) / 2);
    row.width = std::min(WINDOW_WIDTH, screenWidth);
    row.y = DisplayHeight(row.x, DefaultScreen(row.x)) / 2;
    if (!WaitDark(row)) {
        std::fprintf(stderr, "startup: the screen is not black where the windows will appear; start the X server "
                             "with a black root (Xvfb -br) and nothing else on it\n");
        return 2;
    }

    // bare first in every round, then each game.
    std::vector<std::vector<double>> times(games.size() + 1);
    for (int r = 0; r < launches; ++r) {
        for (size_t k = 0; k <= games.size(); ++k) {
            const double ms = k == 0 ? Launch(row, bare, {"0"}) : Launch(row, games[k - 1], {});
            if (ms < 0 || !WaitDark(row)) {
                std::fprintf(stderr, "startup: %s showed nothing, or its window stayed\n",
                             k == 0 ? bare.c_str() : games[k - 1].c_str());
                return 1;
            }
            times[k].push_back(ms);
        }
        std::fprintf(stderr, "startup: round %d of %d\n", r + 1, launches);
    }

    std::printf("Exec to the first non-black pixel, whole processes under the X server %s, %d launches each "
                "in turn, median (min-max):\n",
                DisplayString(row.x), launches);
    const TSpread base = Spread(times[0]);
    std::printf("  %-40s %6.1f ms (%.1f-%.1f)\n", "bare SDL2 + OpenGL clear", base.median, base.min, base.max);
    for (size_t k = 1; k <= games.size(); ++k) {
        const TSpread t = Spread(times[k]);
        std::vector<double> ratios;
        for (int r = 0; r < launches; ++r)
            ratios.push_back(times[k][size_t(r)] / times[0][size_t(r)]);
        const TSpread q = Spread(ratios);
        std::printf("  %-40s %6.1f ms (%.1f-%.1f)\n", games[k - 1].c_str(), t.median, t.min, t.max);
        std::printf("    / bare: ratio of medians %.2fx, within rounds %.2fx (%.2f-%.2f)   target < 1.35\n",
                    t.median / base.median, q.median, q.min, q.max);
    }
    XCloseDisplay(row.x);
    return 0;
}
