// peer_report - the figures a player feels, measured from outside under an X server, beside the arcade
// arithmetic game of Debian's tuxmath package when it is installed: run it from the build folder,
//
//     xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bench/peer_report [--seconds S] [--repeats N]
//                                                                 [--presses N] [--against BUILD]
//
// Key to screen: the real game on its still title; Ctrl+D is pressed through the XTEST extension at a
// random moment, and the time runs until the X server reports damage to the game's window (DAMAGE
// extension), that is until the changed frame has reached the window. Median and maximum, next to
// the 16 ms frame period: a key shows in the next frame when the latency stays under one period.
// The peer's menu is not measured so: it never stands still, and damage tells nothing of a key there.
//
// CPU: whole processes, every thread's run time from /proc/PID/task/*/schedstat over a window of S
// seconds once the screen is up (start-up left out), as a share of one core, main thread and the
// others (the software rasteriser's threads) apart: the game held on its title, in a level in play with
// an answer every five seconds and in a level nobody answers (bench/game_hold), the peer on its main
// menu and in a game of its own ("Play Alone", a custom game, nobody answering). The peer is started with a scratch home folder and no sound; this program
// installs nothing, and without the peer its rows are left out.
//
// --against BUILD runs another build folder's game too (its calcadia and bench/game_hold), in turn
// with this one, and prints this build's figures as ratios of that one's: before and after a change
// in one run. Everything runs in turn, repeat after repeat, so a drift of the machine's load hits all
// alike; the median of the repeats is printed with its range.
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Spread.h"

namespace {

constexpr double FRAME_PERIOD_MS = 16.0;
const char* PEER = "/usr/games/tuxmath";

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

void SleepMs(double ms) { std::this_thread::sleep_for(std::chrono::microseconds(int64_t(ms * 1000))); }

Display* x = nullptr;
int damageEvent = 0;

// --- Processes ---

pid_t Start(const std::vector<std::string>& command, const std::string& home)
{
    const pid_t child = fork();
    if (child == 0) {
        setenv("SDL_VIDEODRIVER", "x11", 1);
        if (!home.empty())
            setenv("HOME", home.c_str(), 1);
        // Their own chatter (the sound library looking for a card the X server lacks) is not a figure.
        const int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) {
            dup2(quiet, 1);
            dup2(quiet, 2);
        }
        std::vector<char*> argv;
        for (const std::string& word : command)
            argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

// Waits up to `ms` for the child to end by itself, then ends it.
void Stop(pid_t child, double ms)
{
    const auto start = Clock::now();
    int status = 0;
    while (MsSince(start) < ms) {
        if (waitpid(child, &status, WNOHANG) == child)
            return;
        SleepMs(20);
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
}

// Run time of every thread of the process so far, in nanoseconds: the main thread's and the others'.
struct TRunTime {
    double mainNs = 0, otherNs = 0;
};

TRunTime RunTimeOf(pid_t pid)
{
    TRunTime t;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return t;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        FILE* f = std::fopen((tasks + "/" + entry->d_name + "/schedstat").c_str(), "r");
        if (!f)
            continue;
        double ns = 0;
        if (std::fscanf(f, "%lf", &ns) == 1)
            (std::atoi(entry->d_name) == pid ? t.mainNs : t.otherNs) += ns;
        std::fclose(f);
    }
    closedir(dir);
    return t;
}

// --- The X server ---

// The process's window: the one whose _NET_WM_PID names it, else the largest one on screen (a program
// that does not say; programs here run one at a time).
Window FindWindow(pid_t pid)
{
    const Atom pidAtom = XInternAtom(x, "_NET_WM_PID", False);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count))
        return 0;
    Window largest = 0, owned = 0;
    long largestArea = 0;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(x, children[i], &a) || a.map_state != IsViewable || a.c_class != InputOutput)
            continue;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(x, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after,
                               &data) == Success && data) {
            if (items == 1 && pid_t(*reinterpret_cast<unsigned long*>(data)) == pid)
                owned = children[i];
            XFree(data);
        }
        if (long(a.width) * a.height > largestArea) {
            largestArea = long(a.width) * a.height;
            largest = children[i];
        }
    }
    if (children)
        XFree(children);
    return owned ? owned : largest;
}

