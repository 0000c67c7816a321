// LaunchOptions - parsing the command line, and the help text.
#include "app/LaunchOptions.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/Language.h"
#include "platform/Storage.h"
#include "platform/Text.h"
#include "shell/Access.h"
#include "shell/Helpers.h"

namespace {

TLaunchOptions current;

bool ParseSeed(const std::string& text, int& seed)
{
    if (text.empty() || text.size() > 10)
        return false;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value > 2147483647)
        return false;
    seed = int(value);
    return true;
}

// A language code as locales and catalogs are named: fr, pt_BR, de_DE.UTF-8, sr@latin. It starts with a
// letter, so that "." and ".." never name a folder outside the catalogs'.
bool GoodLanguage(const std::string& code)
{
    if (code.empty() || code.size() > 64 || !std::isalpha(static_cast<unsigned char>(code[0])))
        return false;
    for (char c : code)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
              c == '.' || c == '@'))
            return false;
    return true;
}

// One line of a table: the name in a column 17 characters wide (counted in characters, as a terminal
// shows them), then the text.
std::string Row(const std::string& name, const std::string& text)
{
    const int width = Utf8Length(name);
    return "  " + name + std::string(size_t(width < 17 ? 17 - width : 1), ' ') + text + "\n";
}

std::string Place(TStorageArea area, const std::string& name, const char* variable, const char* fallback)
{
    const std::string now = StoredRecordLocation(area, name);
    return std::string("$") + variable + "/calcadia/" + name + " " +
           TranslateWith("(by default %s)", std::string(fallback) + "/calcadia/" + name) + "\n" +
           std::string(19, ' ') +
           TranslateWith("here: %s", now.empty() ? Translate("nowhere, there is no home folder") : now);
}

}  // namespace

std::string UsageText()
{
    // Option names, key names and file paths are what is typed or pressed, so only the words around
    // them are translated.
    return std::string(Translate("Usage: calcadia [OPTION]...")) + "\n" +
           Translate("Calcadia, an arcade game that drills mental arithmetic.") + "\n\n" +
           Translate("Options:") + "\n" +
           Row("--fullscreen", Translate("start in full screen")) +
           Row("--window", Translate("start in a window")) +
           Row("--mute", Translate("start with all sound off (M turns it on)")) +
           Row("--seed N", Translate("every run of this launch asks the same questions (N from 0 to 2147483647)")) +
           Row("--data DIR", Translate("read the game's pictures, sounds, music and font from DIR")) +
           Row("--lang CODE", Translate("speak this language (fr, de, pt_BR...) rather than the locale's")) +
           Row("--more-time X", Translate("every level allows X times as long (1 to 4, such as 1.5 or 2)")) +
           Row("--calm", Translate("calm motion: no zoom, explosions fade where they are")) +
           Row("--speak", Translate("say the questions, results and time left aloud")) +
           HistoryUsageRows(Row) +
           Row("--help", Translate("show this help and exit")) +
           Row("--version", Translate("show the version and exit")) + "\n" +
           Translate("Keys:") + "\n" +
           Row("1-5", Translate("choose a mode on the title screen; Esc quits")) +
           Row(Translate("digits"),
               Translate("type the answer; Backspace deletes, Enter confirms, Esc returns to the title")) +
           Row("Space, Enter", Translate("continue from the level-complete and game-over screens")) +
           Row("P", Translate("pause and resume")) +
           Row("M", Translate("all sound off and on")) +
           Row("Ctrl+F", Translate("full screen or window (remembered)")) +
           Row("Ctrl+D", Translate("debug panel")) +
           Row("Ctrl+X", Translate("quit")) + "\n" +
           Translate("Files (delete one to reset it):") + "\n" +
           Row(Translate("best scores"), Place(TStorageArea::DATA, "best-scores", "XDG_DATA_HOME", "~/.local/share")) +
           Row(Translate("settings"), Place(TStorageArea::CONFIG, "settings", "XDG_CONFIG_HOME", "~/.config")) +
           Row(HistoryFileName(), Place(TStorageArea::DATA, "history.sqlite", "XDG_DATA_HOME", "~/.local/share"));
}

