// Replay - script parsing and writing, and the headless game that plays a script.
#include "replay/Replay.h"

#include <cstdio>
#include <cstdlib>
#include <istream>
#include <map>
#include <ostream>
#include <sstream>

#include "app/Startup.h"
#include "platform/Platform.h"
#include "platform/sound/SoundTesting.h"
#include "platform/Testing.h"
#include "play/Level.h"
#include "play/Player.h"
#include "play/Profile.h"
#include "shell/Game.h"
#include "shell/Globals.h"

namespace {

struct TReplayExit {
    int code;
};

const std::map<std::string, int>& KeyNames()
{
    static const std::map<std::string, int> names = [] {
        std::map<std::string, int> m{{"space", KEY_SPACE},         {"enter", KEY_ENTER},
                                     {"escape", KEY_ESCAPE},       {"backspace", KEY_BACKSPACE},
                                     {"lctrl", KEY_LCONTROL},      {"rctrl", KEY_RCONTROL}};
        for (int d = 0; d <= 9; ++d) {
            m[std::to_string(d)] = '0' + d;
            m["kp" + std::to_string(d)] = KEY_NUMPAD1 - 1 + d;
        }
        for (char c = 'a'; c <= 'z'; ++c)
            m[std::string(1, c)] = c - 'a' + 'A';
        return m;
    }();
    return names;
}

const std::map<std::string, int> CHAR_NAMES{{"enter", 13}, {"backspace", 8}, {"escape", 27}};

std::string Utf8Of(int c)
{
    std::string text;
    AppendUtf8(text, char32_t(c));
    return text;
}

std::string CharName(int c)
{
    for (const auto& [name, code] : CHAR_NAMES)
        if (code == c)
            return name;
    return {};
}

}  // namespace

int ReplayKeyCode(const std::string& name)
{
    auto it = KeyNames().find(name);
    return it == KeyNames().end() ? -1 : it->second;
}

std::string ReplayKeyName(int code)
{
    for (const auto& [name, value] : KeyNames())
        if (value == code)
            return name;
    return std::to_string(code);
}

bool ParseReplayScript(std::istream& in, TReplayScript& script, std::string& error)
{
    script = TReplayScript{};
    bool haveSeed = false, haveEnd = false;
    int lastFrame = 0;
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(lineNumber) + ": " + why;
            return false;
        };
        if (auto hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::string first;
        if (!(words >> first))
            continue;
        if (first == "seed" || first == "end") {
            long long value = 0;
            if (!(words >> value) || value < (first == "seed" ? -2147483648LL : 0) || value > 2147483647LL)
                return fail("bad number after " + first);
            (first == "seed" ? haveSeed : haveEnd) = true;
            (first == "seed" ? script.seed : script.endFrame) = int(value);
            continue;
        }
        char* stop = nullptr;
        long frame = std::strtol(first.c_str(), &stop, 10);
        if (*stop != '\0' || frame < 1 || frame > 100000000)
            return fail("expected seed, end or a frame number, found \"" + first + "\"");
        if (frame < lastFrame)
            return fail("frames must not go backwards");
        lastFrame = int(frame);
        std::string verb, argument;
        words >> verb;
        std::getline(words >> std::ws, argument);
        // A comment after the action leaves blanks behind; they are not part of a key name or text.
        argument.erase(argument.find_last_not_of(" \t\r") + 1);
        TReplayEvent event;
        event.frame = int(frame);
        if (verb == "key" || verb == "down" || verb == "up") {
            event.kind = verb == "key" ? TReplayEvent::Key : verb == "down" ? TReplayEvent::Down : TReplayEvent::Up;
            event.code = ReplayKeyCode(argument);
            if (event.code < 0)
                return fail("unknown key \"" + argument + "\"");
            script.events.push_back(event);
        } else if (verb == "type") {
            if (argument.empty())
                return fail("nothing to type");
            event.kind = TReplayEvent::Type;
            for (char32_t c : DecodeUtf8(argument)) {
                event.code = int(c);
                script.events.push_back(event);
            }
        } else if (verb == "char") {
            auto it = CHAR_NAMES.find(argument);
            if (it == CHAR_NAMES.end())
                return fail("unknown character \"" + argument + "\"");
            event.kind = TReplayEvent::Type;
            event.code = it->second;
            script.events.push_back(event);
        } else if (verb == "click") {
            if (argument != "1" && argument != "2" && argument != "3")
                return fail("mouse buttons are 1, 2 and 3");
            event.kind = TReplayEvent::Click;
            event.code = argument[0] - '0';
            script.events.push_back(event);
        } else {
            return fail("unknown action \"" + verb + "\"");
        }
    }
    if (!haveSeed || !haveEnd) {
        error = "a script needs a seed line and an end line";
        return false;
    }
    return true;
}

