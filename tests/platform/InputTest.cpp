// Key-hit, typed-character and mouse semantics of the polled input state.
#include "platform/Input.h"
#include "platform/Platform.h"
#include "platform/Testing.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>

class Input : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearKeys();
        ClearMouse();
        AppTerminateRequested();
    }
};

TEST_F(Input, HitsAreCountedOncePerPressAndReadOnce)
{
    InjectKeyDown(KEY_X);
    EXPECT_EQ(KeyIsDown(KEY_X), 1);
    // Auto-repeat while held adds nothing; a second ask in the same frame sees 0.
    for (int i = 0; i < 60; ++i) {
        TInputEvent repeat{TInputEvent::KeyDown, KEY_X};
        repeat.repeat = true;
        ProcessInputEvent(repeat);
    }
    InjectKeyDown(KEY_X);
    EXPECT_EQ(KeyWasHit(KEY_X), 1);
    EXPECT_EQ(KeyWasHit(KEY_X), 0);
    InjectKeyUp(KEY_X);
    EXPECT_EQ(KeyIsDown(KEY_X), 0);

    InjectKeyPress(KEY_P);
    InjectKeyPress(KEY_P);
    EXPECT_EQ(KeyWasHit(KEY_P), 2);

    // Left and right Ctrl are told apart; the keypad digits are not the main ones.
    InjectKeyDown(KEY_LCONTROL);
    EXPECT_EQ(KeyIsDown(KEY_LCONTROL), 1);
    EXPECT_EQ(KeyIsDown(KEY_RCONTROL), 0);
    InjectKeyPress(KEY_NUMPAD1);
    EXPECT_EQ(KeyWasHit(KEY_1), 0);
    EXPECT_EQ(KeyWasHit(KEY_NUMPAD1), 1);

    // Codes outside the table are ignored rather than read out of bounds.
    InjectKeyDown(300);
    InjectKeyDown(-1);
    EXPECT_EQ(KeyWasHit(300), 0);
    EXPECT_EQ(KeyIsDown(-1), 0);
}

TEST_F(Input, TypedQueueKeepsTheFirst256InOrder)
{
    for (int i = 0; i < 300; ++i) InjectTypedChar(32 + i % 90);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(NextTypedChar(), 32 + i % 90) << i;
    EXPECT_EQ(NextTypedChar(), 0);

    // Control characters are queued like any other.
    for (int c : {8, 13, 27, 200}) InjectTypedChar(c);
    EXPECT_EQ(NextTypedChar(), 8);
    EXPECT_EQ(NextTypedChar(), 13);
    EXPECT_EQ(NextTypedChar(), 27);
    EXPECT_EQ(NextTypedChar(), 200);
    EXPECT_EQ(NextTypedChar(), 0);

    // Filled again from where those four left its head, the queue wraps around the end of its ring.
    for (int i = 0; i < 300; ++i) InjectTypedChar(1000 + i);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(NextTypedChar(), 1000 + i) << i;
    EXPECT_EQ(NextTypedChar(), 0);
}

TEST_F(Input, ClearingForgetsHitsHeldKeysAndTypedText)
{
    InjectKeyDown(KEY_ENTER);
    InjectTypedChar('7');
    ClearKeys();
    EXPECT_EQ(KeyIsDown(KEY_ENTER), 0);
    EXPECT_EQ(KeyWasHit(KEY_ENTER), 0);
    EXPECT_EQ(NextTypedChar(), 0);
    // The key, still physically held, counts as up until it is pressed again.
    InjectKeyDown(KEY_ENTER);
    EXPECT_EQ(KeyWasHit(KEY_ENTER), 1);
}

namespace {
void PushKey(SDL_EventType type, SDL_Keycode sym, Uint16 mod)
{
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
}

void PushText(const char* text)
{
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    std::snprintf(e.text.text, sizeof e.text.text, "%s", text);
    SDL_PushEvent(&e);
}

void PushFocus(Uint8 event)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = event;
    SDL_PushEvent(&e);
}
}

