// Settings - the settings file's lines, read leniently and written whole.
#include "shell/Settings.h"

#include <cctype>

namespace {

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool ParsePercent(const std::string& value, int& percent)
{
    if (value.empty() || value.size() > 3)
        return false;
    int v = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (v > 100)
        return false;
    percent = v;
    return true;
}

// A name is quoted in a warning only when it is plainly a word: the file may hold anything at all.
std::string Quoted(const std::string& name)
{
    if (name.empty() || name.size() > 40)
        return "a setting";
    for (unsigned char c : name)
        if (!std::isalnum(c) && c != '-' && c != '_')
            return "a setting";
    return "\"" + name + "\"";
}

}  // namespace

TSettings TSettings::Parse(const std::string& text, std::vector<std::string>& warnings)
{
    TSettings settings;
    size_t start = 0;
    for (int lineNumber = 1; start < text.size(); ++lineNumber) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            warnings.push_back(where + "not of the form name = value; ignored");
            continue;
        }
        const std::string name = Trim(line.substr(0, equals));
        const std::string value = Trim(line.substr(equals + 1));
        bool good = true;
        if (name == "display") {
            good = value == "window" || value == "fullscreen";
            if (good)
                settings.fullScreen = value == "fullscreen" ? 1 : 0;
        } else if (name == "music-volume") {
            good = ParsePercent(value, settings.musicVolume);
        } else if (name == "effects-volume") {
            good = ParsePercent(value, settings.effectsVolume);
        } else {
            warnings.push_back(where + "unknown setting " + Quoted(name) + "; ignored");
            continue;
        }
        if (!good)
            warnings.push_back(where + "bad value for " + Quoted(name) +
                               (name == "display" ? " (window or fullscreen)" : " (a whole number from 0 to 100)") +
                               "; ignored");
    }
    return settings;
}

std::string TSettings::Format() const
{
    return "# Calcadia's settings. Delete this file to go back to the defaults.\n"
           "# display: window or fullscreen (Ctrl+F in the game changes it)\n"
           "display = " + std::string(fullScreen ? "fullscreen" : "window") + "\n"
           "# volumes in percent of the game's own levels, 0 to 100\n"
           "music-volume = " + std::to_string(musicVolume) + "\n"
           "effects-volume = " + std::to_string(effectsVolume) + "\n";
}
