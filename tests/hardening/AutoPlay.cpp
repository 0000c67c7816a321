// autoplay - the game's own start-up and frame loop, played by a scripted player over every screen,
// for running the game against damaged Data/ folders.
//
//   autoplay <folder holding Data/>
//
// The game reads no command line, so this stands in for main(): it changes into the given folder and
// runs Startup() and RunFrame() exactly as the game does, on the virtual clock, with the real process
// exits (a fatal error still prints on standard error and ends with -1) and the real audio start
// (SDL_AUDIODRIVER decides). The only input is what the script below types. It plays:
//   Title, key 1 -> Game level 1: a wrong answer, then right answers to the goal (typing, explosion,
//   correct, success sounds) -> Level Complete, Space -> Game level 2: a wrong answer, then Backspace
//   and nothing until the time runs out (time-up sound) -> Game Over, click -> Title, Escape: exit 0.
// The first three frames of each screen are drawn, then every 5th frame, and every 30th while it waits
// for the level timer; the others run the frame's logic and move the clock by one timer period. That
// keeps a whole run to a second or two on a software renderer.
// On standard output, besides what the game prints itself: "font built-in" or "font loaded", and
// "screen <name>" at every screen change, followed by "music silent on <name>" when its music is null.
// A run that gets stuck ends with exit code 3.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/Startup.h"
#include "platform/Platform.h"
#include "platform/Testing.h"
#include "play/Level.h"
#include "play/Player.h"
#include "shell/Game.h"
#include "shell/Globals.h"

namespace {

void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::string ScreenName()
{
    return game && game->currentScreen ? game->currentScreen->name : "";
}

bool Answering()
{
    return player && player->answerInput && player->deathAnimCounter == 0 && player->successAnimCounter == 0;
}

std::string WrongAnswerText()
{
    std::string text = std::to_string(level->answer);
    text.back() = char('0' + (text.back() - '0' + 1) % 10);
    return text;
}

void TypeText(const std::string& text)
{
    for (char c : text)
        InjectTypedChar(static_cast<unsigned char>(c));
}

// The frame loop's logic without the drawing; RunFrame() for the drawn frames. The clock moves by one
// timer period, as the frame loop's wait would move it.
void LogicOnlyFrame()
{
    if (game->Logic())
        EndProgram();
    PollInputEvents();
    SleepMillis(16);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: autoplay <folder holding Data/>\n");
        return 2;
    }
    UseVirtualClock(true);
    Startup();
    Say(gameFont ? "font loaded" : "font built-in");

    std::string lastScreen;
    int titleVisits = 0, gameVisits = 0, framesOnScreen = 0;
    bool wrongGiven = false;
    for (int frame = 0; frame < 20000; ++frame) {
        const std::string screen = ScreenName();
        if (screen != lastScreen) {
            Say("screen " + screen);
            if (!game->currentMusic)
                Say("music silent on " + screen);
            lastScreen = screen;
            framesOnScreen = 0;
            wrongGiven = false;
            titleVisits += screen == "Title";
            gameVisits += screen == "Game";
        }
        ++framesOnScreen;
        bool drawn = true;
        if (screen == "Title" && framesOnScreen == 20) {
            InjectKeyPress(titleVisits == 1 ? KEY_1 : KEY_ESCAPE);
        } else if (screen == "Game" && Answering() && player->answerInput->text.empty() &&
                   framesOnScreen % 10 == 0) {
            if (!wrongGiven) {
                TypeText(WrongAnswerText());
                wrongGiven = true;
            } else if (gameVisits == 1) {
                TypeText(std::to_string(level->answer));
            } else if (framesOnScreen < 200 && level->answer >= 10) {
                // Level 2: a digit taken back, then the time is left to run out.
                TypeText("1");
                InjectTypedChar(8);
            }
        } else if ((screen == "Level Complete" || screen == "Game Over") && framesOnScreen == 30) {
            if (screen == "Level Complete")
                InjectKeyPress(KEY_SPACE);
            else
                InjectMouseClick(1);
        }
        // The first frames of every screen are drawn, then every 5th, and every 30th while the time runs out.
        if (framesOnScreen > 3)
            drawn = frame % (screen == "Game" && gameVisits > 1 && framesOnScreen > 300 ? 30 : 5) == 0;
        if (drawn) {
            if (!RunFrame())
                EndProgram();
        } else {
            LogicOnlyFrame();
        }
    }
    std::fprintf(stderr, "autoplay: still running on the %s screen after 20000 frames\n", ScreenName().c_str());
    return 3;
}
