// Settings - the settings file's lines, read leniently; a change made in the game rewrites only the line
// it changes.
#include "records/Settings.h"

#include "shell/Access.h"
#include "shell/Helpers.h"

namespace {

const char* const BLANKS = " \t\r";
// Some editors begin a UTF-8 file with it; it is not part of the first line.
const std::string BYTE_ORDER_MARK = "\xEF\xBB\xBF";

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(BLANKS);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(BLANKS) - first + 1);
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

bool ParseDisplay(const std::string& value, int& fullScreen)
{
    if (value != "window" && value != "fullscreen")
        return false;
    fullScreen = value == "fullscreen" ? 1 : 0;
    return true;
}

// A setting of two words: off (false) or on (true).
bool ParseChoice(const std::string& value, const char* off, const char* on, bool& chosen)
{
    if (value != off && value != on)
        return false;
    chosen = value == on;
    return true;
}

// One line of the file that is neither blank nor a comment.
struct TSettingLine {
    int number = 0;
    std::string text;           // the line without its surrounding blanks
    bool strayBreak = false;    // it holds a line break the file does not otherwise use
    bool assignment = false;    // it has an "="
    std::string name, value;    // on either side of the "=", without surrounding blanks
    size_t valueAt = 0;         // where the value starts in the whole file's text
};

// The file's own line break, as its first one is: LF, CR LF, or a lone CR (old Mac editors); LF for a
// file that has none yet.
std::string LineBreak(const std::string& text)
{
    const size_t at = text.find_first_of("\r\n");
    if (at == std::string::npos || text[at] == '\n')
        return "\n";
    return at + 1 < text.size() && text[at + 1] == '\n' ? "\r\n" : "\r";
}

template <class Visit>
void ForEachSettingLine(const std::string& text, Visit visit)
{
    // Lines end at LF (a CR before it is a blank), or at CR in a file that has no LF at all.
    const char end = text.find('\n') == std::string::npos && text.find('\r') != std::string::npos ? '\r' : '\n';
    size_t start = text.compare(0, BYTE_ORDER_MARK.size(), BYTE_ORDER_MARK) == 0 ? BYTE_ORDER_MARK.size() : 0;
    for (int number = 1; start < text.size(); ++number) {
        size_t stop = text.find(end, start);
        if (stop == std::string::npos)
            stop = text.size();
        const std::string raw = text.substr(start, stop - start);
        TSettingLine line;
        line.number = number;
        line.text = Trim(raw);
        // A CR inside a line joins what the player sees as two: even a comment may hide a setting.
        line.strayBreak = line.text.find('\r') != std::string::npos;
        if (line.strayBreak || (!line.text.empty() && line.text[0] != '#')) {
            const size_t equals = raw.find('=');
            line.assignment = equals != std::string::npos;
            if (line.assignment) {
                line.name = Trim(raw.substr(0, equals));
                line.value = Trim(raw.substr(equals + 1));
                const size_t first = raw.find_first_not_of(BLANKS, equals + 1);
                line.valueAt = start + (first == std::string::npos ? raw.size() : first);
            }
            visit(line);
        }
        start = stop + 1;
    }
}

}  // namespace

// The lines of the modes a player chose, only where they differ from the default: a file written for
// a player who chose none reads as it always has.
std::string TSettings::ChosenModes() const
{
    std::string lines;
    if (timePercent != 100) {
        // 150 is "1.5" and 125 "1.25": the form the time factor is read in.
        std::string factor = std::to_string(timePercent / 100);
        if (const int hundredths = timePercent % 100; hundredths != 0)
            factor += "." + std::string(hundredths < 10 ? "0" : "") +
                      std::to_string(hundredths % 10 == 0 ? hundredths / 10 : hundredths);
        lines += "time-factor = " + factor + "\n";
    }
    if (calm)
        lines += "motion = calm\n";
    if (speak)
        lines += "speak = on\n";
    if (!history)
        lines += "history = off\n";
    return lines;
}

TSettings TSettings::Parse(const std::string& text, std::vector<std::string>& warnings)
{
    TSettings settings;
    ForEachSettingLine(text, [&](const TSettingLine& line) {
        // The line's own text, so that the player finds it whatever it holds.
        const std::string where = "line " + std::to_string(line.number) + " (" + QuotedForMessage(line.text) + "): ";
        if (line.strayBreak)
            warnings.push_back(where + "a carriage return in the middle of the line; ignored");
        else if (!line.assignment)
            warnings.push_back(where + "not of the form name = value; ignored");
        else if (line.name == "display" && !ParseDisplay(line.value, settings.fullScreen))
            warnings.push_back(where + "the display is window or fullscreen; ignored");
        else if ((line.name == "music-volume" && !ParsePercent(line.value, settings.musicVolume)) ||
                 (line.name == "effects-volume" && !ParsePercent(line.value, settings.effectsVolume)))
            warnings.push_back(where + "a volume is a whole number from 0 to 100; ignored");
        else if (line.name == "time-factor" && !ParseTimeFactor(line.value, settings.timePercent))
            warnings.push_back(where + "the time factor is a number from 1 to 4, such as 1.5 or 2; ignored");
        else if (line.name == "motion" && !ParseChoice(line.value, "full", "calm", settings.calm))
            warnings.push_back(where + "the motion is full or calm; ignored");
        else if (line.name == "speak" && !ParseChoice(line.value, "off", "on", settings.speak))
            warnings.push_back(where + "speak is on or off; ignored");
        else if (line.name == "history" && line.value != "on" && line.value != "off")
            warnings.push_back(where + "the history is on or off; ignored");
        else if (line.name == "history")
            settings.history = line.value == "on";
        else if (line.name != "display" && line.name != "music-volume" && line.name != "effects-volume" &&
                 line.name != "time-factor" && line.name != "motion" && line.name != "speak")
            warnings.push_back(where + "unknown setting; ignored");
    });
    return settings;
}

std::string TSettings::Format() const
{
    return "# Calcadia's settings. Delete this file to go back to the defaults.\n"
           "# display: window or fullscreen (Ctrl+F in the game changes it)\n"
           "display = " + std::string(fullScreen ? "fullscreen" : "window") + "\n"
           "# volumes in percent of the game's own levels, 0 to 100\n"
           "music-volume = " + std::to_string(musicVolume) + "\n"
           "effects-volume = " + std::to_string(effectsVolume) + "\n" + ChosenModes();
}

std::string TSettings::WithDisplay(const std::string& text, int fullScreen)
{
    // The line that decides is the last one that reads; the earlier ones and the bad ones stay as the
    // player left them.
    size_t at = std::string::npos, length = 0;
    ForEachSettingLine(text, [&](const TSettingLine& line) {
        int ignored = 0;
        if (!line.strayBreak && line.assignment && line.name == "display" && ParseDisplay(line.value, ignored)) {
            at = line.valueAt;
            length = line.value.size();
        }
    });
    const std::string value = fullScreen ? "fullscreen" : "window";
    if (at != std::string::npos)
        return text.substr(0, at) + value + text.substr(at + length);
    // In the file's own line breaks, so that an editor that wrote them finds the file as it left it.
    const std::string lineBreak = LineBreak(text);
    const bool lineOpen = !text.empty() && text.back() != '\n' && text.back() != '\r';
    return text + (lineOpen ? lineBreak : "") + "display = " + value + lineBreak;
}