Window WaitForWindow(pid_t pid, double timeoutMs)
{
    const auto start = Clock::now();
    while (MsSince(start) < timeoutMs) {
        if (Window w = FindWindow(pid))
            return w;
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return 0;
        SleepMs(50);
    }
    return 0;
}

// Damage events for the window until `ms` have passed; the time of the first, or a negative number.
double WaitForDamage(Damage damage, Clock::time_point since, double timeoutMs)
{
    for (;;) {
        while (XPending(x)) {
            XEvent e;
            XNextEvent(x, &e);
            if (e.type == damageEvent + XDamageNotify) {
                const double ms = MsSince(since);
                XDamageSubtract(x, damage, None, None);
                XFlush(x);
                return ms;
            }
        }
        const double left = timeoutMs - MsSince(since);
        if (left <= 0)
            return -1;
        pollfd p{ConnectionNumber(x), POLLIN, 0};
        poll(&p, 1, std::max(1, int(left)));
    }
}

// Damage reported while nothing was pressed, drained.
int StrayDamage(Damage damage)
{
    int stray = 0;
    while (WaitForDamage(damage, Clock::now(), 0) >= 0)
        ++stray;
    return stray;
}

void Key(KeySym symbol, bool down)
{
    XTestFakeKeyEvent(x, XKeysymToKeycode(x, symbol), down, CurrentTime);
}

void Tap(KeySym symbol)
{
    Key(symbol, true);
    Key(symbol, false);
    XFlush(x);
}

void Focus(Window w, int pointerX, int pointerY)
{
    // The pointer where it hovers over nothing that reacts to it, and the keys to the window.
    XWarpPointer(x, None, w, 0, 0, 0, 0, pointerX, pointerY);
    XSetInputFocus(x, w, RevertToPointerRoot, CurrentTime);
    XSync(x, False);
}

// --- Figures ---

struct TLatency {
    double median = 0, max = 0;
    int late = 0, missed = 0, stray = 0, presses = 0;
    bool ok = false;
};

std::mt19937 rng(12345);

// Presses `presses` times at random moments, each after a quiet while on a still screen, and times each
// press to the first damage that follows it.
TLatency MeasureLatency(Window w, int presses)
{
    TLatency result;
    const Damage damage = XDamageCreate(x, w, XDamageReportNonEmpty);
    XSync(x, False);
    // What focusing the window redrew.
    SleepMs(100);
    StrayDamage(damage);
    std::uniform_real_distribution<double> quiet(150.0, 300.0);
    std::vector<double> times;
    for (int i = 0; i < presses; ++i) {
        SleepMs(quiet(rng));
        const int stray = StrayDamage(damage);
        result.stray += stray;
        Key(XK_Control_L, true);
        XSync(x, False);
        const auto pressed = Clock::now();
        Key(XK_d, true);
        XFlush(x);
        Key(XK_d, false);
        Key(XK_Control_L, false);
        XFlush(x);
        const double ms = WaitForDamage(damage, pressed, 1000.0);
        if (std::getenv("PEER_REPORT_TRACE"))
            std::fprintf(stderr, "press %d: %.1f ms, %d unasked before\n", i, ms, stray);
        if (ms < 0) {
            ++result.missed;
            continue;
        }
        times.push_back(ms);
        result.late += ms > FRAME_PERIOD_MS;
        // What the same frame may still send after the first damage is not the next press's.
        SleepMs(40);
        StrayDamage(damage);
    }
    XDamageDestroy(x, damage);
    XSync(x, False);
    result.presses = presses;
    const TSpread s = Spread(times);
    result.ok = s.any;
    result.median = s.median;
    result.max = s.max;
    return result;
}

