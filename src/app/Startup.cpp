// Start-up and the frame loop.
#include "app/Startup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include "app/LaunchOptions.h"
#include "platform/Language.h"
#include "platform/Platform.h"
#include "platform/Preload.h"
#include "platform/sound/Sound.h"
#include "play/TitleScreen.h"
#include "records/SavedState.h"
#include "shell/Access.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Renderer.h"
#include "records/History.h"
#include "toolkit/ImageBank.h"

namespace {
// Local to the loop in spirit; kept here so RunFrame can be driven one frame at a time.
TTimerPtr frameTimer;
TFrameWork lastFrameWork;
// The images several screens share; the game cannot start without them.
constexpr const char* SHARED_IMAGES[] = {"explosion", "particlering", "particlering2"};
constexpr const char* FONT_FILE = "beware.ttf";
// The letters the game's font lacks (Cyrillic, say), taken glyph by glyph from a second font of the
// same weight, cut down to the characters the catalogs use.
constexpr const char* FALLBACK_FONT_FILE = "fallback.ttf";
constexpr int FONT_SIZE = 64;
constexpr const char* ICON_FILE = "icon.png";

int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
}
}

const TFrameWork& LastFrameWork() { return lastFrameWork; }

void ApplyLaunchOptions()
{
    const TLaunchOptions& options = LaunchOptions();
    if (!options.dataFolder.empty()) {
        const std::string folder = options.dataFolder + "/";
        game->dataPath = folder;
        game->fontPath = folder + "Fonts/";
        game->imagePath = folder + "Images/";
        game->musicPath = folder + "Music/";
        game->soundPath = folder + "Sound/";
    }
    game->launchSeed = options.seed;
    if (options.keepRecords) {
        game->saved = TSavedState::Load();
        game->musicLevel = float(game->saved->settings.musicVolume) / 100.0f;
        game->effectsLevel = float(game->saved->settings.effectsVolume) / 100.0f;
        if (options.history.keep && game->saved->settings.history)
            StartHistory(options.history.player.value_or(""));
    }
    const int fullScreen = options.fullScreen >= 0 ? options.fullScreen
                           : game->saved           ? game->saved->settings.fullScreen
                                                   : 0;
    if (fullScreen) {
        renderer->fullScreen = 1;
        renderer->bitDepth = 32;
    }
    if (options.mute)
        game->ToggleSound();
    // A full screen chosen with Ctrl+F is kept as the next launch's display.
    renderer->fullScreenChosen = [](int on) {
        if (game && game->saved)
            game->saved->SaveFullScreen(on);
    };
    // An option turns a mode on for this launch; the settings turn it on for every launch.
    const TSettings chosen = game->saved ? game->saved->settings : TSettings();
    SetAccessModes({options.timePercent ? options.timePercent : chosen.timePercent, options.calm || chosen.calm,
                    options.speak || chosen.speak, options.describe});
    if (game->saved)
        game->saved->KeepScoresApart(AccessModes().timePercent);
}

TScreenPtr CreateFirstScreen()
{
    return TTitleScreen::Create();
}

void LoadSharedResources()
{
    // A font that fails to load leaves gameFont null, and text falls back to the built-in font.
    gameFont = LoadFontFile(game->fontPath + FONT_FILE, FONT_SIZE, FONT_STYLE_SMOOTH);
    // The written texts need none of it.
    if (gameFont && Translated()) {
        AddFallbackFace(gameFont, game->fontPath + FALLBACK_FONT_FILE);
        // A script the first fallback lacks (Chinese, Japanese, Hindi...) comes in a font of its
        // language's own, TrueType or OpenType.
        if (const std::string own = CurrentLanguage();
            own.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_@") == std::string::npos &&
            !AddFallbackFace(gameFont, game->fontPath + own + ".ttf"))
            AddFallbackFace(gameFont, game->fontPath + own + ".otf");
    }
    // Centred handles: the effects are placed by their middle. A missing image ends the program.
    for (const char* name : SHARED_IMAGES)
        imageBank->Load(name, "", -1, 1);
}

void PreloadStartFiles()
{
    // The slowest file first, so the display (which waits for the font first) never waits for the thread.
    PreloadFont(game->fontPath + FONT_FILE, FONT_SIZE, FONT_STYLE_SMOOTH);
    for (const char* name : SHARED_IMAGES)
        imageBank->Preload(name);
    PreloadPicture(game->imagePath + ICON_FILE);
    PreloadSound(game->musicPath + TTitleScreen::MUSIC_FILE);
    StartPreloading();
}

std::string DataFolderProblem(const std::string& folder)
{
    // Only the files whose loss ends the program; anything else broken still gives a game.
    for (const char* name : SHARED_IMAGES) {
        const std::string file = std::string("Images/") + name + ".png";
        struct stat st;
        const std::string path = folder + "/Data/" + file;
        if (::stat(path.c_str(), &st) != 0)
            return file + " is missing";
        if (!S_ISREG(st.st_mode))
            return file + " is not a regular file";
        if (::access(path.c_str(), R_OK) != 0)
            return file + " cannot be read";
    }
    return "";
}

