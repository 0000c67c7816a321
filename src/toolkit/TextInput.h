// TextInput - a label the user types into, one character per frame, with a blinking cursor.
#pragma once

#include <memory>
#include <string>

#include "platform/sound/Sound.h"
#include "toolkit/Flasher.h"
#include "toolkit/Label.h"

class TTextInput : public TLabel {
public:
    enum : int {
        MODE_ALL_CHARS = 0,
        MODE_NUMBERS_ONLY = 1,
    };

    // As TLabel::Create, plus the cursor label and a cursor that blinks for ever (on 20, off 10).
    static std::shared_ptr<TTextInput> Create(const std::string& text, float x, float y,
                                              const TImageFontPtr& imageFont,
                                              float scaleX = 1.0f, float scaleY = 1.0f);

    // Places the cursor after the text (by alignment) and draws it, then draws the text over it.
    int Draw() override;

    // The field and its cursor share this one colour instance.
    virtual int ApplyColor(const TColorPtr& newColor);
    virtual int CreateCursorLabel();
    // Forgets every pending key, so the key that ended the entry reaches nothing else.
    virtual int Finish();
    // One frame of typing: 1 confirmed (Enter), -1 aborted (Escape), 0 still typing.
    virtual int Logic();
    virtual int PlayTypingSound();
    // Empties the typed text; settings, textRaw and the flasher stay.
    virtual int Reset();

    int allowEscToAbort = 1;
    int allowExtendedChars = 0;    // 1: codes 127 and up are typed too
    int allowNull = 1;             // 1: Enter confirms an empty or blank entry
    int currentChar = 0;           // 1-based slot of the next character: length of text + 1
    TLabelPtr cursorLabel;
    TFlasherPtr flasher;
    int maxLength = 10;
    int maxPixelWidth = 0;         // 0: no limit; else GetPotentialWidth (camera included) limit
    int mode = MODE_ALL_CHARS;
    int playTypingSoundOnEnter = 1;
    int showCursor = 1;
    TSoundPtr typingSound;
    TChannelPtr typingChannel;
    int uppercaseFirstTypedChar = 0;
};

using TTextInputPtr = std::shared_ptr<TTextInput>;