// The game's own executable on its still title: the latency of Ctrl+D, then Ctrl+X to end it.
TLatency GameLatency(const std::string& build, int presses)
{
    const pid_t game = Start({build + "/calcadia"}, "");
    TLatency result;
    const Window w = WaitForWindow(game, 20000);
    if (w) {
        Focus(w, 1000, 700);
        // Start-up done and the title drawn: its first frames, the music's first decoding.
        SleepMs(1500);
        result = MeasureLatency(w, presses);
        Key(XK_Control_L, true);
        Tap(XK_x);
        Key(XK_Control_L, false);
        XFlush(x);
    }
    Stop(game, 3000);
    return result;
}

struct TCpu {
    double percent = 0, mainPercent = 0;
    bool ok = false;
};

TCpu CpuOver(pid_t pid, double seconds)
{
    const TRunTime a = RunTimeOf(pid);
    const auto start = Clock::now();
    SleepMs(seconds * 1000.0);
    const TRunTime b = RunTimeOf(pid);
    const double wallNs = MsSince(start) * 1e6;
    TCpu c;
    c.mainPercent = 100.0 * (b.mainNs - a.mainNs) / wallNs;
    c.percent = c.mainPercent + 100.0 * (b.otherNs - a.otherNs) / wallNs;
    int status = 0;
    c.ok = a.mainNs > 0 && waitpid(pid, &status, WNOHANG) == 0;
    return c;
}

// bench/game_hold on a screen, measured over a window once the screen is up.
TCpu GameCpu(const std::string& build, const char* screen, double seconds)
{
    const double settle = 2.0;
    const pid_t game = Start({build + "/bench/game_hold", screen, std::to_string(seconds + settle + 1.0)}, "");
    TCpu c;
    if (WaitForWindow(game, 20000)) {
        SleepMs(settle * 1000.0);
        c = CpuOver(game, seconds);
    }
    Stop(game, (seconds + settle + 10.0) * 1000.0);
    return c;
}

struct TPeer {
    TCpu menu, play;
};

// The peer on its main menu, then in a game where nobody answers.
TPeer PeerFigures(double seconds, const std::string& home)
{
    TPeer p;
    const pid_t peer = Start({PEER, "--windowed", "--nosound"}, home);
    const Window w = WaitForWindow(peer, 20000);
    if (w) {
        XWindowAttributes a;
        XGetWindowAttributes(x, w, &a);
        // The pointer in the corner, away from the menu's entries, which light up under it.
        Focus(w, 10, a.height - 10);
        SleepMs(6000);   // its opening animation, to the menu
        p.menu = CpuOver(peer, seconds);
        // Play Alone, then a custom game, then any key to start it.
        Tap(XK_Down);
        SleepMs(500);
        Tap(XK_Return);
        SleepMs(2000);
        for (int i = 0; i < 3; ++i) {
            Tap(XK_Down);
            SleepMs(200);
        }
        Tap(XK_Return);
        SleepMs(2000);
        Tap(XK_Return);
        SleepMs(3000);
        p.play = CpuOver(peer, seconds);
    }
    kill(peer, SIGTERM);
    Stop(peer, 2000);
    return p;
}

std::string ShowLatency(const std::vector<TLatency>& runs)
{
    std::vector<double> medians, maxima;
    int late = 0, missed = 0, stray = 0, presses = 0;
    for (const TLatency& l : runs) {
        if (l.ok) {
            medians.push_back(l.median);
            maxima.push_back(l.max);
        }
        late += l.late;
        missed += l.missed;
        stray += l.stray;
        presses += l.presses;
    }
    if (medians.empty())
        return "no figures (the window never changed)";
    char tail[200];
    std::snprintf(tail, sizeof tail, "   %d of %d presses over one period, %d missed", late, presses, missed);
    if (stray)
        std::snprintf(tail + std::strlen(tail), sizeof tail - std::strlen(tail),
                      ", %d changes unasked: not a still screen", stray);
    return "median " + Show(Spread(medians), "%.1f") + "  max " + Show(Spread(maxima), "%.1f") + tail;
}

