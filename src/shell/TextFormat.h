// TTextFormat - how a label turns the text it is given into the text it shows.
#pragma once

#include <memory>
#include <string>

class TTextFormat;
using TTextFormatPtr = std::shared_ptr<TTextFormat>;

class TTextFormat {
public:
    static constexpr int FORMAT_MODE_STRING = 0;
    static constexpr int FORMAT_MODE_ZERO_PADDED_INT = 100;

    int formatMode = FORMAT_MODE_STRING;
    int formatModeParam = 0;   // minimum length for FORMAT_MODE_ZERO_PADDED_INT

    static TTextFormatPtr Create();

    // Unchanged in string mode, left-padded with "0" in zero-padded mode, empty in any other mode.
    std::string MakeFormattedString(const std::string& text) const;
    int SetFormatMode(int mode, int param);
};
