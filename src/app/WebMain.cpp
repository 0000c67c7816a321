// The program's entry in the browser, and the page's side of it.
//
// THE PAGE AND THE GAME
// The page (web/page/, packed into index.html) loads the module and the data, then hands the player's
// keys and taps on to the game through the canvas. Everything else they tell each other is here, and
// nowhere else:
//
//   page -> game, before main runs (fields of Module):
//     calcadiaLanguage   the catalog the page chose ("" for English); the page's own texts follow it
//     (the address)      ?seed=N, read here as --seed N would be on a command line
//     calcadiaModes      {speak, calm}: the spoken mode (?speak=1) and calm motion (?calm=1, or the
//                        browser's reduced-motion preference), as --speak and --calm would be
//   page -> game, while it runs (exported functions):
//     _SoundArrived()    more of the sound is in the file system: load what was missing
//     _RestoreDisplay()  the browser gave a lost WebGL context back: make the display again
//   game -> page (functions of Module, each called only when the page set it):
//     onGameFrame(ms)    after every frame the game ran: its own work, in milliseconds
//     onScreen(name, boxes)  the screen changed: its name ("Title", "Game", "Game Over", ...) and the
//                        boxes a tap chooses, in the game's 1024 x 768 pixels: on the title, one per
//                        mode row, [x, y, width, height], row k starting mode k; none elsewhere
//     speakWords(words)  the game's words for a player who cannot see the picture: always written in
//                        the page's live region, said by the browser's voice in the spoken mode
//     onGameEnd(code)    the game ended: 0 when the player left it, 2 for a bad address, -1 for an error
//                        (whose text went to printErr just before)
//
// THE FRAME
// A page cannot run a loop of its own: the browser would show nothing and answer nothing until it
// returned. So the browser's animation callback calls the game's frame (the same logic, drawing and
// flip as the desktop's loop) whenever the loop's frame timer has a tick due; with none due the browser
// shows the last picture again. So a 120 Hz or 144 Hz screen plays at the same speed as a 60 Hz one,
// and the one timer that paces the desktop's frames paces the page's. The callback was chosen over
// suspending the loop in place (Asyncify): the game's frame already runs one pass at a time, the module
// stays smaller and faster without the rewriting Asyncify does, and each frame is shown by the browser
// at its own refresh.
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/LaunchOptions.h"
#include "app/Startup.h"
#include "platform/Background.h"
#include "platform/Language.h"
#include "platform/Process.h"
#include "play/Player.h"
#include "play/TitleScreen.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Renderer.h"

// The modes the page chose: 1 the spoken mode, 2 calm motion.
EM_JS(int, PageModes, (), {
    var modes = Module.calcadiaModes || {};
    return (modes.speak ? 1 : 0) | (modes.calm ? 2 : 0);
});

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

// Tells the page the screen now up, with the boxes (x, y, width, height, four floats each) a tap chooses.
EM_JS(void, TellScreen, (const char* name, const float* boxes, int count), {
    if (!Module.onScreen)
        return;
    var list = [];
    for (var i = 0; i < count; ++i)
        list.push(Array.from(HEAPF32.subarray((boxes >> 2) + 4 * i, (boxes >> 2) + 4 * i + 4)));
    Module.onScreen(UTF8ToString(name), list);
});

// The objects of a lost context went with it: emscripten's tables of GL names forget them, so that
// closing the old display deletes nothing in the new context (which would only log that they are not
// its own).
EM_JS(void, ForgetLostContextObjects, (), {
    [GL.buffers, GL.programs, GL.framebuffers, GL.renderbuffers, GL.textures, GL.shaders, GL.vaos, GL.queries,
     GL.samplers, GL.transformFeedbacks, GL.syncs].forEach(function(table) {
        if (table)
            table.fill(null);
    });
});

namespace {

// The page stops the loop and says the game has ended, with the line last written to the console
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
    const int modes = PageModes();
    options.speak = (modes & 1) != 0;
    options.calm = (modes & 2) != 0;
    // A browser does not tell whether a screen reader runs, so the words always reach the live region.
    options.describe = true;
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

// The title's mode rows as a finger finds them: from a gap's width left of the keys to a gap's width
// past the longest text of any row (the mode's name or its best score), each row a gap high around its
// line. The title lays them out; the page only hit-tests what it is given.
std::vector<float> TitleRowBoxes(const TTitleScreen& title)
{
    std::vector<float> boxes;
    if (!title.numberColumn || !title.optionColumn)
        return boxes;
    const float gap = float(title.numberColumn->gap);
    float right = 0.0f;
    for (const TLabelColumnPtr& column : {title.numberColumn, title.optionColumn, title.bestColumn})
        if (column)
            for (const TLabelPtr& label : *column)
                right = std::max(right, label->x + label->GetWidth(1));
    const float left = title.numberColumn->x - gap;
    right = std::min(right + gap, float(renderer->screenWidth));
    // A line is about a gap high; each box starts a tenth of a gap above its line, and the rows meet.
    for (int row = 0; row < title.numberColumn->Count(); ++row)
        boxes.insert(boxes.end(), {left, title.numberColumn->y + float(row) * gap - gap / 10.0f, right - left, gap});
    return boxes;
}

// Which screen is up, told to the page when it changes.
void TellScreenIfChanged()
{
    static const TScreen* shown = nullptr;
    if (!game || game->currentScreen.get() == shown)
        return;
    shown = game->currentScreen.get();
    std::vector<float> boxes;
    if (const auto* title = dynamic_cast<const TTitleScreen*>(shown))
        boxes = TitleRowBoxes(*title);
    TellScreen(shown ? shown->name.c_str() : "", boxes.data(), int(boxes.size() / 4));
}

void Frame()
{
    // The loop's own timer decides: with no tick due, the browser gets the screen back unchanged.
    if (!FrameTickDue())
        return;
    if (!RunFrame())
        EndProgram();
    // Music decoding and the like, between frames.
    RunBackgroundSteps();
    // The page measures the frames' work and knows when the first picture is up.
    EM_ASM({ if (Module.onGameFrame) Module.onGameFrame($0); }, double(LastFrameWork().TotalNs()) / 1e6);
    TellScreenIfChanged();
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
    if (!renderer)
        return;
    ForgetLostContextObjects();
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
    emscripten_set_main_loop(Frame, 0, 0);
    return 0;
}