std::string ShowCpu(const std::vector<TCpu>& runs)
{
    std::vector<double> all, main;
    for (const TCpu& c : runs)
        if (c.ok) {
            all.push_back(c.percent);
            main.push_back(c.mainPercent);
        }
    return Show(Spread(all), "%.2f") + "   main thread " + Show(Spread(main), "%.2f");
}

// Per repeat a / b, median and range.
template <typename T, typename F>
TSpread Ratio(const std::vector<T>& a, const std::vector<T>& b, F field)
{
    std::vector<double> v;
    for (size_t r = 0; r < std::min(a.size(), b.size()); ++r)
        if (field(b[r]) > 0 && field(a[r]) > 0)
            v.push_back(field(a[r]) / field(b[r]));
    return Spread(v);
}

}  // namespace

int main(int argc, char** argv)
{
    double seconds = 10.0;
    int repeats = 3, presses = 30;
    std::string against;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = std::max(1.0, std::atof(argv[++i]));
        else if (std::strcmp(argv[i], "--repeats") == 0 && i + 1 < argc)
            repeats = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--presses") == 0 && i + 1 < argc)
            presses = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--against") == 0 && i + 1 < argc)
            against = std::filesystem::absolute(argv[++i]).string();
        else {
            std::fprintf(stderr, "usage: peer_report [--seconds S] [--repeats N] [--presses N] [--against BUILD]\n");
            return 2;
        }
    }
    x = XOpenDisplay(nullptr);
    // Windows come and go with the programs: one that went between finding it and asking about it is
    // not an error of this program.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!x) {
        std::fprintf(stderr, "peer_report: needs an X server; run it as xvfb-run -a bench/peer_report\n");
        return 2;
    }
    if (!XTestQueryExtension(x, &eventBase, &errorBase, &major, &minor) ||
        !XDamageQueryExtension(x, &damageEvent, &errorBase)) {
        std::fprintf(stderr, "peer_report: the X server lacks the XTEST or DAMAGE extension\n");
        return 2;
    }
    namespace fs = std::filesystem;
    // The build folder above bench/, where the game and its Data/ are.
    const std::string build = fs::read_symlink("/proc/self/exe").parent_path().parent_path().string();
    const bool withPeer = access(PEER, X_OK) == 0;
    const bool withOther = !against.empty();
    if (withOther && access((against + "/bench/game_hold").c_str(), X_OK) != 0) {
        std::fprintf(stderr, "peer_report: %s has no bench/game_hold\n", against.c_str());
        return 2;
    }
    const std::string home = "/tmp/peer_report." + std::to_string(getpid());
    fs::create_directories(home);

    std::vector<TLatency> latency, otherLatency;
    std::vector<TCpu> title, level, waiting, otherTitle, otherLevel, otherWaiting;
    std::vector<TPeer> peer;
    for (int r = 0; r < repeats; ++r) {
        std::fprintf(stderr, "peer_report: repeat %d of %d\n", r + 1, repeats);
        latency.push_back(GameLatency(build, presses));
        if (withOther)
            otherLatency.push_back(GameLatency(against, presses));
        title.push_back(GameCpu(build, "title", seconds));
        if (withOther)
            otherTitle.push_back(GameCpu(against, "title", seconds));
        if (withPeer)
            peer.push_back(PeerFigures(seconds, home));
        level.push_back(GameCpu(build, "level", seconds));
        if (withOther)
            otherLevel.push_back(GameCpu(against, "level", seconds));
        // Like the peer's game: nobody answers.
        waiting.push_back(GameCpu(build, "waiting", seconds));
        // (A build whose game_hold has no such screen ends at once and gives no figure.)
        if (withOther)
            otherWaiting.push_back(GameCpu(against, "waiting", seconds));
    }
    fs::remove_all(home);

    std::printf("Key to changed window (XTEST key, X DAMAGE) under %s, %d presses a repeat, median (min-max) of "
                "%d repeats, ms; the frame period is %.0f ms:\n", std::getenv("DISPLAY"), presses, repeats,
                FRAME_PERIOD_MS);
    std::printf("  %-22s %s\n", "game title, Ctrl+D", ShowLatency(latency).c_str());
    if (withOther)
        std::printf("  %-22s %s\n", "against, Ctrl+D", ShowLatency(otherLatency).c_str());
    std::vector<TCpu> peerMenu, peerPlay;
    for (const TPeer& p : peer) {
        peerMenu.push_back(p.menu);
        peerPlay.push_back(p.play);
    }
    if (!withPeer)
        std::printf("  (no peer: %s is not installed)\n", PEER);

    std::printf("Whole-process CPU over %.0f s windows once the screen is up, %% of a core, median (min-max):\n",
                seconds);
    std::printf("  %-22s %s\n", "game title", ShowCpu(title).c_str());
    std::printf("  %-22s %s\n", "game level in play", ShowCpu(level).c_str());
    std::printf("  %-22s %s\n", "game level, no answers", ShowCpu(waiting).c_str());
    if (withOther) {
        std::printf("  %-22s %s\n", "against title", ShowCpu(otherTitle).c_str());
        std::printf("  %-22s %s\n", "against level", ShowCpu(otherLevel).c_str());
        std::printf("  %-22s %s\n", "against, no answers", ShowCpu(otherWaiting).c_str());
    }
    if (withPeer) {
        std::printf("  %-22s %s\n", "peer menu", ShowCpu(peerMenu).c_str());
        std::printf("  %-22s %s\n", "peer game", ShowCpu(peerPlay).c_str());
    }

    auto cpu = [](const TCpu& c) { return c.ok ? c.percent : 0.0; };
    auto median = [](const TLatency& l) { return l.ok ? l.median : 0.0; };
    auto max = [](const TLatency& l) { return l.ok ? l.max : 0.0; };
    std::printf("Ratios within each repeat, median (min-max):\n");
    std::vector<double> medianPerPeriod, maxPerPeriod;
    for (const TLatency& l : latency)
        if (l.ok) {
            medianPerPeriod.push_back(l.median / FRAME_PERIOD_MS);
            maxPerPeriod.push_back(l.max / FRAME_PERIOD_MS);
        }
    std::printf("  %-40s %s   target < 1\n", "key latency median / frame period",
                Show(Spread(medianPerPeriod), "%.2fx").c_str());
    std::printf("  %-40s %s   target < 1\n", "key latency max / frame period", Show(Spread(maxPerPeriod), "%.2fx").c_str());
    if (withPeer) {
        std::printf("  %-40s %s   target < 0.5\n", "game title CPU / peer menu CPU",
                    Show(Ratio(title, peerMenu, cpu), "%.2fx").c_str());
        std::printf("  %-40s %s   target < 1\n", "game level CPU / peer game CPU",
                    Show(Ratio(level, peerPlay, cpu), "%.2fx").c_str());
        std::printf("  %-40s %s   target < 1\n", "level, no answers / peer game CPU",
                    Show(Ratio(waiting, peerPlay, cpu), "%.2fx").c_str());
    }
    if (withOther) {
        std::printf("  %-40s %s\n", "key latency median / against's", Show(Ratio(latency, otherLatency, median), "%.2fx").c_str());
        std::printf("  %-40s %s\n", "key latency max / against's", Show(Ratio(latency, otherLatency, max), "%.2fx").c_str());
        std::printf("  %-40s %s\n", "title CPU / against's", Show(Ratio(title, otherTitle, cpu), "%.2fx").c_str());
        std::printf("  %-40s %s\n", "level CPU / against's", Show(Ratio(level, otherLevel, cpu), "%.2fx").c_str());
        std::printf("  %-40s %s\n", "no answers CPU / against's", Show(Ratio(waiting, otherWaiting, cpu), "%.2fx").c_str());
    }
    XCloseDisplay(x);
    return 0;
}