// Through the window system's own event queue, as the game receives it.
TEST_F(Input, FocusChangesReleaseWhatWasHeldAndKeepWhatFollows)
{
    InitPlatform();
    InjectKeyDown(KEY_D);
    ProcessInputEvent({TInputEvent::MouseDown, 1});
    InjectTypedChar('1');
    // Gaining the focus, then X pressed and 7 typed, all read by one poll.
    PushFocus(SDL_WINDOWEVENT_FOCUS_GAINED);
    PushKey(SDL_KEYDOWN, SDLK_x, KMOD_NONE);
    PushText("7");
    EXPECT_EQ(KeyIsDown(KEY_D), 0);
    EXPECT_EQ(KeyWasHit(KEY_D), 0);
    EXPECT_EQ(MouseButtonWasHit(1), 0);
    EXPECT_EQ(KeyWasHit(KEY_X), 1);
    EXPECT_EQ(NextTypedChar(), '7');
    EXPECT_EQ(NextTypedChar(), 0);
    PushFocus(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(KeyIsDown(KEY_X), 0);
}

TEST_F(Input, CtrlChordsCountTheCtrlThatCameWithTheKey)
{
    InitPlatform();
    // Ctrl down and up again around X before anyone looks: the X still came with Ctrl.
    PushKey(SDL_KEYDOWN, SDLK_LCTRL, KMOD_LCTRL);
    PushKey(SDL_KEYDOWN, SDLK_x, KMOD_LCTRL);
    PushKey(SDL_KEYUP, SDLK_x, KMOD_LCTRL);
    PushKey(SDL_KEYUP, SDLK_LCTRL, KMOD_NONE);
    EXPECT_EQ(CtrlChordWasHit(KEY_X), 1);
    EXPECT_EQ(CtrlChordWasHit(KEY_X), 0);
    EXPECT_EQ(NextTypedChar(), 24);   // and typed its control character
    // Ctrl down when the chord is asked counts as well, as it always has (X, then Ctrl, in one frame).
    InjectKeyPress(KEY_X);
    InjectKeyDown(KEY_RCONTROL);
    EXPECT_EQ(CtrlChordWasHit(KEY_X), 1);
    // A chord used up by a plain look at the key is gone: a later X alone is no chord.
    InjectKeyPress(KEY_X);
    InjectKeyUp(KEY_RCONTROL);
    EXPECT_EQ(KeyWasHit(KEY_X), 1);
    InjectKeyPress(KEY_X);
    EXPECT_EQ(CtrlChordWasHit(KEY_X), 0);

    // Ctrl+letter types its control character (Ctrl+A 1 ... Ctrl+Z 26), but not with Alt as well.
    PushKey(SDL_KEYDOWN, SDLK_a, KMOD_RCTRL);
    PushKey(SDL_KEYDOWN, SDLK_z, KMOD_LCTRL);
    PushKey(SDL_KEYDOWN, SDLK_q, KMOD_LCTRL | KMOD_RALT);
    PushKey(SDL_KEYDOWN, SDLK_h, KMOD_NONE);
    EXPECT_EQ(NextTypedChar(), 1);
    EXPECT_EQ(NextTypedChar(), 26);
    EXPECT_EQ(NextTypedChar(), 0);
}

TEST_F(Input, MouseClicksPositionsAndCloseRequest)
{
    InjectMouseMove(512, 384);
    InjectMouseClick(1);
    InjectMouseClick(1);
    InjectMouseClick(3);
    EXPECT_EQ(MousePosX(), 512);
    EXPECT_EQ(MousePosY(), 384);
    EXPECT_EQ(MouseButtonWasHit(1), 2);
    EXPECT_EQ(MouseButtonWasHit(1), 0);
    EXPECT_EQ(MouseButtonWasHit(2), 0);
    InjectMouseClick(2);
    ClearMouse();
    EXPECT_EQ(MouseButtonWasHit(2), 0);
    EXPECT_EQ(MouseButtonWasHit(3), 0);
    EXPECT_EQ(MouseButtonWasHit(9), 0);

    EXPECT_EQ(AppTerminateRequested(), 0);
    ProcessInputEvent({TInputEvent::Close});
    EXPECT_EQ(AppTerminateRequested(), 1);
    EXPECT_EQ(AppTerminateRequested(), 0);
}
