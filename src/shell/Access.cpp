// Access - the launch's modes, the time factor's text form, and the spoken mode's one door to speech.
#include "shell/Access.h"

#include "platform/Speech.h"

namespace {
TAccessModes current;
}

void SetAccessModes(const TAccessModes& modes) { current = modes; }

const TAccessModes& AccessModes() { return current; }

std::string TimeFactorText(int percent)
{
    std::string text = std::to_string(percent / 100);
    const int hundredths = percent % 100;
    if (hundredths != 0) {
        text += "." + std::to_string(hundredths / 10);
        if (hundredths % 10 != 0)
            text += std::to_string(hundredths % 10);
    }
    return text;
}

bool ParseTimeFactor(const std::string& text, int& percent)
{
    // Digits, then at most one point and two digits after it: "1.5", "2", "1.25", "2." and ".5" are not.
    const size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    if (whole.empty() || whole.size() > 1 || (point != std::string::npos && (fraction.empty() || fraction.size() > 2)))
        return false;
    for (char c : whole + fraction)
        if (c < '0' || c > '9')
            return false;
    int value = (whole[0] - '0') * 100;
    if (!fraction.empty())
        value += (fraction[0] - '0') * 10 + (fraction.size() > 1 ? fraction[1] - '0' : 0);
    if (value < MIN_TIME_PERCENT || value > MAX_TIME_PERCENT)
        return false;
    percent = value;
    return true;
}

void Announce(const std::string& words)
{
    if ((current.speak || current.describe) && !words.empty())
        Speak(words);
}
