// LaunchOptions - the command line: what one launch of the game is asked to do differently.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/HistoryOptions.h"

struct TLaunchOptions {
    int fullScreen = -1;        // -1: the saved choice (a window when there is none), 0 window, 1 full screen
    bool mute = false;          // all sound off until M
    std::optional<int> seed;    // every run of the launch starts from it, so all ask the same questions
    std::string dataFolder;     // an absolute path standing in for Data/; empty for the usual one
    std::string language;       // the language asked for by name (fr, pt_BR); empty for the locale's
    int timePercent = 0;        // --more-time in percent (150 for 1.5); 0 for the settings' choice
    bool calm = false;          // --calm: no zoom, explosions that fade
    bool speak = false;         // --speak: the spoken mode
    bool describe = false;      // the words for screen readers alone (the browser's page asks for them)
    // Best scores and settings are read and written. The program's own launch turns it on; tests,
    // replays and benchmarks leave it off, so nothing a developer has saved can change what they see.
    bool keepRecords = false;
    THistoryOptions history;    // the history of answers and the report
};

// Reads the arguments after the program's name into options; a lone "--" ends the options. Nothing
// when the game should start; otherwise the exit code, with what to print on standard output (help,
// version) in out or on standard error (why an option is bad, and where the help is) in err.
std::optional<int> ParseLaunchOptions(const std::vector<std::string>& args, TLaunchOptions& options,
                                      std::string& out, std::string& err);
// The --help text: usage, options, keys and where the game keeps its files.
std::string UsageText();
// The language the arguments ask for (the last good --lang), "" when none: the language has to be chosen
// before the arguments are read, so that their help and complaints are in it.
std::string LanguageAsked(const std::vector<std::string>& args);

// The options start-up and the game read; the defaults until set.
void SetLaunchOptions(const TLaunchOptions& options);
const TLaunchOptions& LaunchOptions();
