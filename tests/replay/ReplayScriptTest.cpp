// The replay script format: what is accepted, what is refused and why, and that writing a script and
// reading it back gives the same input; and that a recording replays to the very end it recorded.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/Input.h"
#include "replay/Recorder.h"
#include "replay/Replay.h"

namespace {

bool Parse(const std::string& text, TReplayScript& script, std::string& error)
{
    std::istringstream in(text);
    return ParseReplayScript(in, script, error);
}

}  // namespace

TEST(ReplayScript, ReadsEveryActionAndWritesItBackUnchanged)
{
    const std::string text =
        "# a comment line\n"
        "seed -42\n"
        "\n"
        "10 key kp3      # trailing comment\n"
        "10 key 3\n"
        "12 down lctrl\n"
        "12 key x\n"
        "13 up lctrl\n"
        "20 type 1207\n"
        "21 char backspace\n"
        "22 char enter\n"
        "30 click 2\n"
        "31 key space\n"
        "end 40\n";
    TReplayScript script;
    std::string error;
    ASSERT_TRUE(Parse(text, script, error)) << error;
    EXPECT_EQ(script.seed, -42);
    EXPECT_EQ(script.endFrame, 40);
    ASSERT_EQ(script.events.size(), 13u);
    EXPECT_EQ(script.events[0].code, KEY_NUMPAD3);
    EXPECT_EQ(script.events[1].code, KEY_3);
    EXPECT_EQ(script.events[2].kind, TReplayEvent::Down);
    EXPECT_EQ(script.events[2].code, KEY_LCONTROL);
    EXPECT_EQ(script.events[3].code, KEY_X);
    // Typed text becomes one character each, all in the same frame.
    for (int i = 5; i < 9; ++i) {
        EXPECT_EQ(script.events[i].kind, TReplayEvent::Type);
        EXPECT_EQ(script.events[i].frame, 20);
    }
    EXPECT_EQ(script.events[8].code, '7');
    EXPECT_EQ(script.events[9].code, 8);
    EXPECT_EQ(script.events[10].code, 13);
    EXPECT_EQ(script.events[11].kind, TReplayEvent::Click);
    EXPECT_EQ(script.events[11].code, 2);

    std::ostringstream written;
    WriteReplayScript(written, script, "again");
    TReplayScript again;
    ASSERT_TRUE(Parse(written.str(), again, error)) << error << "\n" << written.str();
    EXPECT_EQ(again.seed, script.seed);
    EXPECT_EQ(again.endFrame, script.endFrame);
    ASSERT_EQ(again.events.size(), script.events.size());
    for (size_t i = 0; i < script.events.size(); ++i) {
        EXPECT_EQ(again.events[i].frame, script.events[i].frame) << i;
        EXPECT_EQ(again.events[i].kind, script.events[i].kind) << i;
        EXPECT_EQ(again.events[i].code, script.events[i].code) << i;
    }
    EXPECT_NE(written.str().find("20 type 1207\n"), std::string::npos) << written.str();
}

TEST(ReplayScript, RefusesMalformedScriptsNamingTheLine)
{
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"seed 1\n5 key 1\n", "a script needs a seed line and an end line"},
        {"end 9\n", "a script needs a seed line and an end line"},
        {"seed 1\nend 9\n5 key f13\n", "line 3: unknown key \"f13\""},
        {"seed 1\nend 9\n5 press 1\n", "line 3: unknown action \"press\""},
        {"seed 1\nend 9\n5 type\n", "line 3: nothing to type"},
        {"seed 1\nend 9\n5 char tab\n", "line 3: unknown character \"tab\""},
        {"seed 1\nend 9\n5 click 4\n", "line 3: mouse buttons are 1, 2 and 3"},
        {"seed 1\nend 9\n6 key 1\n5 key 2\n", "line 4: frames must not go backwards"},
        {"seed 1\nend 9\n0 key 1\n", "line 3: expected seed, end or a frame number, found \"0\""},
        {"seed 1\nend 9\n5x key 1\n", "line 3: expected seed, end or a frame number, found \"5x\""},
        {"seed 99999999999\nend 9\n", "line 1: bad number after seed"},
        {"seed 1\nend -1\n", "line 2: bad number after end"},
    };
    for (const Case& c : cases) {
        TReplayScript script;
        std::string error;
        EXPECT_FALSE(Parse(c.text, script, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

// A recording that reaches its frame cap with the game still running replays to the same last line.
TEST(ReplayScript, ARecordingCutAtItsCapReplaysToTheSameEnd)
{
    TRecordPlan plan;
    plan.lastLevel = 1000;   // never stops answering: only the cap ends the recording
    plan.maxFrames = 400;
    std::ostringstream recorded, replayed;
    const TReplayScript script = RecordReplay(plan, recorded);
    EXPECT_EQ(script.endFrame, 400);
    EXPECT_EQ(PlayReplay(script, replayed), 0);
    EXPECT_EQ(replayed.str(), recorded.str());
    EXPECT_NE(recorded.str().find("   400 end"), std::string::npos) << recorded.str();
}
