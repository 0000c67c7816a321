// Text input fuzz target: an answer-field-like TTextInput with settings taken from the first bytes,
// then a stream of typed characters (any code, Latin-1 and beyond), key hits and frames. After every
// frame: the entry never holds more than maxLength characters, currentChar is its length + 1, only
// digits are held in numbers-only mode, and a width limit is never exceeded.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/Platform.h"
#include "platform/Testing.h"
#include "platform/sound/SoundTesting.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Renderer.h"
#include "toolkit/TextInput.h"

namespace {

void Check(const TTextInputPtr& field, int result)
{
    const int length = Utf8Length(field->text);
    if (length > field->maxLength || field->currentChar != length + 1)
        std::abort();
    if (field->mode == TTextInput::MODE_NUMBERS_ONLY) {
        if (field->text.find_first_not_of("0123456789") != std::string::npos || result == -1)
            std::abort();
    }
    if (field->maxPixelWidth > 0 && field->GetPotentialWidth(field->text, 0) > float(field->maxPixelWidth))
        std::abort();
    if (result < -1 || result > 1)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = [] {
        UseVirtualClock(true);
        UseManualAudio(true);
        game = TGame::Create();
        renderer = TRenderer::Create();
        return true;
    }();
    (void)ready;
    if (size < 4)
        return 0;
    ClearKeys();
    // The built-in font: it measures like any other and needs no file.
    const TTextInputPtr field = TTextInput::Create("", 512, 384, nullptr, 1.0f + data[3] % 4, 3.0f);
    field->mode = data[0] % 3;   // 2 is no mode of its own and must behave as all characters
    field->maxLength = data[1] % 16;
    field->maxPixelWidth = (data[2] & 0x80) ? (data[2] & 0x7F) * 8 : 0;
    field->allowExtendedChars = data[3] >> 7;
    field->uppercaseFirstTypedChar = (data[3] >> 6) & 1;
    field->allowNull = (data[3] >> 5) & 1;
    field->allowEscToAbort = (data[3] >> 4) & 1;
    field->alignment = data[2] % 5;
    static const TSoundPtr click = [] {
        auto sound = std::make_shared<TSound>();
        sound->samples.assign(64, TSound::FromFloat(0.1f));
        return sound;
    }();
    field->typingSound = click;
    renderer->scaleX = 1.0f + float(data[1] >> 4) / 4.0f;

    for (size_t i = 4; i < size; ++i) {
        const uint8_t op = data[i];
        switch (op >> 6) {
        case 0:   // a control character, a blank, a digit or punctuation; 0 stands for Backspace
            InjectTypedChar(op ? op : 8);
            break;
        case 1:   // the byte after it, whatever it is
            if (i + 1 < size)
                InjectTypedChar(data[++i]);
            break;
        case 2:   // a code point of up to 21 bits from the next three bytes, or more
            if (i + 3 < size) {
                InjectTypedChar(int(data[i + 1]) | int(data[i + 2]) << 8 | int(data[i + 3]) << 16);
                i += 3;
            }
            break;
        default:  // a frame, with the key hits the game screen reads around it
            if (op & 1)
                InjectKeyPress(KEY_ESCAPE);
            if (op & 2)
                InjectKeyPress(KEY_ENTER);
            if (op & 4)
                field->Reset();
            Check(field, field->Logic());
            if (op & 8)
                (void)field->GetWidth(1);
            break;
        }
    }
    Check(field, field->Logic());
    renderer->scaleX = 1.0f;
    return 0;
}