std::string LanguageAsked(const std::vector<std::string>& args)
{
    std::string asked;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind("--lang=", 0) == 0) {
            if (GoodLanguage(args[i].substr(7)))
                asked = args[i].substr(7);
        } else if (args[i] == "--lang" && i + 1 < args.size()) {
            if (GoodLanguage(args[i + 1]))
                asked = args[i + 1];
            ++i;
        }
    }
    return asked;
}

std::optional<int> ParseLaunchOptions(const std::vector<std::string>& args, TLaunchOptions& options,
                                      std::string& out, std::string& err)
{
    // The reason and where to find the usage, as command-line programs say it: two lines that stay on
    // the screen, rather than the whole help with the reason scrolled off above it. What the user typed
    // comes back quoted, escaped and cut short.
    const auto bad = [&](const char* why, const std::string& what) {
        err = "calcadia: " + TranslateWith(why, QuotedForMessage(what)) + "\n" +
              TranslateWith("Try '%s' for more information.", "calcadia --help") + "\n";
        return 2;
    };
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || arg.size() < 2 || arg[0] != '-')
            return bad(ToTranslate("unexpected argument %s"), arg);
        std::string option = arg;
        std::optional<std::string> value;
        // --name=value as well as --name value, for the options that take one.
        const size_t equals = option.find('=');
        if (option.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
        }
        if (const std::optional<int> code = ParseHistoryOption(args, i, option, value, options.history, bad)) {
            if (*code)
                return code;
            continue;
        }
        const bool takesValue = option == "--seed" || option == "--data" || option == "--lang" ||
                                option == "--more-time";
        const bool known = takesValue || option == "--help" || option == "-h" || option == "--version" ||
                           option == "--fullscreen" || option == "--window" || option == "--mute" ||
                           option == "--calm" || option == "--speak";
        if (!known)
            return bad(ToTranslate("unrecognized option %s"), arg);
        if (value && !takesValue)
            return bad(ToTranslate("option %s doesn't allow an argument"), option);
        if (takesValue && !value) {
            if (i + 1 == args.size())
                return bad(ToTranslate("option %s requires an argument"), option);
            value = args[++i];
        }
        if (option == "--help" || option == "-h") {
            out = UsageText();
            return 0;
        } else if (option == "--version") {
            out = "Calcadia 0.51\n";
            return 0;
        } else if (option == "--fullscreen") {
            options.fullScreen = 1;
        } else if (option == "--window") {
            options.fullScreen = 0;
        } else if (option == "--mute") {
            options.mute = true;
        } else if (option == "--seed") {
            int seed = 0;
            if (!ParseSeed(*value, seed))
                return bad(ToTranslate("bad seed %s: a whole number from 0 to 2147483647"), *value);
            options.seed = seed;
        } else if (option == "--data") {
            namespace fs = std::filesystem;
            std::error_code error;
            // Made absolute now: the game changes its working folder before it loads anything.
            const fs::path folder = fs::absolute(fs::path(*value), error);
            if (value->empty() || error || !fs::is_directory(folder, error))
                return bad(ToTranslate("no data folder %s"), *value);
            options.dataFolder = folder.lexically_normal().string();
        } else if (option == "--lang") {
            if (!GoodLanguage(*value))
                return bad(ToTranslate("bad language %s: a code such as fr, pt_BR or de_DE.UTF-8"), *value);
            options.language = *value;
        } else if (option == "--more-time") {
            if (!ParseTimeFactor(*value, options.timePercent))
                return bad(ToTranslate("bad time factor %s: a number from 1 to 4 such as 1.5 or 2"), *value);
        } else if (option == "--calm") {
            options.calm = true;
        } else if (option == "--speak") {
            options.speak = true;
        }
    }
    return std::nullopt;
}

void SetLaunchOptions(const TLaunchOptions& options) { current = options; }

const TLaunchOptions& LaunchOptions() { return current; }
