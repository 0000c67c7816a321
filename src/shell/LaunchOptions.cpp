// LaunchOptions - parsing the command line, and the help text.
#include "shell/LaunchOptions.h"

#include <filesystem>
#include <system_error>

#include "platform/Storage.h"
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

std::string Place(TStorageArea area, const std::string& name, const char* variable, const char* fallback)
{
    const std::string now = StoredRecordLocation(area, name);
    return std::string("$") + variable + "/calcadia/" + name + " (by default " + fallback + "/calcadia/" + name +
           ")\n                   here: " + (now.empty() ? "nowhere, there is no home folder" : now) + "\n";
}

}  // namespace

std::string UsageText()
{
    return "Usage: calcadia [OPTION]...\n"
           "Calcadia, an arcade game that drills mental arithmetic.\n"
           "\n"
           "Options:\n"
           "  --fullscreen     start in full screen\n"
           "  --window         start in a window\n"
           "  --mute           start with all sound off (M turns it on)\n"
           "  --seed N         every run of this launch asks the same questions (N from 0 to 2147483647)\n"
           "  --data DIR       read the game's pictures, sounds, music and font from DIR\n"
           "  --help           show this help and exit\n"
           "  --version        show the version and exit\n"
           "\n"
           "Keys:\n"
           "  1-5              choose a mode on the title screen; Esc quits\n"
           "  digits           type the answer; Backspace deletes, Enter confirms, Esc returns to the title\n"
           "  Space, Enter     continue from the level-complete and game-over screens\n"
           "  P                pause and resume\n"
           "  M                all sound off and on\n"
           "  Ctrl+F           full screen or window (remembered)\n"
           "  Ctrl+D           debug panel\n"
           "  Ctrl+X           quit\n"
           "\n"
           "Files (delete one to reset it):\n"
           "  best scores      " +
           Place(TStorageArea::DATA, "best-scores", "XDG_DATA_HOME", "~/.local/share") +
           "  settings         " + Place(TStorageArea::CONFIG, "settings", "XDG_CONFIG_HOME", "~/.config");
}

std::optional<int> ParseLaunchOptions(const std::vector<std::string>& args, TLaunchOptions& options,
                                      std::string& out, std::string& err)
{
    // The reason and where to find the usage, as command-line programs say it: two lines that stay on
    // the screen, rather than the whole help with the reason scrolled off above it.
    const auto bad = [&](const std::string& why) {
        err = "calcadia: " + why + "\nTry 'calcadia --help' for more information.\n";
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
            return bad("unexpected argument " + QuotedForMessage(arg));
        std::string option = arg;
        std::optional<std::string> value;
        // --name=value as well as --name value, for the options that take one.
        const size_t equals = option.find('=');
        if (option.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
        }
        const bool takesValue = option == "--seed" || option == "--data";
        const bool known = takesValue || option == "--help" || option == "-h" || option == "--version" ||
                           option == "--fullscreen" || option == "--window" || option == "--mute";
        if (!known)
            return bad("unrecognized option " + QuotedForMessage(arg));
        if (value && !takesValue)
            return bad("option " + QuotedForMessage(option) + " doesn't allow an argument");
        if (takesValue && !value) {
            if (i + 1 == args.size())
                return bad("option " + QuotedForMessage(option) + " requires an argument");
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
                return bad("bad seed " + QuotedForMessage(*value) + ": a whole number from 0 to 2147483647");
            options.seed = seed;
        } else if (option == "--data") {
            namespace fs = std::filesystem;
            std::error_code error;
            // Made absolute now: the game changes its working folder before it loads anything.
            const fs::path folder = fs::absolute(fs::path(*value), error);
            if (value->empty() || error || !fs::is_directory(folder, error))
                return bad("no data folder " + QuotedForMessage(*value));
            options.dataFolder = folder.lexically_normal().string();
        }
    }
    return std::nullopt;
}

void SetLaunchOptions(const TLaunchOptions& options) { current = options; }

const TLaunchOptions& LaunchOptions() { return current; }
