// screenshots <outdir> [LANG...] - plays a short addition run headless on the virtual clock and saves each
// screen as a player sees it: title, a question with a half-typed answer, the death zoom, the goal's cheer,
// level complete, the time running out, game over and the paused picture. English goes to outdir, each
// other language to outdir/LANG; with no LANG given, every language whose catalog the build made. Run it
// where Data/ lies (the build folder); it changes there itself when it can.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "platform/Language.h"
#include "platform/Platform.h"
#include "platform/sound/SoundTesting.h"
#include "platform/Testing.h"
#include "play/Level.h"
#include "play/Player.h"
#include "play/Profile.h"
#include "shell/Game.h"
#include "shell/Globals.h"

namespace {

struct TExit {
    int code;
};

std::string outDir;
int failures = 0;

std::string ScreenName()
{
    return game->currentScreen ? game->currentScreen->name : "";
}

void Frames(int n)
{
    for (int i = 0; i < n; ++i)
        if (!RunFrame())
            throw TExit{0};
}

bool FramesUntil(const std::function<bool()>& done, int maxFrames)
{
    for (int i = 0; i < maxFrames && !done(); ++i)
        Frames(1);
    return done();
}

// The presented frame is gone after the flip, so draw the same state once more and save that.
void Shoot(const std::string& name)
{
    game->Draw();
    const std::string path = outDir + "/" + name + ".png";
    if (SaveBackBufferPng(path)) {
        std::cout << path << "  (" << ScreenName() << ")\n";
    } else {
        std::cerr << "screenshots: could not write " << path << "\n";
        ++failures;
    }
}

void TypeOneDigitPerFrame(const std::string& text)
{
    for (char c : text) {
        InjectTypedChar(c);
        Frames(1);
    }
}

bool Answering()
{
    return player->deathAnimCounter == 0 && player->successAnimCounter == 0 && player->answerInput &&
           player->answerInput->text.empty();
}

void Require(bool ok, const char* what)
{
    if (!ok) {
        std::cerr << "screenshots: " << what << " (on the screen \"" << ScreenName() << "\")\n";
        std::exit(1);
    }
}

// One run of the game in the language, its pictures in outDir.
void Tour(const std::string& language)
{
    UseLanguage("calcadia", "locale", language);
    Startup();
    SeedRandom(20261207);

    try {
        Frames(2);
        Shoot("title");

        InjectKeyPress(KEY_1);
        Frames(1);
        Require(ScreenName() == "Game", "the title did not start a run");

        // Level 1 won straight away, with a pause before each answer as a person takes.
        while (ScreenName() == "Game") {
            Require(FramesUntil(Answering, 200) || ScreenName() != "Game", "no question to answer");
            if (ScreenName() != "Game")
                break;
            Frames(20);
            TypeOneDigitPerFrame(std::to_string(level->answer));
            // The cheer, well into its rise; the success animation is far longer, so the run goes on
            // frame for frame as without the picture.
            if (player->successAnimCounter > 0) {
                Frames(12);
                Shoot("goal");
            }
            FramesUntil([] { return ScreenName() != "Game" || Answering(); }, 200);
        }
        Require(ScreenName() == "Level Complete", "level 1 did not end in the tally");
        Frames(30);
        Shoot("levelcomplete");
        InjectKeyPress(KEY_SPACE);
        Frames(1);

        // Right answers (through further levels if need be) until one has two digits.
        for (int guard = 0;; ++guard) {
            Require(guard < 100, "no two-digit answer came");
            if (ScreenName() == "Level Complete") {
                InjectKeyPress(KEY_SPACE);
                Frames(1);
            }
            Require(ScreenName() == "Game", "the tally did not start the next level");
            Require(FramesUntil([] { return ScreenName() != "Game" || Answering(); }, 200), "no question to answer");
            if (ScreenName() != "Game")
                continue;
            if (level->answer >= 10)
                break;
            Frames(15);
            TypeOneDigitPerFrame(std::to_string(level->answer));
            FramesUntil([] { return ScreenName() != "Game" || Answering(); }, 200);
        }
        // Long enough for the praise and the falling number of the last answer to fade.
        Frames(70);
        TypeOneDigitPerFrame(std::to_string(level->answer).substr(0, 1));
        Frames(10);
        Shoot("game");

        // Then a wrong last digit: the explosions and the zoom, a third of the way in.
        std::string wrong = std::to_string(level->answer);
        wrong.back() = char('0' + (wrong.back() - '0' + 3) % 10);
        TypeOneDigitPerFrame(wrong.substr(1));
        Require(player->deathAnimCounter > 0, "the wrong answer did not start the death animation");
        Frames(12);
        Shoot("death");

        // Hands off until the time runs out.
        Require(FramesUntil([] { return ScreenName() != "Game" || level->timeLeft <= 0; }, 4000), "the time did not run out");
        Frames(12);
        Shoot("timeup");
        Require(FramesUntil([] { return ScreenName() == "Game Over"; }, 4000), "the run did not end");
        Frames(30);
        Shoot("gameover");

        // Last, so the pictures before it are those of a run without it: a new run, paused with the
        // sound off.
        InjectKeyPress(KEY_SPACE);
        Frames(1);
        InjectKeyPress(KEY_1);
        Frames(1);
        Require(ScreenName() == "Game", "the title did not start a second run");
        Frames(90);
        InjectKeyPress(KEY_M);
        Frames(1);
        InjectKeyPress(KEY_P);
        Frames(1);
        Shoot("paused");
    } catch (const TExit& exit) {
        std::cerr << "screenshots: the game ended early with code " << exit.code << "\n";
        std::exit(1);
    }
    ResetGameState();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: screenshots <outdir> [LANG...]\n";
        return 2;
    }
    const std::string root = std::filesystem::absolute(argv[1]).string();
    std::error_code error;
    if (!std::filesystem::is_directory("Data", error))
        std::filesystem::current_path(std::filesystem::canonical("/proc/self/exe").parent_path(), error);

    std::vector<std::string> languages(argv + 2, argv + argc);
    if (languages.empty()) {
        languages.push_back("en");
        for (const auto& entry : std::filesystem::directory_iterator("locale", error))
            if (std::filesystem::exists(entry.path() / "LC_MESSAGES" / "calcadia.mo"))
                languages.push_back(entry.path().filename().string());
        std::sort(languages.begin() + 1, languages.end());
    }

    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    UseVirtualClock(true);
    UseManualAudio(true);
    SetProgramExitHook([](int code) { throw TExit{code}; });
    for (const std::string& language : languages) {
        outDir = language == "en" ? root : root + "/" + language;
        std::filesystem::create_directories(outDir);
        Tour(language);
        if (language != "en" && !Translated()) {
            std::cerr << "screenshots: no catalog for " << language << "\n";
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
