// Program entry: read the command line, make sure there is a display to show the game on, find the
// Data/ folder, then start the game and run its frame loop.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/LaunchOptions.h"
#include "app/Startup.h"
#include "platform/Language.h"
#include "platform/Process.h"
#include "shell/Helpers.h"

#ifndef CALCADIA_DATA_FROM_BINDIR
#define CALCADIA_DATA_FROM_BINDIR "../share/calcadia"
#endif
#ifndef CALCADIA_LOCALE_FROM_BINDIR
#define CALCADIA_LOCALE_FROM_BINDIR "../share/locale"
#endif

namespace {

bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// Without an X11 or Wayland display, SDL falls through to drivers that open no window, and the game
// would run where nobody can see or quit it. A driver the user names explicitly (offscreen for
// headless runs, or a console driver) is trusted; naming only x11 or wayland still needs their display.
bool DisplayReachable()
{
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY"))
        return true;
    const char* drivers = std::getenv("SDL_VIDEODRIVER");
    if (!drivers || !*drivers)
        return false;
    std::string_view list(drivers);
    while (!list.empty()) {
        const size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        if (!name.empty() && name != "x11" && name != "wayland")
            return true;
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return false;
}

// Data/ is looked for beside the real executable (the build tree), then in the installed layout's
// share folder relative to it, and only then in the working directory. The executable's own places come
// first so that a folder which merely happens to be called Data/ where a terminal stands cannot hide the
// game's files. /proc/self/exe is already free of symbolic links, so a link to the game in ~/bin or on
// the desktop leads back to the real installation.
// A Data/ that is there but lacks a file the game cannot start without gives way to a good one in the
// working directory, with a line saying so; when none is good, the program's own is used and the
// missing file is reported as it is loaded.
void FindDataFolder()
{
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<fs::path> homes;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (!error && !exe.parent_path().empty()) {
        homes.push_back(exe.parent_path());
        homes.push_back((exe.parent_path() / CALCADIA_DATA_FROM_BINDIR).lexically_normal());
    }
    const fs::path* unusable = nullptr;
    std::string problem;
    for (const fs::path& home : homes) {
        if (!fs::is_directory(home / "Data", error))
            continue;
        std::string why = DataFolderProblem(home.string());
        if (why.empty()) {
            if (chdir(home.c_str()) == 0)
                return;
            why = "its folder cannot be entered";
        }
        if (!unusable) {
            unusable = &home;
            problem = why;
        }
    }
    if (!unusable)
        return;
    const fs::path here = fs::current_path(error);
    if (!error && fs::is_directory(here / "Data", error) && DataFolderProblem(here.string()).empty()) {
        std::fprintf(stderr, "calcadia: using %s/Data/ because %s/Data/ is unusable (%s)\n", here.c_str(),
                     unusable->c_str(), problem.c_str());
        return;
    }
    // None is good: the program's own is used, and what it lacks is reported as it is loaded.
    if (chdir(unusable->c_str()) != 0)
        return;
}

// The message catalogs: beside the executable in the build tree (locale/ next to Data/), else where the
// installation puts every program's, relative to the executable.
std::string LocaleFolder()
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error || exe.parent_path().empty())
        return "/usr/share/locale";
    if (fs::is_directory(exe.parent_path() / "locale", error))
        return (exe.parent_path() / "locale").string();
    return (exe.parent_path() / CALCADIA_LOCALE_FROM_BINDIR).lexically_normal().string();
}

// The language comes first, so that the help and any complaint about the arguments are in it already.
// One asked for by name that has no catalog is said once, in the locale's language, which the player
// reads; English in any spelling (EN, en_GB) needs none.
void ChooseLanguage(const std::vector<std::string>& args)
{
    const std::string asked = LanguageAsked(args);
    UseLanguage("calcadia", LocaleFolder(), "");
    const std::string missing =
        TranslateWith("no translation for the language %s; the game speaks English", QuotedForMessage(asked));
    UseLanguage("calcadia", LocaleFolder(), asked);
    if (!asked.empty() && !Translated() && !CatalogLeftAside() && !IsEnglishTag(asked))
        std::fprintf(stderr, "calcadia: %s\n", missing.c_str());
}

// --help and --version answer and end here, before anything needs a display; a bad option ends with its
// reason and exit code 2. Otherwise the options are handed to start-up, with the kept records on: this
// is the player's own launch.
void ReadCommandLine(int argc, char** argv)
{
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    ChooseLanguage(args);
    TLaunchOptions options;
    options.keepRecords = true;
    std::string out, err;
    const std::optional<int> exitCode = ParseLaunchOptions(args, options, out, err);
    if (exitCode) {
        std::fputs(err.c_str(), stderr);
        // Help or a version that never reached its reader (a full disk, a closed output) is a failure,
        // and a script that saved it must be able to tell. A reader that went away (a pager quit, a
        // head that had enough) wanted no more: no message for that.
        if (!out.empty() && StandardOutputWasClosed()) {
            std::fprintf(stderr, "calcadia: write error: %s\n", std::strerror(EBADF));
            std::exit(1);
        }
        if (!out.empty() && (std::fputs(out.c_str(), stdout) < 0 || std::fflush(stdout) != 0)) {
            if (errno != EPIPE)
                std::fprintf(stderr, "calcadia: write error: %s\n", std::strerror(errno));
            std::exit(1);
        }
        std::exit(*exitCode);
    }
    SetLaunchOptions(options);
    // The teacher's report needs no display: it is printed, and the program ends.
    if (!options.history.report.empty())
        std::exit(RunReportCommand(options.history));
}

}   // namespace

int main(int argc, char** argv)
{
    PrepareProcess();
    ReadCommandLine(argc, argv);
    if (!DisplayReachable()) {
        std::fprintf(stderr, "calcadia: %s\n",
                     Translate("needs a graphical display, but neither DISPLAY nor WAYLAND_DISPLAY is set; "
                               "to run it without one, use xvfb-run calcadia or SDL_VIDEODRIVER=offscreen calcadia"));
        return 1;
    }
    // Left to itself, SDL also falls through to drivers that open no window when the display refuses
    // the connection (a wrong DISPLAY, an X server resetting as its last client leaves), and the game
    // would run where nobody can see or quit it. Unless a driver is named, only the window systems are
    // tried, in SDL's own order, and a display that cannot be reached ends the program with a message.
    if (!IsSet("SDL_VIDEODRIVER"))
        setenv("SDL_VIDEODRIVER", "x11,wayland", 1);
    FindDataFolder();
    RunGame();
}