void Startup()
{
    InitPlatform();
    // The audio device is separate from the display: a machine without sound still gets a game. It
    // opens behind the first frame (RunFrame), and the title's music waits for it.
    AwaitAudio();

    frameTimer = TTimer::Create(60.0f);

    // The bank needs the game's image path, so the game object comes first.
    game = TGame::Create();
    renderer = TRenderer::Create();
    // Before the bank takes the image path, and before the display opens in a window or full screen.
    ApplyLaunchOptions();
    imageBank = TImageBank::Create(game->imagePath);
    // Read while SDL makes the window and its GL context, which takes most of a launch.
    PreloadStartFiles();

    SeedRandom(MillisecondClock());

    game->testMode = 0;
    game->debugPanelY = 100;
    game->name = "Calcadia";
    game->versionString = "0.51";
    // Before the display opens: the window takes its caption when it is made.
    game->SetupTitleBar();
    game->clsColor = TColor::Create(50, 0, 50, 1.0f);

    renderer->CreateScreen();
    // The same picture the desktop menu shows; without it the window keeps the system's icon. Decoded by
    // the preload thread.
    SetAppIcon(game->imagePath + ICON_FILE);
    LoadSharedResources();

    game->music = 1;
    game->AddScreenToStack(CreateFirstScreen());
    // Whatever the title did not take (its music, with the music off) is dropped with the thread.
    FinishPreloading();
}

// A FRAME
// The game runs one frame a tick of its 16 ms timer (62.5 ticks a second), in this order:
//   1. Wait (WaitForFrame) for the timer's next tick, and for the display's refresh when the last
//      frame's present did not wait for it (6). The wait comes first, so that nothing stands between
//      reading the input and presenting what it changed: a key shows in the next frame presented. A
//      still screen may sleep longer; platform/loop/FrameLoop.cpp tells when, and how each wait is paced.
//   2. Read input (BeginFrameInput): the window's events, once; the frame's key queries use what was
//      read then.
//   3. Quit test: Ctrl+X ends the loop before the frame's logic.
//   4. Logic: one step of the game, which counts frames, never milliseconds. The ticks the wait reports
//      are ignored: a frame that overran makes a slower game, never a second step.
//   5. Drawing: the frame is recorded, not yet drawn.
//   6. Present (FlipDisplay with vertical sync): the recording is drawn and shown. A frame that would
//      show the picture already there is left out, or shown by copying the boxes that changed, and the
//      next wait stands in for the swap's pacing.
//   7. Sleep 1 ms (SleepAfterFrame), to give the processor up once a frame.
bool RunFrame()
{
    WaitForFrame(*frameTimer, game->StillUntilInput());
    // The window's events, read once for the whole frame; the guard ends that however the frame ends
    // (Ctrl+X, or the program's end, which tests catch as an exception).
    struct TFrameInput {
        TFrameInput() { BeginFrameInput(); }
        ~TFrameInput() { EndFrameInput(); }
    } frameInput;
    // Four clock reads a frame, so benchmarks time the very loop the game runs.
    const int64_t start = NowNs();
    // The quit test. X is asked on every pass so a plain X is used up. Ctrl counts when it was down as
    // X went down, so a quick chord within one frame quits too, or when it is down now.
    if (CtrlChordWasHit(KEY_X))
        return false;
    // The logic. A close request or endGame ends the program before this frame is drawn.
    if (game->Logic())
        EndProgram();
    const int64_t logicEnd = NowNs();
    // The drawing. Once the first frame is on the screen, the drawing kinds it did not use are
    // prepared first.
    FinishPreparingDrawing();
    game->Draw();
    const int64_t drawEnd = NowNs();
    // The present.
    FlipDisplay(1);
    lastFrameWork = {logicEnd - start, drawEnd - logicEnd, NowNs() - drawEnd};
    // Once, with the first frame on the screen: the audio device opens on a thread of its own.
    OpenAwaitedAudio();
    SleepAfterFrame(*frameTimer);
    return true;
}

bool FrameTickDue() { return frameTimer && frameTimer->NextTickMillis() <= ClockMillis(); }

void RunGame()
{
    Startup();
    while (RunFrame()) {
    }
    EndProgram();
}

void ResetGameState()
{
    StopHistory();
    if (game) {
        // The next launch reads what this one saved, as a new launch of the program would.
        if (game->saved)
            game->saved->FinishSaving();
        game->StopMusic();
        game->screenStack.Clear();
        game->currentScreen = nullptr;
    }
    game = nullptr;
    renderer = nullptr;
    imageBank = nullptr;
    gameFont = nullptr;
    profile = nullptr;
    level = nullptr;
    player = nullptr;
    hud = nullptr;
    frameTimer = nullptr;
    SetMasterVolume(1.0f);
    FinishOpeningAudio();
    FinishPreloading();
    StopQuestionRandom();
    SetAccessModes({});
    CloseGraphics();
    ClearKeys();
    ClearMouse();
    // Reading the close request clears it, so one test's close does not end the next one's game.
    AppTerminateRequested();
}
