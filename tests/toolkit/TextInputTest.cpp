// Text input field and flasher: typing, filters, limits, confirmation and abort, cursor placement, blinking.
#include <vector>

#include "toolkit/Flasher.h"
#include "toolkit/TextInput.h"
#include "toolkit/ToolkitFixture.h"
#include "platform/Testing.h"

namespace {
class TextInputTest : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        field = TTextInput::Create("", 512, 400, font, 1, 1);
        field->typingSound = std::make_shared<TSound>();
        field->typingSound->samples.assign(4410, 0);
    }
    // Types one character and runs one frame of the field; returns Logic's result.
    int TypeAndRun(int c)
    {
        InjectTypedChar(c);
        return field->Logic();
    }
    void TypeAll(const std::string& text)
    {
        for (char c : text) TypeAndRun(static_cast<unsigned char>(c));
    }
    // True when the typing sound was (re)started since the last call.
    bool SoundPlayed()
    {
        bool played = field->typingChannel != lastChannel;
        lastChannel = field->typingChannel;
        return played;
    }

    TTextInputPtr field;
    TChannelPtr lastChannel;
};

TEST_F(TextInputTest, TypingOneCharacterPerFrameWithLimitsAndBackspace)
{
    EXPECT_EQ(field->currentChar, 1);
    // Three characters queued at once arrive over three frames.
    InjectTypedChar('a');
    InjectTypedChar('b');
    InjectTypedChar('c');
    EXPECT_EQ(field->Logic(), 0);
    EXPECT_EQ(field->text, "a");
    EXPECT_TRUE(SoundPlayed());
    field->Logic();
    field->Logic();
    EXPECT_EQ(field->text, "abc");
    EXPECT_EQ(field->currentChar, 4);
    field->Logic();   // nothing queued: nothing changes, no sound
    EXPECT_EQ(field->text, "abc");
    SoundPlayed();
    EXPECT_FALSE(SoundPlayed());

    // The default limit is ten characters; an eleventh is dropped silently.
    TypeAll("defghij");
    EXPECT_EQ(field->text, "abcdefghij");
    SoundPlayed();
    TypeAndRun('k');
    EXPECT_EQ(field->text, "abcdefghij");
    EXPECT_FALSE(SoundPlayed());
    TypeAndRun(8);
    EXPECT_TRUE(SoundPlayed());
    TypeAndRun('k');
    EXPECT_EQ(field->text, "abcdefghik");

    // Control characters and, by default, extended characters are never typed.
    TypeAndRun(8);
    TypeAndRun(9);
    TypeAndRun(200);
    EXPECT_EQ(field->text, "abcdefghi");
    field->allowExtendedChars = 1;
    TypeAndRun(0xE9);
    EXPECT_EQ(field->text, "abcdefghi\xC3\xA9");   // stored as UTF-8, counted as one character
    EXPECT_EQ(field->currentChar, 11);

    // Backspace on an empty field plays nothing.
    field->Reset();
    EXPECT_EQ(field->currentChar, 1);
    SoundPlayed();
    TypeAndRun(8);
    EXPECT_EQ(field->text, "");
    EXPECT_FALSE(SoundPlayed());

    // A field made with text starts after it, so Backspace removes its last character first.
    auto made = TTextInput::Create("123", 0, 0, font, 1, 1);
    EXPECT_EQ(made->currentChar, 4);
    InjectTypedChar(8);
    made->Logic();
    EXPECT_EQ(made->text, "12");
}

TEST_F(TextInputTest, NumbersOnlyModeFiltersEverythingButDigitsBackspaceAndEnter)
{
    field->mode = TTextInput::MODE_NUMBERS_ONLY;
    for (int c : {int('a'), int(' '), 27, int('-'), int('4'), int('Z'), int('2')}) EXPECT_EQ(TypeAndRun(c), 0);
    EXPECT_EQ(field->text, "42");
    TypeAndRun(8);
    EXPECT_EQ(field->text, "4");
    EXPECT_EQ(TypeAndRun(13), 1);
}

