// soak - hours of random play on the virtual clock, with the game's invariants checked after every frame
// and resident memory watched for growth.
//
//   soak <frames> [draw every n-th frame, default 50] [seed, default 1]
//
// Runs from a folder holding Data/ (the build tree). The input is random but never ends the program:
// keys and typed characters of every kind, held keys, mouse clicks and moves, focus lost with a key held,
// pause, the debug panel and full screen; Escape only away from the title, and X never while Ctrl is
// held. Phases of eager and idle answering make levels complete and runs end, so every screen comes round.
// Every frame runs the game's logic and mixes its 16 ms of audio; every n-th frame is the whole RunFrame()
// with drawing and flip (a software renderer draws a frame in milliseconds, which a million frames
// cannot afford). Ends with exit code 1 at the first broken invariant, or when resident memory has grown
// by 1 MiB or more between frame 10,000 and the end (both read in a freshly opened window).
// Environment: SOAK_TRACE=1 prints memory and state every 500 frames; SOAK_BASE_FRAME moves the first
// memory reading; SOAK_NO_FULLSCREEN=1 keeps full screen to the two switches at the start.
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "platform/Platform.h"
#include "platform/sound/SoundTesting.h"
#include "platform/Testing.h"
#include "play/GameScreen.h"
#include "play/HUD.h"
#include "play/Level.h"
#include "play/Player.h"
#include "play/Profile.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Renderer.h"
#include "toolkit/ParticleList.h"