void WriteReplayScript(std::ostream& out, const TReplayScript& script, const std::string& comment)
{
    std::istringstream lines(comment);
    for (std::string line; std::getline(lines, line);)
        out << "# " << line << "\n";
    out << "seed " << script.seed << "\n";
    for (size_t i = 0; i < script.events.size(); ++i) {
        const TReplayEvent& e = script.events[i];
        out << e.frame << " ";
        switch (e.kind) {
        case TReplayEvent::Key: out << "key " << ReplayKeyName(e.code); break;
        case TReplayEvent::Down: out << "down " << ReplayKeyName(e.code); break;
        case TReplayEvent::Up: out << "up " << ReplayKeyName(e.code); break;
        case TReplayEvent::Click: out << "click " << e.code; break;
        case TReplayEvent::Type:
            if (auto name = CharName(e.code); !name.empty()) {
                out << "char " << name;
                break;
            }
            // Printable characters of one frame go on one line.
            out << "type " << Utf8Of(e.code);
            while (i + 1 < script.events.size() && script.events[i + 1].frame == e.frame &&
                   script.events[i + 1].kind == TReplayEvent::Type && CharName(script.events[i + 1].code).empty() &&
                   script.events[i + 1].code > ' ')
                out << Utf8Of(script.events[++i].code);
            break;
        }
        out << "\n";
    }
    out << "end " << script.endFrame << "\n";
}

TReplaySession::TReplaySession(int seed, std::ostream& report) : out(report)
{
    // Real OpenGL through the offscreen driver, time that moves only when the game waits, and audio
    // that advances only when mixed here: nothing of the machine reaches the game.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    UseVirtualClock(true);
    UseManualAudio(true);
    SetProgramExitHook([](int code) { throw TReplayExit{code}; });
    ResetGameState();
    Startup();
    // Start-up seeds from the clock; the script's seed makes the questions those of the recording.
    SeedRandom(seed);
    lastScreen = game->currentScreen.get();
    Report("start");
}

TReplaySession::~TReplaySession()
{
    ResetGameState();
    SetProgramExitHook(nullptr);
}

void TReplaySession::Deliver(const TReplayEvent& event)
{
    switch (event.kind) {
    case TReplayEvent::Key: InjectKeyPress(event.code); break;
    case TReplayEvent::Down: InjectKeyDown(event.code); break;
    case TReplayEvent::Up: InjectKeyUp(event.code); break;
    case TReplayEvent::Type: InjectTypedChar(event.code); break;
    case TReplayEvent::Click: InjectMouseClick(event.code); break;
    }
}

bool TReplaySession::Step()
{
    if (ended)
        return false;
    ++frame;
    try {
        if (!RunFrame())
            EndProgram();
    } catch (const TReplayExit& exit) {
        ended = true;
        exitCode = exit.code;
        Report(("exit " + std::to_string(exit.code)).c_str());
        return false;
    }
    // One frame's worth of sound at the usual device rate, so effects and music finish as they would.
    static float mix[2 * 735];
    MixAudioInto(mix, 735, 44100);
    if (game->currentScreen.get() != lastScreen) {
        lastScreen = game->currentScreen.get();
        Report("screen");
    }
    return true;
}

void TReplaySession::Finish()
{
    if (!ended)
        Report("end");
}

void TReplaySession::Report(const char* what)
{
    auto number = [](bool known, int value) { return known ? std::to_string(value) : std::string("-"); };
    const std::string screen = game && game->currentScreen ? game->currentScreen->name : "-";
    char line[256];
    std::snprintf(line, sizeof line,
                  "%6d %-6s %-15s level %2s  score %5s  combo %2s  best %2s  wrong %2s  time %4s", frame, what,
                  screen.c_str(), number(bool(profile), profile ? profile->level : 0).c_str(),
                  number(bool(profile), profile ? profile->score : 0).c_str(),
                  number(bool(player), player ? player->combo : 0).c_str(),
                  number(bool(profile), profile ? profile->biggestCombo : 0).c_str(),
                  number(bool(profile), profile ? profile->wrongAnswers : 0).c_str(),
                  number(bool(level), level ? level->timeLeft : 0).c_str());
    // Trailing blanks would make the expected files fragile to editors.
    std::string text(line);
    text.erase(text.find_last_not_of(' ') + 1);
    out << text << "\n";
    out.flush();
}

int PlayReplay(const TReplayScript& script, std::ostream& report)
{
    TReplaySession session(script.seed, report);
    size_t next = 0;
    while (session.frame < script.endFrame) {
        while (next < script.events.size() && script.events[next].frame == session.frame + 1)
            session.Deliver(script.events[next++]);
        if (!session.Step())
            return session.exitCode;
    }
    session.Finish();
    return 0;
}