TEST_F(TextInputTest, EnterAndEscape)
{
    // Enter confirms, keeps the text, and forgets every other pending key.
    TypeAll("12");
    InjectTypedChar(13);
    InjectTypedChar('9');
    SoundPlayed();
    EXPECT_EQ(field->Logic(), 1);
    EXPECT_TRUE(SoundPlayed());
    EXPECT_EQ(field->text, "12");
    EXPECT_EQ(NextTypedChar(), 0);

    // Empty entries are confirmed by default...
    field->Reset();
    EXPECT_EQ(TypeAndRun(13), 1);
    EXPECT_EQ(field->text, "");
    // ...but not with allowNull 0, where a blank Enter still sounds, clears the queue and goes on.
    field->allowNull = 0;
    TypeAll("  ");
    InjectTypedChar(13);
    InjectTypedChar('5');
    SoundPlayed();
    EXPECT_EQ(field->Logic(), 0);
    EXPECT_TRUE(SoundPlayed());
    EXPECT_EQ(field->text, "  ");
    EXPECT_EQ(NextTypedChar(), 0);
    field->playTypingSoundOnEnter = 0;
    TypeAll("x");
    SoundPlayed();
    EXPECT_EQ(TypeAndRun(13), 1);
    EXPECT_FALSE(SoundPlayed());

    // Escape aborts and keeps the text, unless aborting is switched off.
    EXPECT_EQ(TypeAndRun(27), -1);
    EXPECT_EQ(field->text, "  x");
    field->allowEscToAbort = 0;
    EXPECT_EQ(TypeAndRun(27), 0);
    EXPECT_EQ(field->text, "  x");
}

TEST_F(TextInputTest, UpperCaseFirstAndPixelWidthLimitUnderZoom)
{
    field->uppercaseFirstTypedChar = 1;
    TypeAll("ab");
    EXPECT_EQ(field->text, "Ab");
    TypeAll("\b\bc");
    EXPECT_EQ(field->text, "C");

    // The width limit is measured with the zoom: at game scale 2 it is reached at half the width.
    auto wide = TTextInput::Create("", 0, 0, font, 1, 1);
    wide->maxLength = 100;
    wide->maxPixelWidth = 4 * Measure("0");
    renderer->scaleX = 2.0f;
    for (int i = 0; i < 10; ++i) {
        InjectTypedChar('0');
        wide->Logic();
    }
    EXPECT_EQ(wide->text, "00");
    renderer->scaleX = 1.0f;
    for (int i = 0; i < 10; ++i) {
        InjectTypedChar('0');
        wide->Logic();
    }
    EXPECT_EQ(wide->text, "0000");
}

TEST_F(TextInputTest, TypedTextBypassesTheFormatUntilItIsReplaced)
{
    field->SetFormatMode(TTextFormat::FORMAT_MODE_ZERO_PADDED_INT, 3);
    EXPECT_EQ(field->text, "000");
    field->Reset();
    TypeAll("7");
    EXPECT_EQ(field->text, "7");
    EXPECT_EQ(field->textRaw, "");

    // After the owner replaces the text, editing continues from its real end: Backspace removes one
    // character and the length limit counts the replaced text.
    field->SetTextRaw("12345");
    EXPECT_EQ(field->text, "12345");
    TypeAndRun(8);
    EXPECT_EQ(field->text, "1234");
    field->maxLength = 5;
    TypeAll("67");
    EXPECT_EQ(field->text, "12346");
}