namespace {

// A wrong answer spawns eleven particles, a right one two, and none lives longer than 67 frames:
// a few hundred is already far beyond what play can produce.
constexpr int MAX_PARTICLES = 400;
constexpr int MAX_CHANNELS = 64;
constexpr int MEMORY_BASE_FRAME = 10000;
// AddressSanitizer holds freed blocks in quarantine (hundreds of megabytes) and recycles them late, so
// resident memory there says nothing about leaks, which its own leak check finds instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool MEMORY_CHECKED = false;
#else
constexpr bool MEMORY_CHECKED = true;
#endif

struct TExit {
    int code;
};

// Resident memory once the allocator has handed back what it merely keeps in reserve: a display
// reopened for full screen frees and reallocates megabytes (textures, the driver's buffers).
long ResidentBytes()
{
    malloc_trim(0);
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

template <class T>
bool SameObject(const std::weak_ptr<T>& a, const std::shared_ptr<T>& b)
{
    return !a.owner_before(b) && !b.owner_before(a);
}

// Follows one replaceable object (a screen, the level, the player, the HUD): when a frame replaces it,
// the old one must be gone by the end of that frame.
template <class T>
class TLifetimeWatch {
public:
    explicit TLifetimeWatch(const char* name) : name(name) {}
    // Empty when all is well, else what stayed alive.
    std::string Check(const std::shared_ptr<T>& now)
    {
        std::string problem;
        if (!SameObject(last, now)) {
            if (!last.expired())
                problem = std::string("a replaced ") + name + " is still alive";
            last = now;
            ++replacements;
        }
        return problem;
    }
    int replacements = 0;

private:
    const char* name;
    std::weak_ptr<T> last;
};

class TSoak {
public:
    TSoak(long frames, int drawEvery, unsigned seed) : frames(frames), drawEvery(drawEvery), rng(seed) {}

    int Run()
    {
        SeedRandom(int(rng() & 0x7FFFFFFF));
        const bool trace = std::getenv("SOAK_TRACE") != nullptr;
        // SOAK_BASE_FRAME moves the first reading, to tell a slow climb from a one-off warm-up.
        const long baseFrame = std::getenv("SOAK_BASE_FRAME") ? std::atol(std::getenv("SOAK_BASE_FRAME")) : MEMORY_BASE_FRAME;
        long baseRss = 0, baseHeap = 0;
        for (frame = 1; frame <= frames; ++frame) {
            // The first phase idles (its level runs out of time: game over), the second answers eagerly
            // (levels complete); then at random. So every screen and its music are met, and cached,
            // before memory is first measured at frame 10,000.
            if (frame % 5000 == 1)
                eager = frame == 1 ? false : frame == 5001 ? true : Chance(0.5);
            Input();
            try {
                if (frame % drawEvery == 0) {
                    if (!RunFrame())
                        return Fail("Ctrl+X reached the game");
                } else {
                    // RunFrame without Draw and flip: X is used up every pass there too.
                    if (CtrlChordWasHit(KEY_X))
                        return Fail("Ctrl+X reached the game");
                    if (game->Logic())
                        return Fail("the game asked to end");
                    PollInputEvents();
                    SleepMillis(16);
                    SleepMillis(1);
                }
            } catch (const TExit& exit) {
                return Fail("the program ended with exit code " + std::to_string(exit.code));
            }
            // 16 ms of sound at 44.1 kHz, as the device would pull it.
            MixAudioInto(mix.data(), 706, 44100);
            const std::string problem = Invariants();
            if (!problem.empty())
                return Fail(problem);
            if (frame == baseFrame) {
                baseRss = ResidentAfterReopen();
                baseHeap = HeapInUse();
            }
            if (frame % 100000 == 0)
                Report(stderr);
            if (trace && frame % 500 == 0)
                std::fprintf(stderr, "frame %ld rss %.2f MiB screens %zu %s paused %d time %d\n", frame, ResidentBytes() / 1048576.0, screenVisits.size(), ScreenName().c_str(), game->paused, level ? level->timeLeft : -1);
        }
        Report(stdout);
        if (baseRss) {
            const long growth = ResidentAfterReopen() - baseRss;
            std::printf("resident memory: %.1f MiB at frame %ld, growth after it %+ld KiB; heap in use %+ld KiB\n",
                        baseRss / 1048576.0, baseFrame, growth / 1024, (HeapInUse() - baseHeap) / 1024);
            if (growth >= 1 << 20 && MEMORY_CHECKED)
                return Fail("resident memory grew by 1 MiB or more");
        }
        return 0;
    }

private:
    bool Chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(rng) < p; }
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    // Resident memory in the same state at both readings: full screen keeps a larger drawing surface
    // and its driver buffers (megabytes), so the display is opened afresh as a window and one whole
    // frame is drawn before reading.
    long ResidentAfterReopen()
    {
        renderer->SetFullScreen(0);
        game->Draw();
        FlipDisplay(1);
        return ResidentBytes();
    }

    // Bytes the allocator has handed out and not had back: a leak raises it for good, where resident
    // memory also moves with the allocator's own bookkeeping.
    static long HeapInUse() { return long(mallinfo2().uordblks); }

    std::string ScreenName() const { return game->currentScreen ? game->currentScreen->name : ""; }

    bool Answering() const
    {
        return ScreenName() == "Game" && player && player->answerInput && player->deathAnimCounter == 0 &&
               player->successAnimCounter == 0 && !game->paused;
    }

    void Input()
    {
        if (ctrlHeld) {
            InjectKeyUp(KEY_LCONTROL);
            ctrlHeld = false;
        }
        if (heldKey && --heldFor <= 0) {
            InjectKeyUp(heldKey);
            heldKey = 0;
        }
        // Pause comes and goes at random, but a long pause would only waste frames.
        pausedFor = game->paused ? pausedFor + 1 : 0;
        if (pausedFor > 120)
            InjectKeyPress(KEY_P);

        const bool title = ScreenName() == "Title";
        pressedX = false;
        // Nothing typed in the first phase, so its first level surely runs out of time.
        const bool typing = frame > 5000;
        if (Answering() && player->answerInput->text.empty() && eager && Chance(0.03)) {
            const std::string right = std::to_string(level->answer);
            for (char c : right)
                InjectTypedChar(c);
        }
        if (typing && Chance(eager ? 0.03 : 0.003))
            InjectTypedChar('0' + Pick(0, 9));
        if (typing && Chance(0.005))
            InjectTypedChar(KEY_BACKSPACE);
        if (typing && Chance(0.004))
            InjectTypedChar(KEY_ENTER);
        if (typing && Chance(0.002))
            InjectTypedChar(Pick(1, 255));   // letters, controls and Latin-1 the answer field must refuse
        if (Chance(0.01)) {
            static const int keys[] = {KEY_SPACE, KEY_ENTER, KEY_1, KEY_2, KEY_3, KEY_4, KEY_5,
                                       KEY_NUMPAD1, KEY_NUMPAD2, KEY_NUMPAD3, KEY_NUMPAD4, KEY_NUMPAD5,
                                       KEY_D, KEY_F, KEY_J, KEY_Q, KEY_R, KEY_X, KEY_BACKSPACE, 'A', 'Z', '0', '9'};
            const int key = keys[Pick(0, int(std::size(keys)) - 1)];
            InjectKeyPress(key);
            pressedX = key == KEY_X;
        }
        if (!title && frame > 5000 && Chance(0.0003))
            InjectKeyPress(KEY_ESCAPE);
        if (Chance(0.0005))
            InjectKeyPress(KEY_P);
        if (Chance(0.005))
            InjectMouseClick(Pick(1, 3));
        if (Chance(0.01))
            InjectMouseMove(Pick(-50, 1100), Pick(-50, 800));
        if (!heldKey && Chance(0.002)) {
            static const int holdable[] = {KEY_SPACE, KEY_1, KEY_P, KEY_D, KEY_ENTER, 'A'};
            heldKey = holdable[Pick(0, int(std::size(holdable)) - 1)];
            heldFor = Pick(1, 120);
            InjectKeyDown(heldKey);
        }
        if (Chance(0.0005)) {
            // Focus goes while something is held; the layer must let go of it.
            InjectKeyDown(KEY_RCONTROL);
            ProcessInputEvent({TInputEvent::FocusLost});
            ProcessInputEvent({TInputEvent::FocusGained});
            if (KeyIsDown(KEY_RCONTROL) || (heldKey && KeyIsDown(heldKey)))
                focusProblem = true;
            heldKey = 0;
        }
        // Ctrl+D and, rarely, Ctrl+F: Ctrl is held through the frame and let go before the next one.
        // Both come once early on, so the debug panel and a reopened display are part of the baseline.
        // SOAK_NO_FULLSCREEN=1 leaves out the later switches: each new window and GL context costs the
        // system's SDL and Mesa about 12 KiB that they never give back, which is theirs, not the game's.
        const bool early = frame == 100 || frame == 200 || frame == 300 || frame == 400;
        if (!pressedX && (early || Chance(0.0005) || Chance(0.00005))) {
            InjectKeyDown(KEY_LCONTROL);
            InjectKeyPress(early ? (frame < 300 ? KEY_D : KEY_F) : Chance(0.9) || noFullScreen ? KEY_D : KEY_F);
            ctrlHeld = true;
        }
    }

    std::string Invariants()
    {
        ++checks;
        if (focusProblem)
            return "a key stayed held after the focus was lost";
        if (game->screenStack.Count() != 1 || *game->screenStack.begin() != game->currentScreen)
            return "the screen stack does not hold exactly the current screen";
        const std::string name = ScreenName();
        ++screenFrames[name];
        if (name != lastScreen) {
            ++screenVisits[name];
            lastScreen = name;
        }
        for (const std::string& problem : {screens.Check(game->currentScreen), levels.Check(level),
                                           players.Check(player), huds.Check(hud)})
            if (!problem.empty())
                return problem;
        if (renderer->fullScreen ? renderer->bitDepth != 32 : renderer->bitDepth != 0)
            return "full screen and bit depth disagree";
        if (!CurrentDisplay())
            return "the display is gone";
        if (LiveChannelCount() > MAX_CHANNELS)
            return "channels pile up: " + std::to_string(LiveChannelCount());
        if (profile && profile->lives < 0)
            return "lives below 0";
        if (name != "Game")
            return "";
        if (!player || !level || !profile || !TGameScreen::particleList)
            return "the game screen runs without its player, level, profile or particles";
        if (player->deathAnimCounter > 0 && player->successAnimCounter > 0)
            return "two animations at once";
        if (player->deathAnimCounter < 0 || player->successAnimCounter < 0)
            return "an animation counter below 0";
        if (player->bestCombo < player->combo)
            return "bestCombo below combo";
        if (player->levelScore > player->goal)
            return "levelScore above the goal";
        if (level->timeLeft < 0 || level->timeLeft > level->timeLimit)
            return "timeLeft outside 0.." + std::to_string(level->timeLimit) + ": " + std::to_string(level->timeLeft);
        if (profile->biggestCombo < player->bestCombo)
            return "the run's biggest combo is below the level's best";
        const int particles = TGameScreen::particleList->Count();
        maxParticles = std::max(maxParticles, particles);
        if (particles > MAX_PARTICLES)
            return "live particles unbounded: " + std::to_string(particles);
        const auto& typed = player->answerInput->text;
        if (typed.size() > 10 || typed.find_first_not_of("0123456789") != std::string::npos)
            return "the answer field holds '" + typed + "'";
        maxLevel = std::max(maxLevel, profile->level);
        return "";
    }

    int Fail(const std::string& problem)
    {
        std::printf("FAIL at frame %ld: %s\n", frame, problem.c_str());
        Report(stdout);
        return 1;
    }

    void Report(FILE* out)
    {
        std::fprintf(out, "frames %ld, invariant checks %ld, screens made %d, levels %d, players %d, "
                          "highest level %d, most particles %d, resident %.1f MiB, heap in use %.2f MiB\n",
                     frame > frames ? frames : frame, checks, screens.replacements, levels.replacements,
                     players.replacements, maxLevel, maxParticles, ResidentBytes() / 1048576.0,
                     HeapInUse() / 1048576.0);
        for (const auto& [name, visits] : screenVisits)
            std::fprintf(out, "  %-15s visited %6d times, %9ld frames\n", name.c_str(), visits, screenFrames[name]);
        std::fflush(out);
    }

    long frames;
    int drawEvery;
    std::mt19937 rng;
    long frame = 0;
    long checks = 0;
    bool eager = false;
    bool ctrlHeld = false, pressedX = false;
    const bool noFullScreen = std::getenv("SOAK_NO_FULLSCREEN") != nullptr;
    int heldKey = 0, heldFor = 0, pausedFor = 0;
    bool focusProblem = false;
    int maxParticles = 0, maxLevel = 0;
    std::string lastScreen;
    std::map<std::string, int> screenVisits;
    std::map<std::string, long> screenFrames;
    std::vector<float> mix = std::vector<float>(706 * 2);
    TLifetimeWatch<TScreen> screens{"screen"};
    TLifetimeWatch<TLevel> levels{"level"};
    TLifetimeWatch<TPlayer> players{"player"};
    TLifetimeWatch<THUD> huds{"HUD"};
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: soak <frames> [draw every n-th frame] [seed]\n");
        return 2;
    }
    const long frames = std::atol(argv[1]);
    const int drawEvery = argc > 2 ? std::max(1, std::atoi(argv[2])) : 50;
    const unsigned seed = argc > 3 ? unsigned(std::atol(argv[3])) : 1u;

    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    UseVirtualClock(true);
    UseManualAudio(true);
    SetProgramExitHook([](int code) { throw TExit{code}; });
    Startup();
    TSoak soak(frames, drawEvery, seed);
    const int result = soak.Run();
    ResetGameState();
    return result;
}
