// TextInput - typing into a label: one character per frame, filters, limits, cursor and typing sound.
#include "toolkit/TextInput.h"

#include "platform/Platform.h"
#include "shell/Game.h"
#include "shell/Globals.h"

namespace {
constexpr int CHAR_BACKSPACE = 8;
constexpr int CHAR_ENTER = 13;
constexpr int CHAR_ESCAPE = 27;

// True when the text holds anything but control characters and blanks (codes below 33).
bool HasVisibleChar(const std::string& text)
{
    for (char32_t c : DecodeUtf8(text))
        if (c >= 33) return true;
    return false;
}
}

TTextInputPtr TTextInput::Create(const std::string& text, float x, float y,
                                 const TImageFontPtr& imageFont, float scaleX, float scaleY)
{
    auto field = std::make_shared<TTextInput>();
    field->InitLabel(text, x, y, imageFont, scaleX, scaleY);
    field->CreateCursorLabel();
    field->currentChar = Utf8Length(field->text) + 1;
    field->flasher = TFlasher::Create(0, 20, 10);
    return field;
}

int TTextInput::CreateCursorLabel()
{
    cursorLabel = TLabel::Create("_", x, y, imageFont, scaleX, scaleY);
    // The answer is a number, written left to right in every language; so is its field.
    mirrored = 0;
    cursorLabel->mirrored = 0;
    return 0;
}

int TTextInput::ApplyColor(const TColorPtr& newColor)
{
    color = newColor;
    if (cursorLabel) cursorLabel->color = newColor;
    return 0;
}

int TTextInput::Finish()
{
    ClearKeys();
    return 0;
}

int TTextInput::PlayTypingSound()
{
    if (typingSound && game) game->PlayGameSound(typingSound, typingChannel, 1.0f, 1.0f);
    return 0;
}

int TTextInput::Reset()
{
    text.clear();
    currentChar = 1;
    return 0;
}

int TTextInput::Logic()
{
    if (flasher) flasher->Logic();

    // The owner may have replaced text through UpdateText or SetTextRaw; keeping the insertion slot in
    // step with it stops Backspace from cutting the text at a stale position and the length limit from
    // being bypassed.
    currentChar = Utf8Length(text) + 1;

    int c = NextTypedChar();

    if (c == CHAR_BACKSPACE) {
        if (currentChar > 1) {
            --currentChar;
            PlayTypingSound();
        }
        text = Utf8Left(text, currentChar - 1);
    }

    // In numbers-only mode this also swallows Backspace (already handled) and Escape.
    if (mode == MODE_NUMBERS_ONLY && c != CHAR_ENTER && !(c >= '0' && c <= '9')) c = 0;

    bool candidate = (c >= 32 && c <= 126) || (c >= 127 && allowExtendedChars == 1);
    if (candidate && currentChar <= maxLength) {
        char32_t typed = static_cast<char32_t>(c);
        if (uppercaseFirstTypedChar != 0 && currentChar == 1) typed = UpperCaseChar(typed);
        std::string longer = text;
        AppendUtf8(longer, typed);
        if (maxPixelWidth == 0 || GetPotentialWidth(longer, 0) <= static_cast<float>(maxPixelWidth)) {
            text = std::move(longer);
            ++currentChar;
            PlayTypingSound();
        }
    }

    if (c == CHAR_ENTER) {
        if (playTypingSoundOnEnter != 0) PlayTypingSound();
        if (allowNull != 0 || HasVisibleChar(text)) {
            Finish();
            return 1;
        }
        // A blank entry that may not be empty: forget the keystroke and keep typing.
        ClearKeys();
    }

    if (c == CHAR_ESCAPE && allowEscToAbort != 0) {
        Finish();
        return -1;
    }
    return 0;
}

int TTextInput::Draw()
{
    if (showCursor != 0 && cursorLabel) {
        offsetX = 0.0f;
        float cw = cursorLabel->GetWidth(1);
        float tw = GetWidth(1);
        switch (alignment) {
        case ALIGN_RIGHT:
            offsetX = -cw;
            cursorLabel->x = x + offsetX;
            break;
        case ALIGN_CENTRE_HORIZ:
            offsetX = -cw / 2.0f;
            cursorLabel->x = x + offsetX + tw / 2.0f;
            break;
        case ALIGN_CENTRE_ALL:
            offsetX = cw / 2.0f;
            cursorLabel->x = x + offsetX + tw / 2.0f;
            break;
        default:
            // Left-aligned text (and any other value) starts at x, so the cursor follows its right edge
            // rather than sitting at its start.
            cursorLabel->x = x + tw;
            break;
        }
        // Drawn first, so the text lies over the cursor where they meet.
        if (flasher && flasher->state != 0) cursorLabel->Draw();
    }
    return TLabel::Draw();
}
