// The program's entry in the browser. A page cannot run a loop of its own: the browser would show
// nothing and answer nothing until it returned. So the browser's animation callback calls the game's
// frame (the same logic, drawing and flip as the desktop's loop), at most once per 16 ms tick of the
// frame timer, so a 120 Hz or 144 Hz screen plays at the same speed as a 60 Hz one. The callback was
// chosen over suspending the loop in place (Asyncify): the game's frame already runs one pass at a
// time, the module stays smaller and faster without the rewriting Asyncify does, and each frame is
// shown by the browser at its own refresh.
#include <emscripten.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/LaunchOptions.h"
#include "app/Startup.h"
#include "platform/Background.h"
#include "platform/Language.h"
#include "platform/Process.h"
#include "platform/Timing.h"
#include "play/Player.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Renderer.h"

// The last "seed" of the page's address (?seed=N), as the last --seed counts on a command line.
EM_JS(int, PageSeed, (char* value, int size), {
    var values = new URLSearchParams(window.location.search).getAll("seed");
    if (!values.length)
        return 0;
    stringToUTF8(values[values.length - 1], value, size);
    return 1;
});

// The language the page chose (from ?lang= or the browser's languages, among those with a catalog), ""
// for English.
EM_JS(void, PageLanguage, (char* value, int size), {
    stringToUTF8(Module.calcadiaLanguage || "", value, size);
});

namespace {

TTimerPtr pace;

// The loop stops and the page says the game has ended, with the line last written to the console
// when the code is not 0.
void EndInPage(int code)
{
    emscripten_cancel_main_loop();
    EM_ASM({ if (Module.onGameEnd) Module.onGameEnd($0); }, code);
}

// The page's address stands in for the command line. Only the seed has a form there: full screen needs
// the player's own gesture in a browser, sound is off until the player's first key anyway, and the data
// is the page's own. Other parameters are left alone, since hosts and links add their own. False
// when the address asks for something impossible; the reason is then on the console.
bool ReadPageAddress(TLaunchOptions& options)
{
    char seed[64] = {};
    if (!PageSeed(seed, int(sizeof seed)))
        return true;
    std::string out, err;
    if (!ParseLaunchOptions({"--seed", seed}, options, out, err))
        return true;
    // Only the reason: the usage after it lists a command line the page does not have.
    std::fprintf(stderr, "%s %s\n", err.substr(0, err.find('\n')).c_str(),
                 Translate("(in the page's address, ?seed=)"));
    return false;
}

void Frame()
{
    // With no tick due, the browser gets the screen back unchanged.
    if (pace->Wait() == 0)
        return;
    if (!RunFrame())
        EndProgram();
    // Music decoding and the like, between frames.
    RunBackgroundSteps();
    // The page measures the frames' work and knows when the first picture is up.
    EM_ASM({ if (Module.onGameFrame) Module.onGameFrame($0); }, double(LastFrameWork().TotalNs()) / 1e6);
    // And which screen is up, for the taps that stand in for keys on a touch screen.
    static const TScreen* shown = nullptr;
    if (game && game->currentScreen.get() != shown) {
        shown = game->currentScreen.get();
        EM_ASM({ if (Module.onScreen) Module.onScreen(UTF8ToString($0)); }, shown ? shown->name.c_str() : "");
    }
}

}  // namespace

// What the page calls.
extern "C" {

// More of the sound has arrived: the page fetches the music and the level's effects while the title
// is up. A level that started before its effects came has them from now on, and a screen that started
// silent plays its music.
EMSCRIPTEN_KEEPALIVE void SoundArrived()
{
    if (player)
        player->LoadSounds();
    if (!game || game->currentMusic || game->currentMusicFile.empty())
        return;
    game->LoadMusic(game->currentMusicFile, game->currentMusicFlags);
    if (game->currentMusic)
        game->PlayMusic();
}

// The browser gave back a WebGL context it had lost, with nothing in it: the display is made again,
// and every image and font makes its textures again at its next draw.
EMSCRIPTEN_KEEPALIVE void RestoreDisplay()
{
    if (renderer)
        renderer->CreateScreen();
}

}

int main()
{
    // However the game ends (the player, or an error whose text went to the console), the loop stops
    // and the page says so instead of leaving a frozen picture.
    SetProgramExitHook(EndInPage);
    // The catalogs are packed with Data/; the page has chosen among them.
    char language[64] = {};
    PageLanguage(language, int(sizeof language));
    UseLanguage("calcadia", "/locale", language);
    // The player's own launch: best scores and settings are kept, in the browser's local storage.
    TLaunchOptions options;
    options.keepRecords = true;
    if (!ReadPageAddress(options)) {
        // As a bad option ends the desktop game before it opens a window: no game, exit code 2.
        EndInPage(2);
        return 0;
    }
    SetLaunchOptions(options);
    Startup();
    pace = TTimer::Create(60.0f);
    emscripten_set_main_loop(Frame, 0, 0);
    return 0;
}
