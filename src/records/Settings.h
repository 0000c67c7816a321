// Settings - what the player chooses and the game remembers: window or full screen, music and effects volume.
#pragma once

#include <string>
#include <vector>

struct TSettings {
    // Far more than a settings file needs; a larger one is not one.
    static constexpr size_t MAX_BYTES = 65536;

    int fullScreen = 0;         // Ctrl+F's last choice
    int musicVolume = 100;      // percent of the game's own music level
    int effectsVolume = 100;    // percent of the game's own effects level
    int timePercent = 100;      // time-factor: every level's limit, in percent of the usual one
    bool calm = false;          // motion = calm rather than full
    bool speak = false;         // speak = on rather than off
    int history = 1;            // "history = off": no answer is kept in the history of answers

    // Lines of "name = value"; blank lines and lines starting with # are skipped. A line with an unknown
    // name or a value out of range is ignored, and warnings gets a line saying so that names it.
    static TSettings Parse(const std::string& text, std::vector<std::string>& warnings);
    // A whole new file of these settings, with comments that say how to edit it.
    std::string Format() const;
    // The lines of the modes chosen away from their defaults (more time, calm, spoken, no history).
    std::string ChosenModes() const;
    // The settings file text with the display set to fullScreen's choice: the value of the line that
    // decides it replaced, or a line added at the end; every other byte (comments, names this version
    // does not know, values it cannot read) as it was.
    static std::string WithDisplay(const std::string& text, int fullScreen);

    bool operator==(const TSettings&) const = default;
};