TEST_F(TextInputTest, CursorFollowsTheTextByAlignment)
{
    // The answer field: centred, scale 2 x 3, text 42.
    auto answer = TTextInput::Create("42", 512, 300, font, 2.0f, 3.0f);
    answer->alignment = TLabel::ALIGN_CENTRE_HORIZ;
    const float tw = Measure("42") * 2.0f;
    const float cw = Measure("_") * 2.0f;
    answer->Draw();
    EXPECT_FLOAT_EQ(answer->offsetX, -cw / 2);
    float dx = 0, dy = 0;
    answer->GetAlignedPosition(dx, dy);
    // With the text 30 and "_" 12 font pixels wide this is 470 for the text and 530 for the cursor.
    EXPECT_FLOAT_EQ(dx, 512 - tw / 2 - cw / 2);
    EXPECT_FLOAT_EQ(answer->cursorLabel->x, dx + tw);
    EXPECT_FLOAT_EQ(answer->cursorLabel->x + answer->cursorLabel->GetWidth(1), 512 + tw / 2 + cw / 2);
    EXPECT_FLOAT_EQ(answer->cursorLabel->y, 300);

    answer->alignment = TLabel::ALIGN_RIGHT;
    answer->Draw();
    answer->GetAlignedPosition(dx, dy);
    EXPECT_FLOAT_EQ(dx + tw, answer->cursorLabel->x);
    EXPECT_FLOAT_EQ(answer->cursorLabel->x + cw, 512);

    answer->alignment = TLabel::ALIGN_CENTRE_ALL;
    answer->Draw();
    answer->GetAlignedPosition(dx, dy);
    EXPECT_FLOAT_EQ(answer->cursorLabel->x, dx + tw);

    // Left-aligned text: the cursor goes after the text, not on top of its first character.
    answer->alignment = TLabel::ALIGN_LEFT;
    answer->Draw();
    EXPECT_FLOAT_EQ(answer->offsetX, 0);
    EXPECT_FLOAT_EQ(answer->cursorLabel->x, 512 + tw);

    // Without a cursor nothing is moved.
    answer->showCursor = 0;
    answer->offsetX = 5;
    answer->cursorLabel->x = 1;
    answer->Draw();
    EXPECT_FLOAT_EQ(answer->offsetX, 5);
    EXPECT_FLOAT_EQ(answer->cursorLabel->x, 1);

    // One colour instance for text and cursor; SetColor afterwards changes the text only.
    auto gold = TColor::Create(255, 200, 0, 1.0f);
    answer->ApplyColor(gold);
    EXPECT_EQ(answer->color, gold);
    EXPECT_EQ(answer->cursorLabel->color, gold);
    answer->SetColor(1, 1, 1, 1);
    EXPECT_EQ(answer->cursorLabel->color, gold);
}

// States after each of n calls of Logic.
std::vector<int> States(const TFlasherPtr& flasher, int n)
{
    std::vector<int> states;
    for (int i = 0; i < n; ++i) {
        flasher->Logic();
        states.push_back(flasher->state);
    }
    return states;
}

TEST(FlasherTest, PhaseLengthsAndDuration)
{
    // The cursor's flasher: 20 on after creation, then 11 off and 21 on, over and over.
    auto cursor = TFlasher::Create(0, 20, 10);
    std::vector<int> expected;
    expected.insert(expected.end(), 20, 1);
    for (int cycle = 0; cycle < 3; ++cycle) {
        expected.insert(expected.end(), 11, 0);
        expected.insert(expected.end(), 21, 1);
    }
    EXPECT_EQ(States(cursor, int(expected.size())), expected);

    // A forced phase lasts exactly its length: hidden for 10 calls, shown from the 11th.
    cursor->SetToOff();
    std::vector<int> forced(10, 0);
    forced.push_back(1);
    EXPECT_EQ(States(cursor, 11), forced);

    // A duration reports its end once, on its n-th call, without advancing the phase then.
    auto timed = TFlasher::Create(3, 5, 5);
    std::vector<int> results;
    for (int i = 0; i < 8; ++i) results.push_back(timed->Logic());
    EXPECT_EQ(results, (std::vector<int>{0, 0, 1, 0, 0, 0, 0, 0}));
    EXPECT_FLOAT_EQ(timed->animCounter, 0);
    EXPECT_EQ(timed->state, 0);   // the phase advanced on 7 of the 8 calls: the 5-frame on phase is over
}
}
