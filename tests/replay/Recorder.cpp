// Recorder - a scripted player: chooses the mode, answers with pauses, makes mistakes on purpose,
// continues the result screens with every accepted input, and lets the time run out at the last level.
#include "replay/Recorder.h"

#include <algorithm>
#include <deque>
#include <random>
#include <string>

#include "platform/Platform.h"
#include "play/Level.h"
#include "play/Player.h"
#include "play/Profile.h"
#include "shell/Game.h"
#include "shell/Globals.h"

namespace {

class TScriptedPlayer {
public:
    explicit TScriptedPlayer(const TRecordPlan& plan) : plan(plan), rng(uint32_t(plan.seed) * 2654435761u) {}

    // Looks at the game after frame `now` and queues what to do next; nothing while a plan is pending.
    void Plan(int now)
    {
        if (!pending.empty())
            return;
        const std::string screen = game->currentScreen ? game->currentScreen->name : "";
        if (screen == "Title") {
            if (!started) {
                started = true;
                Add(now + Think(30, 60), TReplayEvent::Key,
                    (plan.keypad ? KEY_NUMPAD1 : KEY_1) + plan.mode - 1);
            } else {
                Add(now + Think(40, 70), TReplayEvent::Key, KEY_ESCAPE);
            }
        } else if (screen == "Level Complete") {
            // Every way of continuing, in turn: Space, Enter, a click and Escape.
            static const int ways[] = {KEY_SPACE, KEY_ENTER, -1, KEY_ESCAPE};
            const int way = ways[(profile->level - 1) % 4];
            if (way < 0)
                Add(now + Think(60, 100), TReplayEvent::Click, 1);
            else
                Add(now + Think(60, 100), TReplayEvent::Key, way);
        } else if (screen == "Game Over") {
            Add(now + Think(90, 120), TReplayEvent::Key, KEY_SPACE);
        } else if (screen == "Game") {
            PlanAnswer(now);
        }
    }

    // Events due in this frame, in the order planned.
    std::vector<TReplayEvent> Due(int frame)
    {
        std::vector<TReplayEvent> due;
        while (!pending.empty() && pending.front().frame == frame) {
            due.push_back(pending.front());
            pending.pop_front();
        }
        return due;
    }

private:
    void PlanAnswer(int now)
    {
        if (level.get() != lastLevelSeen) {
            lastLevelSeen = level.get();
            answersThisLevel = 0;
        }
        const bool answering = player->deathAnimCounter == 0 && player->successAnimCounter == 0;
        if (!answering || !player->answerInput || !player->answerInput->text.empty())
            return;
        // The losing level: one right and one wrong answer, then hands off until the time is up.
        if (profile->level >= plan.lastLevel && answersThisLevel >= 2)
            return;

        const std::string right = std::to_string(level->answer);
        int at = now + Think(12, 40);
        const int turn = answersThisLevel++;
        ++answersInRun;
        const bool wrong = profile->level >= plan.lastLevel ? turn == 1 : answersInRun % 4 == 2;
        if (wrong && right.size() >= 2 && answersInRun % 8 == 2) {
            // Too short an answer, confirmed with Enter: judged at once, and wrong.
            TypeText(at, right.substr(0, 1));
            Add(at + Think(4, 10), TReplayEvent::Type, KEY_ENTER);
        } else if (wrong) {
            // As many digits as the answer, the last one off by one: judged wrong without Enter.
            std::string typed = right;
            typed.back() = char('0' + (typed.back() - '0' + 1) % 10);
            TypeText(at, typed);
        } else if (right.size() >= 2 && answersInRun % 5 == 0) {
            // A slip put right: a wrong first digit rubbed out with Backspace.
            const char slip = char('0' + (right[0] - '0' + 5) % 10);
            Add(at, TReplayEvent::Type, slip);
            at += Think(5, 12);
            Add(at, TReplayEvent::Type, KEY_BACKSPACE);
            TypeText(at + Think(5, 12), right);
        } else {
            TypeText(at, right);
        }
    }

    // One digit every few frames, as fingers go.
    void TypeText(int at, const std::string& text)
    {
        for (char c : text) {
            Add(at, TReplayEvent::Type, c);
            at += Think(2, 7);
        }
    }

    void Add(int frame, TReplayEvent::Kind kind, int code)
    {
        TReplayEvent event;
        event.frame = frame;
        event.kind = kind;
        event.code = code;
        pending.push_back(event);
    }

    int Think(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

    TRecordPlan plan;
    std::mt19937 rng;   // the player's own dice: the game's generator must not be touched
    std::deque<TReplayEvent> pending;
    bool started = false;
    const void* lastLevelSeen = nullptr;
    int answersThisLevel = 0;
    int answersInRun = 0;
};

}  // namespace

TReplayScript RecordReplay(const TRecordPlan& plan, std::ostream& report)
{
    TReplayScript script;
    script.seed = plan.seed;
    TScriptedPlayer scriptedPlayer(plan);
    TReplaySession session(plan.seed, report);
    // A run that never ends would be a fault of the game or of this player; stop at the plan's cap.
    while (session.frame < plan.maxFrames) {
        scriptedPlayer.Plan(session.frame);
        for (const TReplayEvent& event : scriptedPlayer.Due(session.frame + 1)) {
            session.Deliver(event);
            script.events.push_back(event);
        }
        if (!session.Step())
            break;
    }
    // A game that ended by itself ends its replay at the same frame, and the slack is never used. A
    // recording cut at the cap must stop its replay where it stopped, or the last lines differ.
    script.endFrame = session.ended ? session.frame + 10 : session.frame;
    session.Finish();
    return script;
}
