// TTextFormat - turns a label's text into the text it shows.
#include "shell/TextFormat.h"

#include "shell/Helpers.h"

TTextFormatPtr TTextFormat::Create()
{
    return std::make_shared<TTextFormat>();
}

std::string TTextFormat::MakeFormattedString(const std::string& text) const
{
    switch (formatMode) {
    case FORMAT_MODE_STRING:
        return text;
    case FORMAT_MODE_ZERO_PADDED_INT:
        // Purely textual: "-5" padded to 3 is "0-5", and the text is never parsed.
        return PadWithZeros(text, formatModeParam);
    default:
        // An unknown mode shows nothing rather than something half-formatted.
        return "";
    }
}

int TTextFormat::SetFormatMode(int mode, int param)
{
    formatMode = mode;
    formatModeParam = param;
    return 0;
}
